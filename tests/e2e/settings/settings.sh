#!/usr/bin/env bash
# The settings end to end, with the real Fenlight.scr under Wine on a private Xvfb display:
#   setup dialog - "/c" on a fresh prefix shows the defaults and OK stores them; changes made with the
#                  keyboard as a person would are stored exactly; Reset then Escape stores nothing;
#                  Reset then OK stores the defaults
#   saver        - values written with "wine reg add" change what "/s" shows: Color 2 amber lights,
#                  Color 1 blue ones; Quantity 20 visibly fewer lights than Quantity 120
# Usage: settings.sh Fenlight.scr saver_probe.exe [--screenshot FILE]   (FILE: the dialog as it first opens)
# In another language, its name for the dialog's title too (the screenshots in docs/ are taken so):
#   LANG=de_DE.UTF-8 DIALOG_TITLE=Fenlight-Einstellungen settings.sh ... --screenshot docs/setup-dialog-de.png
. "$(dirname "$0")/../common.sh"
. "$E2E_DIR/saver/shown.sh"

SCR=$(readlink -f "$1") PROBE=$(readlink -f "$2") SHOT_OUT=
e2e_can_start "$SCR" "$PROBE"
[ "${3:-}" != --screenshot ] || SHOT_OUT=$(readlink -f "$4")
saver_display

# stored: the key's values as "Color Direction Quantity Size Speed" in decimal, "none" without a key.
stored() {
    local out name value line=
    out=$(wine reg query "$SETTINGS" 2>/dev/null) || { echo none; return; }
    out=$(tr -d '\r' <<<"$out")
    for name in Color Direction Quantity Size Speed; do
        value=$(awk -v n="$name" '$1 == n && $2 == "REG_DWORD" { print $3 }' <<<"$out")
        line+="${line:+ }$((${value:-0xFFFFFFFF}))"
    done
    echo "$line"
}

stored_is() { e2e_is stored: "$(stored)" "$1"; }

# --- The setup dialog, driven with the keyboard. ---

# Wine draws the window frames itself here (there is no window manager), so the screenshot has its caption.
for value in Managed Decorated; do wine reg add 'HKCU\Software\Wine\X11 Driver' /v $value /d N /f >/dev/null 2>&1; done
# The caption's close glyph comes from Marlett, which Debian ships apart from Wine (fonts-wine).
[ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# keys KEY...: typed into the dialog, which has the keyboard focus.
keys() { xdotool key --delay 30 "$@"; }

# dialog_screenshot FILE: the dialog's window cut out of the screen.
dialog_screenshot() {
    local geometry X Y WIDTH HEIGHT
    geometry=$(xdotool getwindowgeometry --shell "$DIALOG") || return 1
    eval "$geometry"
    e2e_screenshot "$E2E_TMP/screen.png" &&
        convert "$E2E_TMP/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
}

# Taken once two pictures in a row are the same: the dialog has finished drawing.
dialog_settled() {
    dialog_screenshot "$E2E_TMP/next.png" || return 1
    local same=1
    [ -f "$E2E_TMP/dialog.png" ] &&
        [ "$(compare -metric AE "$E2E_TMP/dialog.png" "$E2E_TMP/next.png" null: 2>&1)" = 0 ] && same=0
    mv "$E2E_TMP/next.png" "$E2E_TMP/dialog.png"
    return $same
}
screenshot() {
    [ -n "$SHOT_OUT" ] || return 0
    e2e_check "dialog screenshot" wait_for 10 dialog_settled
    cp "$E2E_TMP/dialog.png" "$SHOT_OUT" && e2e_log "screenshot: $SHOT_OUT"
}

# session OPENED TYPED ENDED CODE STORED VALUES: /c opens the dialog, the command TYPED is run, the dialog
# ends with CODE and the settings stored are VALUES; OPENED, ENDED and STORED name the three checks.
session() {
    e2e_check "$1" open_dialog /c
    eval "$2"
    e2e_check "$3" exits_with "$DIALOG_PID" "$4"
    e2e_check "$5" stored_is "$6"
}

check_dialog() {
    e2e_check "no settings stored on a fresh prefix" stored_is none
    session "/c opens Fenlight Setup" "screenshot; keys Return" "OK on the opened dialog ends it with 1" 1 \
        "and stores what it showed: Cycle, Down, 77, 26, 33" "5 1 77 26 33"
    # Tab order: OK, Cancel, particles, direction, colours, size, speed, Reset.
    session "/c opens again" "keys Tab Tab End Tab Home Tab Home Down Down Tab Home Right Right Tab End Return" \
        "changes made with the keyboard end with 1" 1 "and are stored: Amber, Up, 120, 2, 100" "2 0 120 2 100"
    session "/c opens a third time" "keys shift+Tab space Escape" "Reset then Escape ends with 0" 0 \
        "and stores nothing" "2 0 120 2 100"
    session "/c opens a fourth time" "keys shift+Tab space Tab Return" "Reset then OK ends with 1" 1 \
        "and stores the defaults" "5 1 77 26 33"
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /f >/dev/null 2>&1
}

# --- The saver shows what is stored. ---

# run_saver COLOR QUANTITY: stores the two values, runs "/s" and samples the lights it shows (glows); sets
# MEDIAN (bright pixels, the median of five screenshots) and HUE (their mean hue, degrees).
MEDIAN=0
run_saver() {
    wine reg add "$SETTINGS" /v Color /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wine reg add "$SETTINGS" /v Quantity /t REG_DWORD /d "$2" /f >/dev/null 2>&1
    start_saver /s
    local shot="$E2E_TMP/saver-$1-$2.png" counts=() hues=() i
    wait_for 30 glows "$shot" 300 || return 1
    for i in 1 2 3 4 5; do
        sleep 0.4  # samples spread over two seconds, as the lights pulse and drift
        glows "$shot" 0 || return 1
        counts+=("$BRIGHT") hues+=("$HUE")
    done
    MEDIAN=$(printf '%s\n' "${counts[@]}" | sort -n | sed -n 3p)
    HUE=$(printf '%s\n' "${hues[@]}" | sort -n | sed -n 3p)
    e2e_log "Color $1, Quantity $2: bright pixels ${counts[*]} (median $MEDIAN), hues ${hues[*]}"
    xdotool key space
    saver_ends_with 0
}

between() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

check_saver() {
    wine reg delete "$SETTINGS" /f >/dev/null 2>&1
    e2e_check "/s with Color 2 and Quantity 20 draws lights" run_saver 2 20
    local fewer=$MEDIAN
    e2e_check "Color 2 gives amber lights (hue $HUE)" between "$HUE" 30 70
    e2e_check "/s with Color 1 and Quantity 120 draws lights" run_saver 1 120
    local more=$MEDIAN
    e2e_check "Color 1 gives blue lights (hue $HUE)" between "$HUE" 170 250
    e2e_check "Quantity 20 shows far fewer lights than 120 ($fewer vs $more bright pixels)" \
        test $((fewer * 3)) -le "$more"
}

check_dialog
check_saver
e2e_finish
