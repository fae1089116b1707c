# What the release tools (dist, make-installer, make-msi, codesign, web-assets) share. Source it after setting
# `me`, the tool's name in its messages. It sets root (the source tree), work (a temporary folder) and cleanup
# (what is removed however the tool ends, work first); on_failure, when the tool defines it, runs on a failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
cleanup=("$work")
trap 'status=$?; rm -rf "${cleanup[@]}"
    [ $status -eq 0 ] || ! declare -F on_failure >/dev/null || on_failure' EXIT

die() { echo "$me: $*" >&2; exit 1; }

# need COMMAND:PACKAGE...: each command is there, or the tool ends naming the Debian packages that have them.
need() {
    local pair missing=()
    for pair; do command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:} (for ${pair%%:*})"); done
    [ ${#missing[@]} -eq 0 ] ||
        die "missing Debian packages: ${missing[*]}; install them with apt-get install" \
            "(or run tools/install-deps)"
}

# output_path FILE: FILE's absolute name, its folder made.
output_path() { realpath -m "$1" && mkdir -p "$(dirname "$(realpath -m "$1")")"; }

# publish TEMP OUT: the finished TEMP becomes OUT whole (mode 644, SOURCE_DATE_EPOCH's time when set).
publish() {
    local next=$2.$me-$$
    cleanup+=("$next")
    chmod 644 "$1"
    [ -z "${SOURCE_DATE_EPOCH:-}" ] || touch -d "@$SOURCE_DATE_EPOCH" "$1"
    # Copied beside OUT first when TEMP is on another file system, so OUT is never seen half written.
    mv "$1" "$next" && mv "$next" "$2" || die "cannot write $2"
    echo "$me: $2 ($(stat -c %s "$2") bytes)"
}

# license_txt OUT: the licence as a Windows text file.
license_txt() { sed 's/$/\r/' "$root/LICENSE" >"$1"; }
