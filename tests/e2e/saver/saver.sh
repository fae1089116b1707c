#!/usr/bin/env bash
# The Windows saver end to end under Wine on a private Xvfb display:
#   full screen  - a top-most "Screen Saver" window covers the screen and shows amber glows on black;
#                  a 3-pixel mouse move leaves it running, a larger one or a key press ends it with 0;
#                  a second start while one runs ends at once with 0 and makes no second window
#   preview      - "/p HWND" fills the parent's client area with a child that draws frames, ignores
#                  keys and ends when the parent goes away
#   rejected     - bad preview numbers and unknown switches end with -1 and show nothing
#   setup        - "/c" and an empty command line open "Fenlight Setup", centred, with the version line
#   prefix       - the prefix every Wine check starts from: a 32-bit one where no 32-bit program runs is
#                  skipped with the reason, and a prefix whose wineboot failed is not taken as made
# FENLIGHT_SCREENSHOTS=folder keeps the full-screen picture there.
# Usage: saver.sh Fenlight.scr saver_probe.exe [full|basic]   (basic: full-screen checks only)
. "$(dirname "$0")/../common.sh"
. "$(dirname "$0")/shown.sh"

SCR=$(readlink -f "$1") PROBE=$(readlink -f "$2") SCOPE=${3:-full}
e2e_can_start "$SCR" "$PROBE"
saver_display
# Amber: every glow's hue lies between 41 and 59 degrees.
wine reg add "$SETTINGS" /v Color /t REG_DWORD /d 2 /f >/dev/null 2>&1

check_full_screen() {
    start_saver /s
    local shot="$E2E_TMP/full.png"
    check_shown_and_drawing /s "$shot"
    if [ -n "${FENLIGHT_SCREENSHOTS:-}" ]; then cp "$shot" "$FENLIGHT_SCREENSHOTS/saver-$SCOPE.png"; fi

    # The cursor starts in the middle of the screen; the anchor is wherever it was at creation.
    local cx=$((WIDTH / 2)) cy=$((HEIGHT / 2))
    xdotool mousemove $((cx + 2)) $((cy + 1))
    # Nothing to poll for: give the saver time to see the move, then make sure it is still there.
    sleep 1.5
    e2e_check "a 3-pixel move leaves it running" running "$SAVER_PID"
    xdotool mousemove $((cx + 4)) $((cy + 2))
    e2e_check "a 6-pixel move ends it with 0" saver_ends_with 0
    e2e_check "its window is gone" wait_for 10 eval '! saver_window_shown'
}

check_key_and_second_start() {
    start_saver /s
    local first=$SAVER_PID first_out=$SAVER_OUT
    e2e_check "/s shows a window again" wait_for 30 saver_window_shown
    start_saver /s
    e2e_check "a second /s ends at once with 0" saver_ends_with 0
    e2e_check "and makes no second window" eval '[ "$(probe count)" = 1 ]'
    e2e_check "the first one still runs" running "$first"
    xdotool key space
    e2e_check "a key press ends it with 0" saver_ends_with 0 "$first" "$first_out"
}

check_preview() {
    # Wine keeps the OpenGL picture of a child window whose parent belongs to another process off the
    # X screen (Windows shows it), so the frames the preview presents are counted in Wine's GL trace.
    local stop=$E2E_TMP/stop-parent trace=$E2E_TMP/preview-gl.log
    open_parent 40 60 320 240 "$stop" || { e2e_fail "preview parent window made"; return; }
    WINEDEBUG=-all,+wgl spawn SAVER_PID wine "$SCR" /p "$PARENT" >/dev/null 2>"$trace"
    child_fills_parent() { CHILD=$(probe child "$PARENT") && [ "$CHILD" = "0 0 320 240 parent 320 240 child" ]; }
    e2e_check "/p $PARENT makes a child that fills the parent" wait_for 30 child_fills_parent
    e2e_log "preview child: $CHILD"
    presents_frames() { [ "$(grep -c wglSwapBuffers "$trace")" -ge "$1" ]; }
    e2e_check "the preview draws frames" wait_for 15 presents_frames 30
    e2e_check "the preview draws nothing outside its parent" glows_outside_parent_none
    xdotool mousemove 200 180 key space key Escape
    xdotool mousemove 100 100
    sleep 1.5
    e2e_check "keys and mouse moves do not end the preview" running "$SAVER_PID"
    local drawn=$(grep -c wglSwapBuffers "$trace")
    e2e_check "and it keeps drawing" wait_for 15 presents_frames $((drawn + 30))
    touch "$stop"
    e2e_check "destroying the parent ends the preview with 0" exits_with "$SAVER_PID" 0
    wait_for 20 gone "$PARENT_PID"
}

