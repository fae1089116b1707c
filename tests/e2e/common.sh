# Shared helpers of the end-to-end checks, over tools/lib.sh's. Source it from a bash test script:
#   . "$(dirname "$0")/../common.sh"      (from tests/e2e/<folder>/)
# Every check gets its own Xvfb display, WINEPREFIX and temporary folder E2E_TMP (/tmp/fenlight-e2e.*, also
# the programs' TMPDIR: what they leave there, Wine's server folders for one, goes with it), and kills what it
# started (by pid, and Wine through its own prefix's wineserver) however it ends.
set -u
me=e2e TMPDIR=/tmp
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib.sh"
export TMPDIR=$work
E2E_TMP=$work E2E_DIR=$root/tests/e2e E2E_TOOLS=$root/tools E2E_IMMUTABLE=() E2E_PASSES=0 E2E_FAILURES=0
# Every Windows program starts through tools/wine, which picks the loader that fits it.
wine() { "$E2E_TOOLS/wine" "$@"; }
# Mesa's driver is unloaded when the display closes, so the leak checker cannot tell its allocations from
# ours; the portable code's leaks are checked by the native tests.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# e2e_can_start PROGRAM...: a check whose Windows programs cannot start on this machine (a 32-bit one where
# 32-bit programs do not run) ends here, reported to CTest as skipped (77) with tools/wine's reason.
e2e_can_start() { local program; for program; do "$E2E_TOOLS/wine" --check "$program" || exit; done; }

# e2e_skipped REASON...: the check ends here, reported to CTest as skipped (77) for that reason.
e2e_skipped() { echo "skipped: $*"; exit 77; }
# e2e_need COMMAND...: a check whose commands are not all there ends here, skipped, naming the packages.
e2e_need() { local m; m=$(missing "$@") || e2e_skipped "missing Debian packages: $m"; }

