# What the tools and the end-to-end checks (tests/e2e/common.sh) share. Source it after setting `me`, the
# script's name in its messages: it sets root (the source tree) and work, a temporary folder fenlight-$me.* in
# TMPDIR, and no error mode (a tool sets set -euo pipefail itself; the checks run with set -u only). However
# the script ends (INT and TERM end it with 130), the processes given to track end, the last first; then
# on_exit runs (when the script has one), what cleanup lists (work first) is removed, and after a failure
# on_failure runs (when it has one). Nothing in finish may fail under set -e, which would leave it half done.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d --tmpdir "fenlight-$me.XXXXXX") || exit 1
cleanup=("$work") pids=()
track() { pids+=("$1"); }
# spawn NAME COMMAND...: COMMAND in the background (with the call's redirections), tracked; its pid in NAME.
spawn() { "${@:2}" & printf -v "$1" %s "$!"; track "$!"; }
finish() {
    local status=$? i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || continue
        timeout 5 tail --pid="${pids[i]}" -f /dev/null 2>/dev/null || kill -9 "${pids[i]}" 2>/dev/null || :
    done
    ! declare -F on_exit >/dev/null || on_exit || :
    rm -rf "${cleanup[@]}" || :
    [ "$status" -eq 0 ] || ! declare -F on_failure >/dev/null || on_failure || :
}
trap finish EXIT
trap 'exit 130' INT TERM

die() { echo "$me: $*" >&2; exit 1; }

# quietly WHAT COMMAND...: COMMAND's output is shown only when it fails, and then the tool ends saying WHAT.
quietly() { "${@:2}" >"$work/log" 2>&1 || { cat "$work/log" >&2; die "$1"; }; }

# windows_inputs DEFINES SCR...: the Windows build's defines file (CMake writes it) and the saver builds exist.
windows_inputs() {
    [ -f "$1" ] || die "no $1: configure a Windows preset (cmake --preset windows) first"
    local scr; for scr in "${@:2}"; do [ -f "$scr" ] || die "no saver build at $scr"; done
}

# as_user: the prefix that runs a program as an unprivileged user, for those that refuse root (sway, KWin,
# xscreensaver's daemon): nobody when run as root, else none.
as_user=()
[ "$(id -u)" -ne 0 ] ||
    as_user=(setpriv --reuid=nobody --regid="$(id -gn nobody 2>/dev/null)" --clear-groups)

# wait_for SECONDS COMMAND...: polls the command every 0.1 s until it succeeds or time runs out.
wait_for() {
    local deadline=$((SECONDS + $1)); shift
    while ! "$@" 2>/dev/null; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

# running PID / gone PID: whether a process is still alive (one that has ended but is not yet waited for
# counts as gone).
running() { local s; s=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) && [ -n "$s" ] && [ "$s" != Z ]; }
gone() { ! running "$1"; }

# start_xvfb [WIDTHxHEIGHT [XVFB-ARGUMENTS...]]: a private X display (tools/xvfb-start: screen 0 of that size,
# 24 bits deep, then the arguments, say more screens), tracked; sets and exports DISPLAY, and sets xvfb_pid.
start_xvfb() {
    local number
    read -r number xvfb_pid < <("$root/tools/xvfb-start" "$@") || return 1
    track "$xvfb_pid"
    export DISPLAY=:$number
}

# lit_pixels FILE: how many of the picture's pixels have a channel above 40 (of 255); FILE - reads a picture
# from standard input.
lit_pixels() {
    convert "$1" -alpha off -separate -evaluate-sequence max -threshold 15.7% \
        -format '%[fx:round(mean*w*h)]\n' info:
}

# package_of COMMAND: the Debian package that has it (tools/packages); nothing when none is listed.
package_of() {
    awk -v want="$1" '!/^#/ { for (i = 2; i <= NF; i++) {
        split($i, p, "="); n = split(p[2] ? p[2] : p[1], has, ",")
        for (j = 1; j <= n; j++) if (has[j] == want) { print p[1]; exit } } }' "$root/tools/packages"
}

# missing COMMAND...: "PACKAGE (for COMMAND)" for each command that is not there (python3:MODULE: a module
# Debian's Python cannot import); fails when one is missing.
missing() {
    local command said=()
    for command; do
        case $command in
        python3:*) /usr/bin/python3 -c "import ${command#*:}" 2>/dev/null ;;
        *) command -v "$command" >/dev/null ;;
        esac || said+=("$(package_of "$command") (for $command)")
    done
    echo "${said[*]}"
    [ ${#said[@]} -eq 0 ]
}

# need COMMAND...: each command is there, or the tool ends naming the Debian packages that have them.
need() {
    local said
    said=$(missing "$@") ||
        die "missing Debian packages: $said; install them with apt-get install (or run tools/install-deps)"
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