# The preview child stays inside its parent: the screen around the parent is black.
glows_outside_parent_none() {
    e2e_screenshot "$E2E_TMP/outside.png" && [ "$(convert "$E2E_TMP/outside.png" -fill black \
        -draw "rectangle 40,60 359,299" png:- | lit_pixels -)" -eq 0 ]
}

# launches_with TAIL CODE: the saver started with exactly TAIL as its command tail ends with CODE
# and shows no window of its class.
launches_with() { e2e_is "tail [$1]:" "$(probe launch "$SCR" "$1")" "exit $2" && [ "$(probe count)" = 0 ]; }

check_rejected() {
    local tail
    for tail in "/p 0" "/p abc" "/p" "/p 4000000" "/x" "/?" $'/\ts'; do
        e2e_check "tail [${tail//$'\t'/<tab>}] ends with -1 and shows nothing" launches_with "$tail" -1
    done
}

# With no owner, the dialog's window is centred on the work area (Wine's whole screen), give or take a pixel.
dialog_centred() {
    local x y w h
    read -r _ x y w h _ < <(probe find "Fenlight Setup")
    e2e_log "dialog ${w}x$h at $x,$y"
    [ $(((2 * x + w - WIDTH) ** 2 + (2 * y + h - HEIGHT) ** 2)) -le 8 ]
}

check_setup_dialog() {
    local tail
    for tail in "/c" ""; do
        # shellcheck disable=SC2086  # no word at all for the empty tail
        e2e_check "tail [$tail] opens Fenlight Setup" open_dialog $tail
        e2e_check "centred on the screen" dialog_centred
        e2e_check "its version line is the project's" \
            eval 'probe texts "Fenlight Setup" | grep -qx "Fenlight $("$E2E_TOOLS/version")"'
        xdotool key Escape
        e2e_check "Escape closes the dialog with 0" exits_with "$DIALOG_PID" 0
    done
}

check_prefix() {
    local said status=0 broken=$E2E_TMP/broken-prefix
    local why="skipped: this machine cannot run 32-bit programs (FENLIGHT_32BIT=no): wineboot needs a 32-bit process"
    said=$(FENLIGHT_32BIT=no FENLIGHT_WINE_TEMPLATE=$E2E_TMP/template e2e_new_wineprefix win32) || status=$?
    e2e_log "status $status: $said"
    e2e_check "a 32-bit prefix where 32-bit programs cannot run is skipped (77), saying why" \
        eval '[ "$status" = 77 ] && [ "$said" = "$why" ]'
    # What a 32-bit prefix leaves behind: wineboot for a 64-bit one fails there, system.reg or not.
    mkdir -p "$broken" && printf 'WINE REGISTRY Version 2\n#arch=win32\n' >"$broken/system.reg"
    status=0
    "$E2E_TOOLS/wine-prefix" "$broken" win64 >"$E2E_TMP/broken.out" 2>&1 || status=$?
    e2e_log "status $status: $(cat "$E2E_TMP/broken.out")"
    e2e_check "a prefix whose wineboot failed is not made" eval '[ "$status" != 0 ] && [ ! -e "$broken/.ready" ]'
}

check_full_screen
if [ "$SCOPE" = full ]; then
    check_prefix
    check_key_and_second_start
    check_preview
    check_rejected
    check_setup_dialog
fi
e2e_finish
