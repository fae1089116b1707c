# What the end-to-end scripts that start Fenlight.scr share (saver.sh, settings.sh, the installer's): their
# display and prefix, the setup dialog, a preview's parent, and the full-screen saver's checks. Source after
# common.sh, with PROBE (saver_probe.exe) and SCR (Fenlight.scr) set where they are used.
WIDTH=800 HEIGHT=600
SETTINGS='HKCU\Software\Ostrel\Fenlight'

# saver_display [win32]: a private display of WIDTH x HEIGHT and a Wine prefix of the check's own on it.
saver_display() { start_xvfb "${WIDTH}x${HEIGHT}" || exit 1; e2e_new_wineprefix "$@"; }

# The probe prints with Windows line ends.
probe() { wine "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }

# open_dialog [TAIL...]: "$SCR" TAIL shows the setup dialog, which gets the keyboard focus: DIALOG is its
# window (titled DIALOG_TITLE, in English "Fenlight Setup"), DIALOG_PID the program's pid.
DIALOG_PID= DIALOG=
dialog_up() { DIALOG=$(e2e_find_window "^${DIALOG_TITLE:-Fenlight Setup}\$"); [ -n "$DIALOG" ]; }
open_dialog() {
    spawn DIALOG_PID wine "$SCR" "$@" >/dev/null 2>&1
    wait_for 30 dialog_up && xdotool windowfocus --sync "$DIALOG" 2>/dev/null
}

# open_parent X Y WIDTH HEIGHT STOP: the probe's window for a preview to go into, there until the file STOP
# is made; PARENT is its handle (once it is shown, within 30 s), PARENT_PID the probe's pid.
open_parent() {
    rm -f "$5"
    spawn PARENT_PID wine "$PROBE" parent "$1" "$2" "$3" "$4" "Z:${5//\//\\}" >"$E2E_TMP/parent.out" 2>/dev/null
    wait_for 30 eval 'PARENT=$(tr -d "\r" <"$E2E_TMP/parent.out" | head -n 1) && [ -n "$PARENT" ]'
}

# start_saver TAIL...: Fenlight.scr ($SAVER_PROGRAM, else $SCR) started by the probe, which ends with it and
# writes its Windows exit code to SAVER_OUT; SAVER_PID is the probe's. wineserver kills a process whose exit
# takes over a second (a loaded machine), so Wine's own status may be 137 where Windows sees 0.
start_saver() {
    SAVER_OUT=$(mktemp -p "$E2E_TMP")
    spawn SAVER_PID wine "$PROBE" launch "${SAVER_PROGRAM:-$SCR}" "$*" >"$SAVER_OUT" 2>/dev/null
}

# saver_ends_with CODE [PID OUT]: the saver started by start_saver (or by that probe) ends with CODE.
saver_ends_with() {
    exits_with "${2:-$SAVER_PID}" 0 && grep -qx "exit $1" <(tr -d '\r' <"${3:-$SAVER_OUT}") ||
        { e2e_log "the saver: $(tr -d '\r' <"${3:-$SAVER_OUT}"), expected exit $1"; return 1; }
}

# Waits until the full-screen window exists; FOUND holds the probe's line: handle x y w h topmost visible.
saver_window_shown() { FOUND=$(probe find) && [[ $FOUND == *" visible" ]]; }

covers_screen() {
    local handle x y w h top visible
    read -r handle x y w h top visible <<<"$FOUND"
    e2e_log "saver window: $FOUND"
    [ "$x" = 0 ] && [ "$y" = 0 ] && [ "$w" = "$WIDTH" ] && [ "$h" = "$HEIGHT" ] && [ "$top" = topmost ] &&
        [ -n "$(xdotool search --onlyvisible --name '^Screen Saver$' 2>/dev/null)" ]
}

# glows FILE MIN: the screen, kept as FILE, has at least MIN bright pixels; BRIGHT and HUE are set.
BRIGHT=0 HUE=-1
glows() { e2e_screenshot "$1" && read -r BRIGHT _ _ _ HUE < <(e2e_pixels "$1") && [ "$BRIGHT" -ge "$2" ]; }

amber() { e2e_log "bright pixels $BRIGHT, mean hue $HUE"; [ "$HUE" -ge 30 ] && [ "$HUE" -le 70 ]; }

# Mostly black: the glows are small lights, not a coloured wash.
mostly_black() { [ "$BRIGHT" -lt $((WIDTH * HEIGHT / 2)) ]; }

# check_shown_and_drawing LABEL SHOT: the started saver shows a top-most window over the whole screen and
# draws amber glows on black (the Color setting 2); SHOT keeps the picture.
check_shown_and_drawing() {
    e2e_check "$1 shows a window" wait_for 30 saver_window_shown
    e2e_check "$1 window is top-most and covers the screen" covers_screen
    e2e_check "$1 draws glows" wait_for 15 glows "$2" 500
    e2e_check "glows are amber on black" eval 'amber && mostly_black'
}