# However the check ends, once its processes have: Wine's server of its prefix, and no file left immutable.
on_exit() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
    [ ${#E2E_IMMUTABLE[@]} -eq 0 ] || chattr -i "${E2E_IMMUTABLE[@]}" 2>/dev/null
}

# e2e_immutable FILE: chattr +i FILE (root only); undone at the end however the check ends, or no one could
# delete it: also when the check is killed outright (a CTest time-out), a watcher in a session of its own
# undoes it and removes the check's folder once the check's shell is gone.
e2e_immutable() {
    chattr +i "$1" 2>/dev/null || return 1
    E2E_IMMUTABLE+=("$1")
    setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done; chattr -i "$2"; rm -rf "$3"' \
        watcher $$ "$1" "$E2E_TMP" </dev/null >/dev/null 2>&1 &
}

e2e_log() { printf '  %s\n' "$*"; }
e2e_pass() { printf 'PASS %s\n' "$*"; E2E_PASSES=$((E2E_PASSES + 1)); }
e2e_fail() { printf 'FAIL %s\n' "$*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
e2e_skip() { printf 'SKIP %s\n' "$*"; }

# e2e_check "description" command...: runs the command, records PASS or FAIL, and fails when it did.
e2e_check() {
    local what=$1; shift
    if "$@"; then e2e_pass "$what"; else e2e_fail "$what"; return 1; fi
}

# e2e_is WHAT VALUE EXPECTED: VALUE is EXPECTED, or the log says "WHAT VALUE, expected EXPECTED".
e2e_is() { [ "$2" = "$3" ] || { e2e_log "$1 $2, expected $3"; return 1; }; }

# Ends the script: a closing count line, non-zero status when anything failed.
e2e_finish() { echo "$E2E_PASSES passed, $E2E_FAILURES failed"; [ "$E2E_FAILURES" -eq 0 ]; }

# exits_with PID CODE: the child ends within 20 s with that exit code (0..255 as the shell sees it).
exits_with() {
    wait_for 20 gone "$1" || { e2e_log "process $1 still running"; return 1; }
    wait "$1"
    e2e_is "exit code" $? "$2"
}

# e2e_start_sway [[+]WIDTHxHEIGHT...]: a private headless sway (tools/sway-start: outputs HEADLESS-1, -2...
# of those sizes, a +size for the next one made later) in this check's folder; sets E2E_SWAY_DIR (its HOME
# and XDG_RUNTIME_DIR), E2E_SWAY_PID and E2E_SESSION, the prefix that runs a program as its client (as
# as_user), by exec ("${E2E_SESSION[@]}" PROGRAM & gives the program's own pid). The check ends, skipped
# (77), where sway cannot start.
e2e_start_sway() {
    local display
    # Sway's user passes through it to its own folder.
    chmod 711 "$E2E_TMP"
    read -r E2E_SWAY_DIR E2E_SWAY_PID display < <("$E2E_TOOLS/sway-start" "$@" 2>"$E2E_TMP/sway-start.err") ||
        e2e_skipped "$(sed 's/^sway-start: //' "$E2E_TMP/sway-start.err")"
    track "$E2E_SWAY_PID"
    E2E_SESSION=("${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$E2E_SWAY_DIR"
                 XDG_RUNTIME_DIR="$E2E_SWAY_DIR" WAYLAND_DISPLAY="$display"
                 SWAYSOCK="$(compgen -G "$E2E_SWAY_DIR/sway-ipc.*.sock")")
}

# e2e_new_wineprefix [win32]: a prefix of this check's own, 64-bit or (win32) 32-bit Windows; the check
# ends, failed, when none can be made, and skipped (77, tools/wine's reason said) when this machine cannot
# run the 32-bit programs one needs. The first one made of each kind is kept as a template in
# $FENLIGHT_WINE_TEMPLATE (default /tmp/fenlight-wine-template-$UID, "-win32" added for the 32-bit one) and
# copied, since wineboot is slow.
e2e_new_wineprefix() {
    local arch=${1:-win64} status=0
    local template=${FENLIGHT_WINE_TEMPLATE:-/tmp/fenlight-wine-template-$(id -u)}
    [ "$arch" = win64 ] || template+=-$arch
    "$E2E_TOOLS/wine-prefix" "$template" "$arch" || status=$?
    [ "$status" != 77 ] || exit 77
    [ "$status" = 0 ] || { echo "no Wine prefix could be made"; exit 1; }
    export WINEPREFIX="$E2E_TMP/prefix"
    cp -a "$template" "$WINEPREFIX"
}

# e2e_path_without COMMAND: a PATH of this check's own with every program of /usr/bin and /usr/sbin but COMMAND.
e2e_path_without() {
    local dir=$E2E_TMP/without-$1 program
    mkdir -p "$dir"
    for program in /usr/bin/* /usr/sbin/*; do [ "${program##*/}" = "$1" ] || ln -sf "$program" "$dir/"; done
    echo "$dir"
}

# e2e_screenshot FILE: the whole screen of $DISPLAY as PNG.
e2e_screenshot() { import -display "$DISPLAY" -window root "$1" 2>/dev/null; }

# e2e_pixels FILE [THRESHOLD]: prints "bright R G B hue" — the count of pixels whose brightest channel
# exceeds THRESHOLD (default 40) and their mean colour and hue in degrees (-1 when none).
e2e_pixels() { convert "$1" -depth 8 ppm:- | python3 "$E2E_DIR/pixels.py" "${2:-40}"; }

# e2e_lights FILE COLOURS: the picture shows over 300 bright pixels of a mean hue in the range of the colour
# scheme's lights (its two colours, with room for blending towards white); LIGHTS says what it shows.
declare -A E2E_HUES=([emerald]="70 110" [lapis]="175 225" [amber]="35 65" [amethyst]="245 295")
e2e_lights() {
    local n hue range
    read -r n _ _ _ hue < <(e2e_pixels "$1") && read -r -a range <<<"${E2E_HUES[$2]}" || return 1
    LIGHTS="$n bright pixels, hue $hue"
    [ "$n" -gt 300 ] && [ "$hue" -ge "${range[0]}" ] && [ "$hue" -le "${range[1]}" ]
}

# e2e_find_window NAME: the first visible X window whose name matches (xdotool search).
e2e_find_window() { xdotool search --all --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
