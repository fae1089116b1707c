#!/usr/bin/env bash
# The Wayland saver on KWin 5.27 (KDE Plasma's compositor), on virtual outputs: it covers both of two
# outputs with lights of the chosen colours and a key ends it with 0; --idle shows after the idle time,
# hides on input and shows again, not while a shown window's idle inhibitor holds; on an output at 150 % it
# draws a buffer of 1.5 times its surface. Input comes through KWin's fake input (wayland-kwin-input),
# pictures through its screenshot D-Bus interface (kwin_screenshot.py).
#   kwin.sh FENLIGHT_WAYLAND WAYLAND_KWIN_INPUT
. "$(dirname "$0")/../common.sh"

KWIN=$(command -v kwin_wayland) ||
    { echo "skipped: KWin is not installed (make test-kwin installs it)"; exit 77; }
command -v dbus-daemon >/dev/null || { echo "skipped: dbus-daemon is not installed"; exit 77; }
/usr/bin/python3 -c 'import dbus' 2>/dev/null ||
    { echo "skipped: Debian's python3-dbus is not installed (make test-kwin installs it)"; exit 77; }
# Mesa's driver is unloaded when the display closes, so the leak checker cannot tell its allocations from
# ours; the portable code's leaks are checked by the native tests.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# As root, KWin and its clients run as nobody, from copies in this check's folder. KWin's own binary carries
# a file capability (cap_sys_resource) that a process here may not gain, so it cannot start ("Operation not
# permitted"); its copy, of the same name, carries none.
AS_USER=()
if [ "$(id -u)" -eq 0 ]; then
    id nobody >/dev/null 2>&1 || { echo "skipped: KWin's clients run as nobody, and there is none"; exit 77; }
    AS_USER=(setpriv --reuid=nobody --regid="$(id -gn nobody)" --clear-groups)
fi
chmod 711 "$E2E_TMP"
mkdir -m 755 "$E2E_TMP/bin"
cp "$KWIN" "$1" "$2" "$(dirname "$0")/kwin_screenshot.py" "$E2E_TMP/bin/"
chmod 755 "$E2E_TMP/bin/"*
SAVER=$E2E_TMP/bin/$(basename "$1")
INPUT=$E2E_TMP/bin/$(basename "$2")
cd "$E2E_TMP" || exit 1

