#!/usr/bin/env bash
# The Linux hack on a private Xvfb: bad options draw nothing; --root (plain and virtual root),
# --window-id and its own window show lights of the chosen colours; more particles show more light; a
# resized window keeps its lights round; SIGTERM, Escape, q and the window manager's close end it with 0;
# windows it cannot draw into are refused and other X errors fail it, with a message; the GLX extensions of
# the window's own screen are the ones asked about; an event Xlib has already read cuts a long wait between
# frames short; a second signal ends it on a stalled X server, also when started with the stop signals
# blocked; the settings' words; xscreensaver-settings' command.
#   hack.sh FENLIGHT X11_WINDOW_CHECK FENLIGHT_XML
. "$(dirname "$0")/../common.sh"

# FENLIGHT_XML: xscreensaver's description of the settings, as the build writes it.
FENLIGHT=$1 WINDOW_CHECK=$2 SETTINGS_XML=$3
unset XSCREENSAVER_WINDOW
# The second screen is 8 bits deep: OpenGL can use none of its visuals.
start_xvfb 1024x768 -screen 1 160x120x8 || exit 1

# start_hack ARGUMENTS: the hack in the background, as HACK_PID; BLOCKED=1: with SIGTERM and SIGINT blocked;
# LAUNCH=(COMMAND...): started through COMMAND.
HACK_PID= BLOCKED=0 LAUNCH=()
start_hack() {
    local launch=("${LAUNCH[@]}")
    [ "$BLOCKED" = 1 ] && launch=(python3 -c 'import os, signal as s, sys
s.pthread_sigmask(s.SIG_BLOCK, {s.SIGTERM, s.SIGINT}); os.execv(sys.argv[1], sys.argv[1:])')
    spawn HACK_PID "${launch[@]}" "$FENLIGHT" "$@" >"$E2E_TMP/hack.out" 2>"$E2E_TMP/hack.err"
}

# new_window WIDTH HEIGHT [vroot|inputonly]: a window of the window check's; sets WINDOW_ID and WINDOW_PID.
new_window() {
    local out=$E2E_TMP/window-$RANDOM
    spawn WINDOW_PID "$WINDOW_CHECK" new "$@" >"$out"
    wait_for 10 grep -q '^0x' "$out" && WINDOW_ID=$(head -n 1 "$out")
}

# How soon a stop must end the hack, in seconds: it frees the CPU as the desktop comes back, well inside the
# 10 s wait a stop must cut short. Measured: about 0.1 s idle, at most 0.6 s on a loaded 2-core machine.
PROMPTLY=3

# ends_in SECONDS PID: polls until the process has ended; then its exit status is in ENDED_STATUS.
ends_in() {
    local deadline=$(($(date +%s%N) + $1 * 1000000000))
    while running "$2"; do
        [ "$(date +%s%N)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
    wait "$2"
    ENDED_STATUS=$?
}

# ends_cleanly SIGNAL-OR-ACTION...: ends the running hack by the given command and expects status 0,
# promptly.
ends_cleanly() {
    "$@"
    ends_in "$PROMPTLY" "$HACK_PID" && [ "$ENDED_STATUS" -eq 0 ] ||
        { e2e_log "status ${ENDED_STATUS:-still running}: $(cat "$E2E_TMP/hack.err")"; return 1; }
}

shot() { import -display "$DISPLAY" -window "$1" "$2" 2>/dev/null; }

# shows_lights TARGET COLOURS: the hack runs and TARGET (root or a window id) shows lights of those colours.
shows_lights() { running "$HACK_PID" && shot "$1" "$E2E_TMP/lit.png" && e2e_lights "$E2E_TMP/lit.png" "$2"; }
# lit TARGET COLOURS ARGUMENTS...: the hack started with ARGUMENTS comes to show those lights on TARGET.
lit() { start_hack "${@:3}" && wait_for 15 shows_lights "$1" "$2"; }

echo "== bad options: exit 1 with a message, nothing drawn"
e2e_screenshot "$E2E_TMP/before.png"
bad_option() {
    local expected=$1 status; shift
    timeout 10 "$FENLIGHT" "$@" >"$E2E_TMP/bad.out" 2>"$E2E_TMP/bad.err"
    status=$?
    e2e_log "$* -> $status: $(cat "$E2E_TMP/bad.err")"
    [ "$status" -eq 1 ] && [ ! -s "$E2E_TMP/bad.out" ] && grep -qF -- "$expected" "$E2E_TMP/bad.err"
}
e2e_check "--particles 500 is refused" bad_option "--particles '500' is not accepted; expected a whole number from 20 to 120" --root --particles 500
e2e_check "--direction sideways is refused" bad_option "--direction 'sideways' is not accepted; expected up, down, in, random or cycle" --direction sideways
e2e_check "--bogus is refused" bad_option "unknown option '--bogus'" --bogus
e2e_screenshot "$E2E_TMP/after.png"
same_screen() { [ "$(compare -metric AE "$E2E_TMP/before.png" "$E2E_TMP/after.png" null: 2>&1)" = 0 ]; }
no_hack_window() { [ -z "$(e2e_find_window '^Fenlight$')" ]; }
e2e_check "nothing was drawn and no window appeared" eval 'same_screen && no_hack_window'
e2e_check "--help lists the options and exits 0" eval '"$FENLIGHT" --help | grep -q -- "--particles N"'

echo "== every choice of xscreensaver's settings dialog is an accepted option"
# settings_xml choices | words | command ID=VALUE...: the arguments of each menu entry and of each slider's
# ends and default; fenlight.xml's labels that are not the Windows dialog's texts (as its test reads them
# back from the dialog); or the command xscreensaver-settings builds with those settings changed.
settings_xml() {
    python3 - "$root" "$SETTINGS_XML" "$@" <<'PY'
import re, sys, xml.etree.ElementTree as tree
root, settings, mode = sys.argv[1:4]
changed = dict(pair.split("=") for pair in sys.argv[4:])
windows = set(re.findall(r'"([^"\n]+)"', open(root + "/tests/settings/win32/config_dialog_test.cpp").read()))
saver = tree.parse(settings).getroot()
args, words, choices = [saver.get("name")], [], []
add = lambda text: args.extend(text.split())
for e in saver.iter():
    value, get = changed.get(e.get("id")), e.get
    if e.tag == "command": add(get("arg"))
    if e.tag == "select" and value: add(next(o for o in e if o.get("id") == value).get("arg-set", ""))
    if e.tag == "number" and value not in (None, get("default")): add(get("arg").replace("%", value))
    if e.tag == "option": words += get("_label").replace(": ", ":\n").split("\n")
    if e.tag == "number" and get("id") != "delay":
        words += [get("_label") + ":", get("_low-label"), get("_high-label")]
    if get("arg-set"): choices.append(get("arg-set"))
    if e.tag == "number": choices += [get("arg").replace("%", get(key)) for key in ("low", "high", "default")]
unknown = " ".join(w for w in words if w not in windows) or "none"
print({"command": " ".join(args), "choices": "\n".join(choices)}.get(mode, unknown))
PY
}
# Each choice run against a display that does not exist: accepted options get as far as opening it.
dialog_choices_accepted() {
    local args count=0
    while read -r args; do
        count=$((count + 1))
        # shellcheck disable=SC2086
        DISPLAY=:no-such-display "$FENLIGHT" $args 2>&1 | grep -q "cannot open display" ||
            { e2e_log "refused: $args"; return 1; }
    done < <(settings_xml choices)
    e2e_log "$count dialog choices"
    [ "$count" -ge 20 ]
}
e2e_check "the dialog's choices are all accepted" dialog_choices_accepted
e2e_check "the settings use the Windows dialog's words" eval '[ "$(settings_xml words)" = none ]'

echo "== --root in each colour; SIGTERM and SIGINT end it promptly with status 0"
for colour in amber emerald lapis amethyst; do
    e2e_check "--root --colors $colour shows ${colour} lights" lit root "$colour" --root --colors "$colour"
    e2e_log "$LIGHTS"
    e2e_check "SIGTERM ends --root --colors $colour with 0 promptly" ends_cleanly kill -TERM "$HACK_PID"
done
# A stop signal cuts a long wait between frames short; SIGINT ends it as SIGTERM does.
lit root amber --root --colors amber --delay 10000000
e2e_check "SIGINT ends a hack waiting 10 s between frames with 0 promptly" ends_cleanly kill -INT "$HACK_PID"
BLOCKED=1 lit root amber --root --colors amber
e2e_check "SIGTERM ends a hack started with both signals blocked with 0" ends_cleanly kill -TERM "$HACK_PID"

echo "== frames: no more than the screen shows, and no jump after a stop"
# fps_shown: the rate --fps shows in the root's lower left corner, read with the hack's own glyphs (the
# window check prints them), drawn twice their size 8 pixels from the corner.
"$WINDOW_CHECK" glyphs >"$E2E_TMP/glyphs" || e2e_fail "the window check prints the frame rate's glyphs"
fps_shown() {
    shot root "$E2E_TMP/fps.png" || return 1
    SHOWN=$(convert "$E2E_TMP/fps.png" -depth 8 ppm:- | python3 -c '
import sys
sys.path.insert(0, sys.argv[2])
from ppm import read_ppm
glyphs = {line[0]: tuple(int(v, 16) for v in line[2:].split(",")) for line in open(sys.argv[1])}
width, height, pixels = read_ppm(sys.stdin.buffer.read())
lit = lambda x, y: min(pixels[3 * (y * width + x):3 * (y * width + x) + 3]) >= 250
cells = (tuple(sum(0x10 >> c for c in range(5) if lit(8 + 12 * i + 2 * c, height - 22 + 2 * r))
               for r in range(7)) for i in range(12))
print("".join(next((c for c, rows in glyphs.items() if rows == cell), " ") for cell in cells).strip())
' "$E2E_TMP/glyphs" "$E2E_DIR")
    [[ $SHOWN =~ ^FPS:\ [1-9][0-9.]*$ ]]
}
# Xvfb's screen has no refresh rate of its own: the hack takes 60 Hz. Three readings, a second's count each.
start_hack --root --colors amber --particles 20 --delay 0 --fps
at_most_a_refresh() {
    local readings=() previous=
    while [ ${#readings[@]} -lt 3 ]; do
        wait_for 15 eval 'fps_shown && [ "$SHOWN" != "$previous" ]' || return 1
        previous=$SHOWN
        readings+=("${SHOWN#FPS: }")
    done
    e2e_log "--fps showed ${readings[*]}"
    python3 -c 'import sys; sys.exit(0 if max(map(float, sys.argv[1:])) <= 61 else 1)' "${readings[@]}"
}
e2e_check "--delay 0 shows at most 60 frames a second on a 60 Hz screen" at_most_a_refresh
ends_cleanly kill -TERM "$HACK_PID" || e2e_fail "--fps ends cleanly"

# xscreensaver stops a hack while the monitor is off (SIGSTOP) and continues it after (SIGCONT): the scene
# goes on from where it was. Cycling colours change scheme every 30 s, so 31 s simulated on waking would
# show the next scheme's hue. The 31 s pass on the hack's clock (libfaketime, its offset read from a file at
# each look) rather than on the wall's; without libfaketime they are waited out.
FAKETIME_LIB=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
pass_31_seconds() { if [ -n "$FAKETIME_LIB" ]; then echo "+31s" >"$E2E_TMP/clock"; else sleep 31; fi; }
hue_now() { shot "$WINDOW_ID" "$E2E_TMP/hue.png" && HUE=$(e2e_pixels "$E2E_TMP/hue.png" | cut -d' ' -f5) && [ "$HUE" -ge 0 ]; }
same_as_stopped() { shot "$WINDOW_ID" "$E2E_TMP/$1.png" && [ "$(compare -metric AE "$E2E_TMP/stopped.png" "$E2E_TMP/$1.png" null: 2>&1)" = 0 ]; }
# The last frame sent before the stop may still reach the screen after it.
settled() { shot "$WINDOW_ID" "$E2E_TMP/stopped.png" && same_as_stopped settled; }
no_jump_after_a_stop() {
    local before
    wait_for 15 eval 'running "$HACK_PID" && hue_now' || return 1
    before=$HUE
    kill -STOP "$HACK_PID"
    wait_for 10 settled || return 1
    pass_31_seconds
    kill -CONT "$HACK_PID"
    wait_for 10 eval '! same_as_stopped again' && hue_now || return 1
    e2e_log "hue $before before the stop, $HUE after it"
    python3 -c 'import sys; d = abs(int(sys.argv[1]) - int(sys.argv[2])) % 360; sys.exit(min(d, 360 - d) > 20)' \
        "$before" "$HUE"
}
new_window 320 240
echo "+0" >"$E2E_TMP/clock"
# (ASan wants to be the first library loaded; libfaketime comes before it here.)
[ -z "$FAKETIME_LIB" ] || LAUNCH=(env LD_PRELOAD="$FAKETIME_LIB" FAKETIME_TIMESTAMP_FILE="$E2E_TMP/clock"
    FAKETIME_NO_CACHE=1 ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0")
start_hack --window-id "$WINDOW_ID" --colors cycle
LAUNCH=()
e2e_check "after SIGSTOP and SIGCONT the scene goes on without a jump" no_jump_after_a_stop
ends_cleanly kill -TERM "$HACK_PID" || e2e_fail "a continued hack ends cleanly"
kill "$WINDOW_PID"

COMMAND=$(settings_xml command colors=amber size=40 speed=33)
new_window 400 300
# shellcheck disable=SC2086
e2e_check "xscreensaver-settings' command shows amber lights in XSCREENSAVER_WINDOW, no own window" \
    eval 'XSCREENSAVER_WINDOW=$WINDOW_ID lit "$WINDOW_ID" amber ${COMMAND#fenlight } && no_hack_window'
e2e_check "SIGTERM ends it with 0" ends_cleanly kill -TERM "$HACK_PID"
kill "$WINDOW_PID"

echo "== --root draws into the virtual root"
new_window 320 240 vroot
e2e_check "the virtual root shows the lights" lit "$WINDOW_ID" emerald -root -colors emerald
e2e_log "$LIGHTS"
kill "$WINDOW_PID"
e2e_check "the hack ends with 0 when its window is destroyed" eval 'ends_in 5 "$HACK_PID" && [ "$ENDED_STATUS" -eq 0 ]'

echo "== --particles 20 shows fewer lights than --particles 120"
declare -A LIGHT_PIXELS
for particles in 20 120; do
    new_window 480 360
    LIGHT_PIXELS[$particles]=0
    if lit "$WINDOW_ID" amber --window-id "$WINDOW_ID" --particles "$particles" --colors amber --direction down; then
        for i in 1 2 3; do
            shot "$WINDOW_ID" "$E2E_TMP/count.png"
            ((LIGHT_PIXELS[$particles] += $(e2e_pixels "$E2E_TMP/count.png" | cut -d' ' -f1)))
        done
    fi
    e2e_log "--particles $particles: ${LIGHT_PIXELS[$particles]} bright pixels in three frames"
    ends_cleanly kill -TERM "$HACK_PID" || e2e_fail "--particles $particles ends cleanly"
    kill "$WINDOW_PID"
done
e2e_check "120 particles light at least twice the pixels of 20" \
    test "${LIGHT_PIXELS[120]}" -ge $((2 * ${LIGHT_PIXELS[20]})) -a "${LIGHT_PIXELS[20]}" -gt 0

echo "== a resized window is re-measured: lights fill it and stay round"
new_window 400 400
e2e_check "--window-id shows lapis lights" lit "$WINDOW_ID" lapis --window-id "$WINDOW_ID" --particles 40 --colors lapis
xdotool windowsize "$WINDOW_ID" 900 300
# Lights right of x = 600 mean the viewport followed the new size (the old one ended at 400).
resized() {
    shot "$WINDOW_ID" "$E2E_TMP/resized.png" || return 1
    [ "$(identify -format %wx%h "$E2E_TMP/resized.png")" = 900x300 ] || return 1
    read -r BLOBS ASPECT RIGHT < <(convert "$E2E_TMP/resized.png" -depth 8 ppm:- | python3 "$E2E_DIR/blobs.py" 100)
    [ "$RIGHT" -gt 600 ]
}
e2e_check "after the resize the lights reach across the wider window" wait_for 15 resized
e2e_log "$BLOBS separate lights, median width/height $ASPECT, rightmost light at x = $RIGHT"
e2e_check "the lights stay round (median width/height 0.75..1.33)" \
    python3 -c "import sys; sys.exit(0 if $BLOBS >= 5 and 0.75 <= $ASPECT <= 1.33 else 1)"
e2e_check "SIGTERM ends --window-id with 0" ends_cleanly kill -TERM "$HACK_PID"
kill "$WINDOW_PID"

echo "== its own window: lights, and Escape, q or the window manager's close end it with 0"
own_window() { OWN_WINDOW=$(e2e_find_window '^Fenlight$'); [ -n "$OWN_WINDOW" ]; }
close() { "$WINDOW_CHECK" close "$OWN_WINDOW"; }
key() { xdotool key --window "$OWN_WINDOW" "$1"; }
for ending in "Escape|key Escape" "q|key q" "the window manager's close|close"; do
    start_hack --colors amethyst
    if ! wait_for 15 own_window; then e2e_fail "the default window appears"; kill "$HACK_PID"; continue; fi
    e2e_check "the default window shows amethyst lights" wait_for 15 shows_lights "$OWN_WINDOW" amethyst
    e2e_check "${ending%|*} ends it with 0" ends_cleanly ${ending#*|}
done

echo "== windows it cannot draw into are refused, other X errors fail it: status 1 and one message"
refused() { bad_option "$1" --window-id "$WINDOW_ID" && [ "$(wc -l <"$E2E_TMP/bad.err")" -eq 1 ]; }
new_window 320 240 inputonly
e2e_check "an input-only window is refused" refused "is input-only: it has no pixels to draw into"
kill "$WINDOW_PID"
DISPLAY=$DISPLAY.1 new_window 160 120
e2e_check "a window OpenGL cannot use is refused" refused "OpenGL cannot draw into"
kill "$WINDOW_PID"

echo "== the window code on its own: a queued close ends the wait at once; other X errors fail the hack"
# window_check [WINDOW]: the window check passes, what it says logged and kept in check.out.
window_check() {
    timeout 20 "$WINDOW_CHECK" "$@" >"$E2E_TMP/check.out" 2>&1
    local status=$?
    e2e_log "$(cat "$E2E_TMP/check.out")"
    return $status
}
e2e_check "a queued close cuts a 5 s wait short; BadMatch on the drawn window fails, named" eval 'window_check &&
    grep -q "^fenlight: X error: BadMatch .*(request X_GetImage (73.0), resource 0x" "$E2E_TMP/check.out"'
# Screen 1 offers OpenGL nothing: from a display whose default screen it is, a window on screen 0 is asked
# about its own screen's extensions.
new_window 320 240
e2e_check "the GLX extensions asked about are those of the window's screen, not the default one's" \
    eval 'DISPLAY=$DISPLAY.1 window_check "$WINDOW_ID"'
kill "$WINDOW_PID"

echo "== a second stop signal ends a hack stuck on a stalled X server promptly"
# The stopped server answers nothing, so the hack waits inside Xlib for good. The first signal is taken
# before the second is sent, or the two would merge into one.
signal_taken() { ! grep -E '^(SigPnd|ShdPnd):' "/proc/$1/status" | grep -q '[1-9a-f]'; }
stalled_hack_ends() {
    local ended
    ENDED_STATUS=
    lit root amber --root --colors amber --delay 0 || return 1
    kill -STOP "$xvfb_pid"
    kill -TERM "$HACK_PID"
    wait_for 5 signal_taken "$HACK_PID"
    kill -TERM "$HACK_PID"
    ends_in "$PROMPTLY" "$HACK_PID"
    ended=$?
    kill -CONT "$xvfb_pid"
    e2e_log "status ${ENDED_STATUS:-still running}"
    return $ended
}
e2e_check "two SIGTERMs end it with the server stopped" stalled_hack_ends
BLOCKED=1 e2e_check "two SIGTERMs end it with the server stopped, started with both blocked" stalled_hack_ends

e2e_finish
