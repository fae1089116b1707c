#!/usr/bin/env bash
# The Wayland saver on a private headless sway: it covers every output (one made while it runs too) with
# lights of the chosen colours and no cursor; its still picture is fenlight-snapshot's; a key, a click and a
# move of more than 4 pixels end it with 0, a 4-pixel move does not, nor does a second start, nor any input
# with --background; SIGTERM and SIGINT end it with 0; it draws nothing while the outputs are off (where sway
# can turn them off); --idle shows after the idle time, hides on input, drawing nothing then, and shows
# again, not while an idle inhibitor holds; swayidle starts it with the stored settings; it refuses to start
# without a Wayland display or without layer-shell (Weston).
#   wayland.sh FENLIGHT_WAYLAND WAYLAND_VIRTUAL_POINTER FENLIGHT_SNAPSHOT
. "$(dirname "$0")/../common.sh"

SNAPSHOT=$3
for program in sway swaymsg swayidle grim wtype; do
    command -v "$program" >/dev/null || { echo "skipped: $program is not installed"; exit 77; }
done
# Mesa's driver is unloaded when the display closes, so the leak checker cannot tell its allocations from
# ours; the portable code's leaks are checked by the native tests.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# Sway refuses to run as root: as root, the compositor and every client of it run as nobody, from copies in
# this check's folder (the build's may be where nobody cannot read).
e2e_start_sway 640x480 800x600 +320x240
mkdir -m 755 "$E2E_TMP/bin"
cp "$1" "$2" "$E2E_TMP/bin/"
chmod 755 "$E2E_TMP/bin/"*
SAVER=$E2E_TMP/bin/$(basename "$1")
POINTER=$E2E_TMP/bin/$(basename "$2")
# Where the session's user may be.
cd "$E2E_TMP" || exit 1
SESSION=("${E2E_SESSION[@]}" ASAN_OPTIONS="$ASAN_OPTIONS")
# CLIENT: the same user with no session.
CLIENT=("${E2E_AS_USER[@]}" env -i PATH=/usr/bin:/bin ASAN_OPTIONS="$ASAN_OPTIONS")
# own_folder DIR: a folder of the session's user only, as its HOME and XDG_RUNTIME_DIR.
own_folder() {
    mkdir -m 700 "$1"
    [ ${#E2E_AS_USER[@]} -eq 0 ] || chown nobody "$1"
}
# A mouse that stays: the seat has a pointer from the start, as on a desktop, away from the edges.
"${SESSION[@]}" "$POINTER" move 100 100 stay >"$E2E_TMP/mouse.out" 2>&1 &
e2e_track $!
e2e_wait_for 20 grep -q ready "$E2E_TMP/mouse.out" ||
    { echo "no virtual pointer: $(cat "$E2E_TMP/mouse.out")"; exit 1; }

as_client() { "${SESSION[@]}" "$@"; }
shot() { as_client grim -o "$1" - >"$2" 2>/dev/null; }
# Input through the seat; every sequence starts with a motion that does not move, so the pointer is on the
# saver's surface (its enter event) before the real motion comes.
key() { as_client wtype -s 500 x; }
click() { as_client "$POINTER" move 0 0 wait 300 button; }
move() { as_client "$POINTER" move 0 0 wait 300 move "$1" 0; }

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
# stays_running: the saver is still running after two more counts of frames on HEADLESS-1.
stays_running() {
    local seen
    seen=$(grep -cE "^fenlight-wayland: HEADLESS-1 [0-9]+ frames" "$SAVER_LOG")
    e2e_wait_for 20 said $((seen + 2)) "HEADLESS-1 [0-9]+ frames" && running "$SAVER_PID"
}
# log_saver: shows what the saver said, and fails.
log_saver() { e2e_log "saver: $(tr '\n' '|' <"$SAVER_LOG")"; return 1; }

# shows_lights OUTPUT HUE_LOW HUE_HIGH: OUTPUT shows over 300 lit pixels of a mean hue in that range.
declare -A HUES=([emerald]="70 110" [lapis]="175 225" [amber]="35 65" [amethyst]="245 295")
shows_lights() {
    local n r g b hue
    shot "$1" "$E2E_TMP/lights.png" || return 1
    read -r n r g b hue < <(e2e_pixels "$E2E_TMP/lights.png")
    LIGHTS="$1: $n lit pixels, hue $hue"
    [ "$n" -gt 300 ] && [ "$hue" -ge "$2" ] && [ "$hue" -le "$3" ]
}
lit() { e2e_wait_for 20 shows_lights "$@" || { e2e_log "$LIGHTS"; return 1; }; }
# same_picture A B [MAE]: the pictures' mean difference is at most MAE (default 2/255) of full scale.
same_picture() {
    DIFFERENCE=$(compare -metric MAE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\))/\1/p')
    awk -v d="${DIFFERENCE:-1}" -v limit="${3:-0.00785}" 'BEGIN { exit !(d <= limit) }'
}

shot HEADLESS-1 "$E2E_TMP/desktop.png"

echo "== every output: a surface of its size with lights of the chosen colours, one made later too"
start_saver --colors=amber
for row in "HEADLESS-1 640x480" "HEADLESS-2 800x600"; do
    read -r output size <<<"$row"
    e2e_check "$output is covered at $size with amber lights" \
        eval 'e2e_wait_for 30 said 1 "$output shown $size" && lit "$output" ${HUES[amber]} || log_saver'
done
as_client swaymsg create_output >/dev/null
e2e_check "an output made while it runs is covered with lights too" \
    eval 'e2e_wait_for 30 said 1 "HEADLESS-3 shown 320x240" && lit HEADLESS-3 ${HUES[amber]} || log_saver'

echo "== a second start, a 4-pixel move"
e2e_wait_for 20 drawing HEADLESS-1
second_start() {
    local started=$SECONDS status
    timeout 20 "${SESSION[@]}" "$SAVER" --verbose >"$E2E_TMP/second.out" 2>"$E2E_TMP/second.log"
    status=$?
    e2e_log "status $status after $((SECONDS - started)) s: $(tr '\n' '|' <"$E2E_TMP/second.log")"
    [ "$status" -eq 0 ] && [ $((SECONDS - started)) -le 5 ] && ! grep -q shown "$E2E_TMP/second.log"
}
e2e_check "a second start ends at once with 0 and shows nothing" second_start
e2e_check "a 4-pixel move leaves it running" eval 'move 4 && stays_running'

echo "== no frames while the outputs are off, on every output again after"
# quiet SECONDS: the saver takes hardly any CPU time (a tenth) and counts no frames in that time.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$SAVER_PID/stat"; }
frame_counts() { grep -cE "^fenlight-wayland: [^ ]+ [0-9]+ frames" "$SAVER_LOG"; }
quiet() {
    local lines ticks used
    lines=$(frame_counts)
    ticks=$(cpu_ticks)
    sleep "$1"
    used=$(($(cpu_ticks) - ticks))
    e2e_log "$(($(frame_counts) - lines)) counts of frames and $used ticks of CPU time in $1 s"
    [ "$(frame_counts)" -eq "$lines" ] && [ "$used" -le $(($1 * $(getconf CLK_TCK) / 10)) ]
}
as_client swaymsg output '*' dpms off >/dev/null
if as_client swaymsg -t get_outputs | grep -q '"dpms": true'; then
    e2e_skip "no frames while the outputs are off: this sway cannot turn its outputs off (the headless" \
        "backend of wlroots before 0.16 refuses to disable an output)"
else
    # The count of the second before may still come.
    e2e_check "no frames are drawn while the outputs are off" eval 'sleep 1.5; quiet 2'
    as_client swaymsg output '*' dpms on >/dev/null
    frames_again() {
        local output
        for output in HEADLESS-1 HEADLESS-2 HEADLESS-3; do
            e2e_wait_for 20 said $(($(grep -cE "^fenlight-wayland: $output [0-9]+ frames" "$SAVER_LOG") + 1)) \
                "$output [0-9]+ frames" || return 1
        done
    }
    e2e_check "frames are drawn on every output again once they are on" frames_again
fi
kill -INT "$SAVER_PID"
e2e_check "SIGINT ends it with 0" exits_with "$SAVER_PID" 0

echo "== the still picture is fenlight-snapshot's, with no cursor over it"
# The saver that ended left the pointer's own image on the desktop, where sway draws it.
cursor_shown() { shot HEADLESS-1 "$E2E_TMP/cursor.png" && ! same_picture "$E2E_TMP"/{cursor,desktop}.png 0; }
e2e_wait_for 10 cursor_shown
CURSOR_SHOWN=$?
start_saver --colors amber --direction up --seed 7 --seconds 12
for row in "HEADLESS-1 640 480" "HEADLESS-2 800 600"; do
    read -r output width height <<<"$row"
    "$SNAPSHOT" --out "$E2E_TMP/snapshot-$output.png" --seed 7 --seconds 12 --width "$width" \
        --height "$height" --colour 2 --direction 0 >/dev/null
    matches() { shot "$output" "$E2E_TMP/still.png" && same_picture "$E2E_TMP"/{still,snapshot-"$output"}.png; }
    e2e_check "$output shows the snapshot's picture" \
        eval 'e2e_wait_for 20 matches || { e2e_log "mean difference ${DIFFERENCE:-none}"; log_saver; }'
done
# no_cursor: with the pointer moved onto it, HEADLESS-1 has no pixel far from the snapshot's.
no_cursor() {
    local differing
    move 1 && shot HEADLESS-1 "$E2E_TMP/still.png" || return 1
    differing=$(compare -metric AE -fuzz 10% "$E2E_TMP/still.png" "$E2E_TMP/snapshot-HEADLESS-1.png" null: 2>&1)
    e2e_log "$differing pixels differ by more than 10%"
    [ "$differing" = 0 ]
}
if [ "$CURSOR_SHOWN" -eq 0 ]; then
    e2e_check "no cursor is drawn over it" no_cursor
else
    e2e_skip "no cursor is drawn over it: this sway draws no cursor on the desktop either"
fi
kill "$SAVER_PID"
e2e_check "SIGTERM ends it with 0" exits_with "$SAVER_PID" 0

echo "== input ends it with 0, but not with --background"
for row in "a key|key" "a click|click" "a 5-pixel move|move 5"; do
    start_saver
    e2e_check "${row%%|*} ends it with 0" \
        eval 'e2e_wait_for 30 drawing HEADLESS-1 && ${row#*|} && exits_with "$SAVER_PID" 0 || log_saver'
done
start_saver --background
e2e_check "--background: a key, a click and a 5-pixel move leave it running, SIGTERM ends it with 0" \
    eval 'e2e_wait_for 30 drawing HEADLESS-1 && key && click && move 5 && stays_running &&
          kill "$SAVER_PID" && exits_with "$SAVER_PID" 0 || log_saver'

echo "== --idle: after the idle time, hidden on input, again after the next; not while an inhibitor holds"
"${SESSION[@]}" "$POINTER" inhibit stay >"$E2E_TMP/inhibitor.out" 2>&1 &
INHIBITOR_PID=$!
e2e_track $INHIBITOR_PID
e2e_wait_for 20 grep -q ready "$E2E_TMP/inhibitor.out"
start_saver -idle 3 --colors lapis
# everywhere N WHAT: every output has been "shown" or "closed" N times.
everywhere() { said "$1" "HEADLESS-1 $2" && said "$1" "HEADLESS-2 $2" && said "$1" "HEADLESS-3 $2"; }
held_off() {
    # Longer than the idle time with no input: nothing may show while the inhibitor is there.
    sleep 5
    ! said 1 "[^ ]+ shown" && running "$SAVER_PID"
}
e2e_check "an idle inhibitor holds it off" held_off
kill "$INHIBITOR_PID"
# shows_after N SINCE: every output is shown the Nth time, with lights, no sooner than the idle time after
# SINCE (a time of $SECONDS).
shows_after() {
    e2e_wait_for 20 everywhere "$1" shown && lit HEADLESS-1 ${HUES[lapis]} &&
        { [ $((SECONDS - $2)) -ge 3 ] || { e2e_log "shown after $((SECONDS - $2)) s"; false; }; }
}
e2e_check "3 s after the inhibitor goes it shows on every output" eval 'shows_after 1 $SECONDS || log_saver'
desktop() { shot HEADLESS-1 "$E2E_TMP/hidden.png" && same_picture "$E2E_TMP"/{hidden,desktop}.png; }
hides() {
    e2e_wait_for 20 drawing HEADLESS-1 && INPUT_AT=$SECONDS && move 20 &&
        e2e_wait_for 20 everywhere 1 closed && e2e_wait_for 5 desktop && running "$SAVER_PID"
}
e2e_check "input hides it, showing the desktop, and it keeps running" eval 'hides || log_saver'
e2e_check "hidden, it draws nothing" eval 'quiet 1 && ! said 2 "HEADLESS-1 shown"'
e2e_check "it shows again after the next idle time" eval 'shows_after 2 $INPUT_AT || log_saver'
# Input while an inhibitor holds: sway tells no idle watch of it, so the saver must judge it itself, and its
# watch must count the idle time anew once the inhibitor goes.
"${SESSION[@]}" "$POINTER" inhibit stay >"$E2E_TMP/inhibitor.out" 2>&1 &
INHIBITOR_PID=$!
e2e_track $INHIBITOR_PID
inhibited_input() {
    e2e_wait_for 20 grep -q ready "$E2E_TMP/inhibitor.out" && e2e_wait_for 20 drawing HEADLESS-1 && move 20 &&
        e2e_wait_for 20 everywhere 2 closed && kill "$INHIBITOR_PID" && shows_after 3 $SECONDS
}
e2e_check "input while an inhibitor holds hides it too, and it shows again once the inhibitor goes" \
    eval 'inhibited_input || log_saver'
kill "$SAVER_PID"
exits_with "$SAVER_PID" 0

echo "== swayidle starts it with the stored settings; a key ends it"
as_client "$SAVER" --save --colors amethyst >/dev/null
# The command as a user would write it, which also notes the saver's pid and keeps its stderr.
"${SESSION[@]}" swayidle -w timeout 2 \
    "echo \$\$ >\$XDG_RUNTIME_DIR/saver.pid; exec $SAVER --verbose 2>>\$XDG_RUNTIME_DIR/saver.log" \
    >"$E2E_TMP/swayidle.log" 2>&1 &
SWAYIDLE_PID=$!
e2e_track $SWAYIDLE_PID
SAVER_LOG=$E2E_SWAY_DIR/saver.log
swayidle_run() {
    e2e_wait_for 30 said 1 "HEADLESS-1 shown" && lit HEADLESS-1 ${HUES[amethyst]} || return 1
    SAVER_PID=$(cat "$E2E_SWAY_DIR/saver.pid")
    e2e_track "$SAVER_PID"
    e2e_wait_for 20 drawing HEADLESS-1 && key && e2e_wait_for 20 gone "$SAVER_PID"
}
e2e_check "swayidle -w timeout 2 fenlight-wayland: amethyst lights after 2 s, gone on a key" \
    eval 'swayidle_run || log_saver'
# Before its next timeout starts another.
kill "$SWAYIDLE_PID"
e2e_track "$(cat "$E2E_SWAY_DIR/saver.pid" 2>/dev/null)"

echo "== refusals: status 1 and one line saying why"
# refused VARIABLE=VALUE...: the saver, with only those in its environment, ends 1 with one line on stderr
# and nothing else.
refused() {
    local status
    timeout 20 "${CLIENT[@]}" "$@" "$SAVER" >"$E2E_TMP/refused.out" 2>"$E2E_TMP/refused.err"
    status=$?
    e2e_log "status $status: $(tr '\n' '|' <"$E2E_TMP/refused.err")"
    [ "$status" -eq 1 ] && [ ! -s "$E2E_TMP/refused.out" ] && [ "$(wc -l <"$E2E_TMP/refused.err")" -eq 1 ] &&
        grep -q '^fenlight-wayland: ' "$E2E_TMP/refused.err"
}
own_folder "$E2E_TMP/empty"
for row in "no WAYLAND_DISPLAY|XDG_RUNTIME_DIR=$E2E_TMP/empty" \
    "a WAYLAND_DISPLAY whose socket is missing|XDG_RUNTIME_DIR=$E2E_SWAY_DIR WAYLAND_DISPLAY=wayland-9"; do
    # shellcheck disable=SC2086  # the row's variables, one word each
    e2e_check "${row%%|*} is refused" refused ${row#*|}
done
WESTON_DIR=$E2E_TMP/weston
own_folder "$WESTON_DIR"
"${E2E_AS_USER[@]}" env -i HOME="$WESTON_DIR" XDG_RUNTIME_DIR="$WESTON_DIR" PATH=/usr/bin:/bin weston \
    --backend=headless-backend.so --socket=weston-e2e --idle-time=0 >"$E2E_TMP/weston.log" 2>&1 &
e2e_track $!
if e2e_wait_for 20 test -S "$WESTON_DIR/weston-e2e"; then
    e2e_check "a compositor without layer-shell (Weston) is refused" \
        refused XDG_RUNTIME_DIR="$WESTON_DIR" WAYLAND_DISPLAY=weston-e2e
else
    e2e_skip "a compositor without layer-shell: Weston does not start here: $(tail -n 1 "$E2E_TMP/weston.log")"
fi

e2e_finish