# start_kwin KWIN-ARGUMENTS...: a KWin on virtual outputs Virtual-0, -1... with a session bus of its own (no
# services to start, so nothing outlives it), in a folder of its user's only (its HOME and XDG_RUNTIME_DIR);
# sets SESSION, the command prefix that runs a program as its client (by exec, so "${SESSION[@]}" PROGRAM &
# gives the program's own pid), and KWIN_PIDS. A seat's mouse and keyboard that stay, as on a desktop: the
# fake input's device, made from the start.
KWIN_RUNS=0
start_kwin() {
    KWIN_RUNS=$((KWIN_RUNS + 1))
    local dir=$E2E_TMP/kwin-$KWIN_RUNS
    mkdir -m 700 "$dir"
    [ ${#AS_USER[@]} -eq 0 ] || chown nobody "$dir"
    cat >"$dir.bus.conf" <<EOF
<busconfig>
  <type>session</type>
  <listen>unix:path=$dir/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF
    chmod 644 "$dir.bus.conf"
    local user=("${AS_USER[@]}" env -i HOME="$dir" XDG_RUNTIME_DIR="$dir" PATH="$E2E_TMP/bin:/usr/bin:/bin"
                DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus")
    "${user[@]}" dbus-daemon --nofork --config-file="$dir.bus.conf" >"$dir.bus.log" 2>&1 &
    KWIN_PIDS=($!)
    e2e_track $!
    e2e_wait_for 20 test -S "$dir/bus" || { echo "no session bus: $(tail -n 1 "$dir.bus.log")"; exit 1; }
    # Without the permission checks KWin offers its fake input and screenshots to every client.
    "${user[@]}" KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 kwin_wayland \
        --virtual --socket kwin-e2e --no-lockscreen --no-global-shortcuts --no-kactivities "$@" \
        >"$dir.log" 2>&1 &
    KWIN_PIDS+=($!)
    e2e_track $!
    SESSION=("${user[@]}" WAYLAND_DISPLAY=kwin-e2e ASAN_OPTIONS="$ASAN_OPTIONS")
    kwin_up() { running "${KWIN_PIDS[1]}" && test -S "$dir/kwin-e2e"; }
    if ! e2e_wait_for 30 kwin_up; then
        echo "skipped: KWin does not start here: $(grep -v '^$' "$dir.log" | tail -n 1)"
        exit 77
    fi
    "${SESSION[@]}" "$INPUT" move 100 100 stay >"$dir.mouse" 2>&1 &
    KWIN_PIDS+=($!)
    e2e_track $!
    e2e_wait_for 30 grep -q ready "$dir.mouse" || { echo "no fake input: $(cat "$dir.mouse")"; exit 1; }
}
# stop_kwin: ends the session's programs, the last started first.
stop_kwin() {
    local i
    for ((i = ${#KWIN_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${KWIN_PIDS[$i]}" 2>/dev/null && e2e_wait_for 10 gone "${KWIN_PIDS[$i]}"
    done
}

as_client() { "${SESSION[@]}" "$@"; }
shot() {
    as_client /usr/bin/python3 "$E2E_TMP/bin/kwin_screenshot.py" "$1" "$E2E_TMP/kwin-$KWIN_RUNS/shot.ppm" &&
        cp "$E2E_TMP/kwin-$KWIN_RUNS/shot.ppm" "$2"
}

# start_saver ARGUMENTS...: the saver with --verbose in the session, as SAVER_PID, its stderr in SAVER_LOG.
SAVER_RUNS=0
start_saver() {
    SAVER_RUNS=$((SAVER_RUNS + 1))
    SAVER_LOG=$E2E_TMP/saver-$SAVER_RUNS.log
    "${SESSION[@]}" "$SAVER" --verbose "$@" >"$SAVER_LOG.out" 2>"$SAVER_LOG" &
    SAVER_PID=$!
    e2e_track "$SAVER_PID"
}
# said N LINE: the saver's log has at least N lines matching "fenlight-wayland: LINE" (an extended regular
# expression, then a word's end).
said() { [ "$(grep -cE "^fenlight-wayland: $2\b" "$SAVER_LOG")" -ge "$1" ]; }
# drawing OUTPUT: its second count of frames has come, so the saver has drawn there for over a second and
# takes input (it ignores the first half second).
drawing() { said 2 "$1 [0-9]+ frames"; }
log_saver() { e2e_log "saver: $(tr '\n' '|' <"$SAVER_LOG")"; return 1; }

# lit OUTPUT HUE_LOW HUE_HIGH: OUTPUT comes to show over 300 lit pixels of a mean hue in that range.
declare -A HUES=([amber]="35 65" [lapis]="175 225")
shows_lights() {
    local n r g b hue
    shot "$1" "$E2E_TMP/lights.ppm" || return 1
    read -r n r g b hue < <(e2e_pixels "$E2E_TMP/lights.ppm")
    LIGHTS="$1: $n lit pixels, hue $hue"
    [ "$n" -gt 300 ] && [ "$hue" -ge "$2" ] && [ "$hue" -le "$3" ]
}
lit() { e2e_wait_for 20 shows_lights "$@" || { e2e_log "${LIGHTS:-$1: no screenshot}"; return 1; }; }

echo "== two outputs: both covered with lights of the chosen colours; a key ends it"
start_kwin --width 640 --height 480 --output-count 2
if ! e2e_wait_for 30 shot Virtual-0 "$E2E_TMP/desktop.ppm"; then
    echo "skipped: KWin gives no screenshots here: $(shot Virtual-0 /dev/null 2>&1 | tail -n 1)"
    exit 77
fi
start_saver --colors amber
for output in Virtual-0 Virtual-1; do
    e2e_check "$output is covered at 640x480 with amber lights" \
        eval 'e2e_wait_for 30 said 1 "$output shown 640x480" && lit "$output" ${HUES[amber]} || log_saver'
done
key_ends() { e2e_wait_for 20 drawing Virtual-0 && as_client "$INPUT" key && exits_with "$SAVER_PID" 0; }
e2e_check "a key ends it with 0" eval 'key_ends || log_saver'

echo "== --idle 2: after the idle time, hidden on input, again after the next; not while an inhibitor holds"
# KWin honours an idle inhibitor only on a surface it shows: the helper's is a small window.
"${SESSION[@]}" "$INPUT" inhibit stay >"$E2E_TMP/inhibitor.out" 2>&1 &
INHIBITOR_PID=$!
e2e_track $INHIBITOR_PID
e2e_wait_for 30 grep -q ready "$E2E_TMP/inhibitor.out" || e2e_log "inhibitor: $(cat "$E2E_TMP/inhibitor.out")"
start_saver --idle 2 --colors lapis
# Three times the idle time with no input: nothing may show while the inhibitor is there.
held_off() { ! e2e_wait_for 6 said 1 "[^ ]+ shown" && running "$SAVER_PID"; }
e2e_check "an idle inhibitor holds it off" held_off
kill "$INHIBITOR_PID"
# shows_after N SINCE: both outputs are shown the Nth time, with lights, no sooner than the idle time after
# SINCE (a time of $SECONDS).
shows_after() {
    e2e_wait_for 20 said "$1" "Virtual-0 shown" && e2e_wait_for 20 said "$1" "Virtual-1 shown" &&
        lit Virtual-0 ${HUES[lapis]} && lit Virtual-1 ${HUES[lapis]} &&
        { [ $((SECONDS - $2)) -ge 2 ] || { e2e_log "shown after $((SECONDS - $2)) s"; false; }; }
}
e2e_check "2 s after the inhibitor goes it shows on both outputs" eval 'shows_after 1 $SECONDS || log_saver'
desktop() { shot Virtual-0 "$E2E_TMP/hidden.ppm" && cmp -s "$E2E_TMP/hidden.ppm" "$E2E_TMP/desktop.ppm"; }
hides() {
    e2e_wait_for 20 drawing Virtual-0 && INPUT_AT=$SECONDS && as_client "$INPUT" move 20 0 &&
        e2e_wait_for 20 said 1 "Virtual-0 closed" && e2e_wait_for 20 said 1 "Virtual-1 closed" &&
        e2e_wait_for 10 desktop && running "$SAVER_PID"
}
e2e_check "input hides it, showing the desktop, and it keeps running" eval 'hides || log_saver'
e2e_check "it shows again after the next idle time" eval 'shows_after 2 $INPUT_AT || log_saver'
kill "$SAVER_PID"
exits_with "$SAVER_PID" 0
stop_kwin

echo "== an output at 150 %: a buffer of 1.5 times the surface, lit"
start_kwin --width 640 --height 480 --scale 1.5
start_saver --colors amber
# scaled_buffer: the latest size the saver reported for Virtual-0 is a surface of 640x480 (the output's
# 960x720 pixels at 150 %) with a buffer of 960x720, within the pixel budget of 2.5 million.
scaled_buffer() {
    local line
    line=$(grep -E "^fenlight-wayland: Virtual-0 .*[0-9]+x[0-9]+ \(buffer [0-9]+x[0-9]+\)" "$SAVER_LOG" |
        tail -n 1)
    REPORTED=${line#fenlight-wayland: Virtual-0 }
    [[ $line =~ \ 640x480\ \(buffer\ 960x720\)$ ]]
}
e2e_check "it reports a buffer of 960x720 for the 640x480 surface" \
    eval 'e2e_wait_for 20 scaled_buffer || { e2e_log "reported: ${REPORTED:-nothing}"; log_saver; }'
e2e_check "Virtual-0 at 150 % is lit with amber lights" eval 'lit Virtual-0 ${HUES[amber]} || log_saver'
kill "$SAVER_PID"
exits_with "$SAVER_PID" 0
stop_kwin

e2e_finish
