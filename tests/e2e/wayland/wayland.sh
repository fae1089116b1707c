#!/usr/bin/env bash
# The Wayland saver on a private headless sway (outputs of 640x480 and 800x600, one of 320x240 made while it
# runs) or on KWin 5.27 (two virtual outputs of 640x480 at 150 %), each compositor's rows of one set of
# checks: every output covered with lights of the chosen colours (on KWin a buffer of 1.5 times the surface);
# a second start; input ending it, not with --background; SIGINT, SIGTERM; --idle and idle inhibitors. Sway
# only: no frames while the outputs are off, the still picture fenlight-snapshot's with no cursor, swayidle,
# the refusals, the compositor's end. Input from wayland-test-input (and wtype for sway's keys), pictures
# from grim or KWin's D-Bus.
#   wayland.sh sway|kwin FENLIGHT_WAYLAND WAYLAND_TEST_INPUT [FENLIGHT_SNAPSHOT]
. "$(dirname "$0")/../common.sh"

COMPOSITOR=$1 SNAPSHOT=${4:-}
on() { [ "$COMPOSITOR" = "$1" ]; }
[ -x "$3" ] || e2e_skipped "$(package_of fake-input.xml) is not installed, so the checks' input client is not built"
on sway && e2e_need sway swaymsg swayidle grim wtype
on kwin && e2e_need kwin_wayland dbus-daemon python3:dbus
# As root the compositor and its clients run as nobody, from copies here (the build may be out of its reach;
# KWin's own binary has a file capability, cap_sys_resource, that a process here may not gain, its copy none).
cd "$E2E_TMP" && chmod 711 . && mkdir -m 755 bin || exit 1
cp "$2" "$3" $(on kwin && command -v kwin_wayland) "$E2E_DIR/wayland/kwin_screenshot.py" bin/ &&
    chmod 755 bin/*
SAVER=$PWD/bin/$(basename "$2") INPUT=$PWD/bin/$(basename "$3")

if on sway; then
    e2e_start_sway 640x480 800x600 +320x240
    SESSION=("${E2E_SESSION[@]}") OUTPUTS=(HEADLESS-1 HEADLESS-2) SIZES=(640x480 800x600)
    shot() { as_client grim -t ppm -o "$1" - >"$2"; }
    key() { as_client wtype -s 500 x; }
else
    # KWin's own folder (its HOME and XDG_RUNTIME_DIR) and session bus, with no services to outlive it.
    DIR=$PWD/kwin
    mkdir -m 700 kwin && { [ ${#as_user[@]} -eq 0 ] || chown nobody kwin; }
    { echo "<busconfig><type>session</type><listen>unix:path=$DIR/bus</listen><auth>EXTERNAL</auth>"
      echo '<policy context="default"><allow send_destination="*"/><allow eavesdrop="true"/><allow own="*"/>'
      echo '</policy></busconfig>'; } >bus.conf && chmod 644 bus.conf
    SESSION=("${as_user[@]}" env -i HOME="$DIR" XDG_RUNTIME_DIR="$DIR" PATH="$PWD/bin:/usr/bin:/bin"
             DBUS_SESSION_BUS_ADDRESS="unix:path=$DIR/bus")
    spawn BUS_PID "${SESSION[@]}" dbus-daemon --nofork --config-file="$PWD/bus.conf" >bus.log 2>&1
    wait_for 20 test -S kwin/bus || { echo "no session bus: $(tail -n 1 bus.log)"; exit 1; }
    # Without the permission checks KWin offers its fake input and screenshots to every client.
    spawn KWIN_PID "${SESSION[@]}" KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        kwin_wayland --virtual --socket kwin-e2e --no-lockscreen --no-global-shortcuts --no-kactivities \
        --width 640 --height 480 --output-count 2 --scale 1.5 >kwin.log 2>&1
    wait_for 30 eval 'running $KWIN_PID && test -S kwin/kwin-e2e' ||
        e2e_skipped "KWin does not start here: $(grep -v '^$' kwin.log | tail -n 1)"
    SESSION+=(WAYLAND_DISPLAY=kwin-e2e) OUTPUTS=(Virtual-0 Virtual-1) SIZES=(640x480 640x480)
    shot() { as_client /usr/bin/python3 "$E2E_TMP/bin/kwin_screenshot.py" "$1" >"$2"; }
    key() { as_client "$INPUT" key; }
fi
SESSION+=(ASAN_OPTIONS="$ASAN_OPTIONS") FIRST=${OUTPUTS[0]} SAVER_RUNS=0
# A program in the session; one started in the background is spawn NAME "${SESSION[@]}" PROGRAM, for its
# own pid.
as_client() { "${SESSION[@]}" "$@"; }
# A mouse that stays: the seat has a pointer from the start, as on a desktop, away from the edges.
spawn MOUSE_PID "${SESSION[@]}" "$INPUT" move 100 100 stay >mouse.out 2>&1
wait_for 30 grep -q ready mouse.out || { echo "no test input: $(cat mouse.out)"; exit 1; }
wait_for 30 shot "$FIRST" desktop.ppm ||
    e2e_skipped "$COMPOSITOR gives no screenshots here: $(shot "$FIRST" /dev/null 2>&1 | tail -n 1)"
# Input starts with a motion that does not move, so the pointer is on the saver's surface (its enter event)
# before the real motion comes.
click() { as_client "$INPUT" move 0 0 wait 300 button; }
move() { as_client "$INPUT" move 0 0 wait 300 move "$1" 0; }

# start_saver ARGUMENTS...: the saver with --verbose in the session, as SAVER_PID, its stderr in SAVER_LOG.
start_saver() {
    SAVER_LOG=$PWD/saver-$((++SAVER_RUNS)).log
    spawn SAVER_PID "${SESSION[@]}" "$SAVER" --verbose "$@" >"$SAVER_LOG.out" 2>"$SAVER_LOG"
}
log_saver() { e2e_log "saver: $(tr '\n' '|' <"$SAVER_LOG")"; return 1; }
# said N LINE: the saver's log has at least N lines "fenlight-wayland: LINE" (an extended regular expression,
# then a word's end); frames OUTPUT: its count of lines of frames for OUTPUT (a regular expression); drawing
# OUTPUT: the second has come, so the saver has drawn there for over a second and takes input (it ignores
# the first half second); more_frames N OUTPUT...: N more come for each; everywhere N WHAT: every output has
# been "shown" or "closed" N times.
said() { [ "$(grep -cE "^fenlight-wayland: $2\b" "$SAVER_LOG")" -ge "$1" ]; }
frames() { grep -cE "^fenlight-wayland: $1 [0-9]+ frames" "$SAVER_LOG"; }
drawing() { said 2 "$1 [0-9]+ frames"; }
more_frames() {
    local o; for o in "${@:2}"; do wait_for 20 said $(($(frames "$o") + $1)) "$o [0-9]+ frames" || return; done
}
stays_running() { more_frames 2 "$FIRST" && running "$SAVER_PID"; }
everywhere() { local output; for output in "${OUTPUTS[@]}"; do said "$1" "$output $2" || return; done; }
# lit OUTPUT COLOURS: OUTPUT comes to show lights of those colours (e2e_lights).
shows_lights() { shot "$1" lights.ppm && e2e_lights lights.ppm "$2"; }
lit() { LIGHTS= && wait_for 20 shows_lights "$@" || { e2e_log "$1: ${LIGHTS:-no picture}"; return 1; }; }
# same_picture A B [MAE]: the pictures' mean difference is at most MAE (default 2/255) of full scale.
same_picture() {
    DIFFERENCE=$(compare -metric MAE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\))/\1/p')
    awk -v d="${DIFFERENCE:-1}" -v limit="${3:-0.00785}" 'BEGIN { exit !(d <= limit) }'
}
# quiet SECONDS: the saver takes hardly any CPU time (a tenth) and counts no frames in that time.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$SAVER_PID/stat"; }
quiet() {
    local lines ticks used
    lines=$(frames '[^ ]+') ticks=$(cpu_ticks)
    sleep "$1"
    used=$(($(cpu_ticks) - ticks))
    e2e_log "$(($(frames '[^ ]+') - lines)) counts of frames and $used ticks of CPU time in $1 s"
    [ "$(frames '[^ ]+')" -eq "$lines" ] && [ "$used" -le $(($1 * $(getconf CLK_TCK) / 10)) ]
}

echo "== every output: a surface of its size with lights of the chosen colours"
start_saver --colors=amber
covered() { wait_for 30 said 1 "$1 shown $2" && lit "$1" amber || log_saver; }
for i in "${!OUTPUTS[@]}"; do
    e2e_check "${OUTPUTS[i]} is covered at ${SIZES[i]} with amber lights" covered "${OUTPUTS[i]}" ${SIZES[i]}
done
if on sway; then
    as_client swaymsg create_output >/dev/null
    e2e_check "an output made while it runs is covered with lights too" covered HEADLESS-3 320x240
    OUTPUTS+=(HEADLESS-3)
else
    # The latest size said (KWin tells the fractional scale once the surface is on its output).
    scaled() { grep "^fenlight-wayland: $FIRST .*(buffer" "$SAVER_LOG" | tail -n 1 | grep -qF "$1 (buffer $2)"
    }
    e2e_check "at 150 % it draws a buffer of 960x720 for the 640x480 surface" \
        eval 'wait_for 20 scaled 640x480 960x720 || log_saver'
fi

echo "== a second start, a 4-pixel move, the outputs off; SIGINT"
wait_for 20 drawing "$FIRST"
second_start() {
    local started=$SECONDS status
    timeout 20 "${SESSION[@]}" "$SAVER" --verbose >second.out 2>second.log
    status=$?
    e2e_log "status $status after $((SECONDS - started)) s: $(tr '\n' '|' <second.log)"
    [ "$status" -eq 0 ] && [ $((SECONDS - started)) -le 5 ] && ! grep -q shown second.log
}
e2e_check "a second start ends at once with 0 and shows nothing" second_start
e2e_check "a 4-pixel move leaves it running" eval 'move 4 && stays_running'
on sway && as_client swaymsg output '*' dpms off >/dev/null
if on sway && as_client swaymsg -t get_outputs | grep -q '"dpms": true'; then
    e2e_skip "no frames while the outputs are off: this sway cannot turn its outputs off (the headless" \
        "backend of wlroots before 0.16 refuses to disable an output)"
elif on sway; then
    # Within a few seconds (the count of the second before may still come), two without frames.
    e2e_check "no frames are drawn while the outputs are off" wait_for 10 quiet 2
    as_client swaymsg output '*' dpms on >/dev/null
    e2e_check "frames are drawn on every output again once they are on" more_frames 1 "${OUTPUTS[@]}"
fi
kill -INT "$SAVER_PID"
e2e_check "SIGINT ends it with 0" exits_with "$SAVER_PID" 0

if on sway; then
    echo "== the still picture is fenlight-snapshot's, with no cursor over it"
    # The saver that ended left the pointer's own image on the desktop, where sway draws it.
    wait_for 10 eval 'shot HEADLESS-1 cursor.ppm && ! same_picture cursor.ppm desktop.ppm 0'
    CURSOR_SHOWN=$?
    STILL=(--colors amber --direction up --seed 7 --seconds 12)
    start_saver "${STILL[@]}"
    for i in 0 1; do
        output=${OUTPUTS[i]} size=${SIZES[i]}
        "$SNAPSHOT" --out "$output.png" "${STILL[@]}" --width "${size%x*}" --height "${size#*x}" >/dev/null
        matches() { shot "$output" still.ppm && same_picture still.ppm "$output.png"; }
        e2e_check "$output shows the snapshot's picture" \
            eval 'wait_for 20 matches || { e2e_log "mean difference ${DIFFERENCE:-none}"; log_saver; }'
    done
    # With the pointer moved onto it, HEADLESS-1 has no pixel far from the snapshot's.
    no_cursor() {
        local differing=
        move 1 && shot HEADLESS-1 still.ppm &&
            differing=$(compare -metric AE -fuzz 10% still.ppm HEADLESS-1.png null: 2>&1)
        e2e_log "${differing:-no} pixels differ by more than 10%"
        [ "$differing" = 0 ]
    }
    if [ "$CURSOR_SHOWN" -eq 0 ]; then e2e_check "no cursor is drawn over it" no_cursor
    else e2e_skip "no cursor is drawn over it: this sway draws no cursor on the desktop either"; fi
    kill "$SAVER_PID" && exits_with "$SAVER_PID" 0
fi

echo "== input ends it with 0, but not with --background"
for row in "a key|key" "a click|click" "a 5-pixel move|move 5"; do
    start_saver
    e2e_check "${row%%|*} ends it with 0" \
        eval 'wait_for 30 drawing "$FIRST" && ${row#*|} && exits_with "$SAVER_PID" 0 || log_saver'
done
start_saver --background
e2e_check "--background: a key, a click and a 5-pixel move leave it running, SIGTERM ends it with 0" \
    eval 'wait_for 30 drawing "$FIRST" && key && click && move 5 && stays_running &&
          kill "$SAVER_PID" && exits_with "$SAVER_PID" 0 || log_saver'

echo "== --idle 4: after the idle time, hidden on input, again after the next; not while an inhibitor holds"
inhibit() {
    spawn INHIBITOR_PID "${SESSION[@]}" "$INPUT" inhibit stay >inhibitor.out 2>&1
    wait_for 30 grep -q ready inhibitor.out || { e2e_log "inhibitor: $(cat inhibitor.out)"; return 1; }
}
# shows_after N SINCE: every output is shown the Nth time, the first with lights, no sooner than the idle
# time after SINCE (a time of $SECONDS).
shows_after() {
    wait_for 20 everywhere "$1" shown && lit "$FIRST" lapis &&
        { [ $((SECONDS - $2)) -ge 4 ] || { e2e_log "shown after $((SECONDS - $2)) s"; false; }; }
}
inhibit
start_saver --idle 4 --colors lapis
# Twice the idle time with no input: nothing may show while the inhibitor is there.
e2e_check "an idle inhibitor holds it off" eval '! wait_for 8 said 1 "[^ ]+ shown" && running $SAVER_PID'
kill "$INHIBITOR_PID"
e2e_check "4 s after the inhibitor goes it shows on every output" eval 'shows_after 1 $SECONDS || log_saver'
desktop_shown() { shot "$FIRST" hidden.ppm && same_picture hidden.ppm desktop.ppm; }
e2e_check "input hides it and it keeps running" \
    eval 'wait_for 20 drawing "$FIRST" && INPUT_AT=$SECONDS && move 20 &&
          wait_for 20 everywhere 1 closed && running $SAVER_PID || log_saver'
# Measured at once: the idle time from the input is the most a loaded machine may take over it.
e2e_check "hidden, it draws nothing, showing the desktop" \
    eval "quiet 1 && ! said 2 '$FIRST shown' && wait_for 10 desktop_shown"
e2e_check "it shows again after the next idle time" eval 'shows_after 2 $INPUT_AT || log_saver'
# Input while an inhibitor holds: sway tells no idle watch of it, so the saver must judge it itself, and its
# watch must count the idle time anew once the inhibitor goes.
e2e_check "input while an inhibitor holds hides it too, and it shows again once the inhibitor goes" \
    eval 'inhibit && wait_for 20 drawing "$FIRST" && move 20 && wait_for 20 everywhere 2 closed &&
          kill $INHIBITOR_PID && shows_after 3 $SECONDS || log_saver'
kill "$SAVER_PID" && exits_with "$SAVER_PID" 0
on kwin && { e2e_finish; exit; }

echo "== swayidle starts it with the stored settings; a key ends it"
as_client "$SAVER" --save --colors amethyst >/dev/null
# The command as a user would write it, which also notes the saver's pid and keeps its stderr.
spawn SWAYIDLE_PID "${SESSION[@]}" swayidle -w timeout 2 \
    "echo \$\$ >\$HOME/saver.pid; exec $SAVER --verbose 2>>\$HOME/saver.log" >swayidle.log 2>&1
SAVER_LOG=$E2E_SWAY_DIR/saver.log
e2e_check "swayidle -w timeout 2 fenlight-wayland: amethyst lights after 2 s, gone on a key" \
    eval 'wait_for 30 said 1 "HEADLESS-1 shown" && lit HEADLESS-1 amethyst &&
          SAVER_PID=$(cat "$E2E_SWAY_DIR/saver.pid") && track $SAVER_PID &&
          wait_for 20 drawing HEADLESS-1 && key && wait_for 20 gone $SAVER_PID || log_saver'
kill "$SWAYIDLE_PID"  # before its next timeout starts another
track "$(cat "$E2E_SWAY_DIR/saver.pid" 2>/dev/null)"

echo "== refusals: status 1 and one line saying why"
# Folders of the session's user only, as a HOME and XDG_RUNTIME_DIR: one empty, one Weston's.
mkdir -m 700 empty weston && { [ ${#as_user[@]} -eq 0 ] || chown nobody empty weston; }
spawn WESTON_PID "${as_user[@]}" env -i HOME="$PWD/weston" XDG_RUNTIME_DIR="$PWD/weston" PATH=/usr/bin:/bin \
    weston --backend=headless-backend.so --socket=weston-e2e --idle-time=0 >weston.log 2>&1
# refused VARIABLE=VALUE...: the saver, with only those in its environment, ends 1 with one line on stderr
# and nothing else.
refused() {
    timeout 20 "${as_user[@]}" env -i PATH=/usr/bin:/bin ASAN_OPTIONS="$ASAN_OPTIONS" "$@" "$SAVER" \
        >refused.out 2>refused.err
    local status=$?
    e2e_log "status $status: $(tr '\n' '|' <refused.err)"
    [ "$status" -eq 1 ] && [ ! -s refused.out ] && [ "$(wc -l <refused.err)" -eq 1 ] &&
        grep -q '^fenlight-wayland: ' refused.err
}
for row in "no WAYLAND_DISPLAY|XDG_RUNTIME_DIR=$PWD/empty" \
    "a WAYLAND_DISPLAY whose socket is missing|XDG_RUNTIME_DIR=$E2E_SWAY_DIR WAYLAND_DISPLAY=wayland-9" \
    "a compositor without layer-shell (Weston)|XDG_RUNTIME_DIR=$PWD/weston WAYLAND_DISPLAY=weston-e2e"; do
    if [[ $row == *weston-e2e ]] && ! wait_for 20 test -S weston/weston-e2e; then
        e2e_skip "a compositor without layer-shell: Weston does not start here: $(tail -n 1 weston.log)"
    else  # shellcheck disable=SC2086  # the row's variables, one word each
        e2e_check "${row%%|*} is refused" refused ${row#*|}
    fi
done

echo "== its compositor gone, it ends by itself"
start_saver
e2e_check "when sway ends it ends too, with 1" \
    eval 'wait_for 30 drawing "$FIRST" && kill "$E2E_SWAY_PID" && exits_with "$SAVER_PID" 1 || log_saver'
e2e_finish
