#!/usr/bin/env bash
# The Windows installer and the MSI packages, built from the two saver builds and then installed and
# uninstalled for real under Wine on a private Xvfb display. One mode a run:
#   build      - setup.exe (signed, under 500 KB, the same bytes again, a clear error without makensis) and
#                both MSIs (per machine, the same bytes again); no Windows process
#   nsis-win64 - setup.exe and its uninstaller in a 64-bit prefix: files, entry, selection, upgrades,
#                refusals, pages, restart prompt
#   msi-win64  - x64.msi in a 64-bit prefix: install, draw, upgrade, refusals, removal
#   win32      - setup.exe and x86.msi in a 32-bit prefix
# The installer is a 32-bit program: where this machine cannot run one, nsis-win64 and win32 are skipped.
# Usage: installer.sh MODE VERSION DEFINES SCR_X64 SCR_X86 saver_probe.exe
#   DEFINES: the folder of a Windows build holding fenlight-defines.nsh and .wxi; the probe is of the
#   prefix's kind
. "$(dirname "$0")/../common.sh"
. "$E2E_DIR/saver/shown.sh"

MODE=$1
VERSION=$2
NSH=$3/fenlight-defines.nsh
WXI=$3/fenlight-defines.wxi
SCR_X64=$(readlink -f "$4")
SCR_X86=$(readlink -f "$5")
PROBE=$(readlink -f "$6")
WIDTH=800
HEIGHT=600
SETUP=$E2E_TMP/setup.exe
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
DESKTOP='HKCU\Control Panel\Desktop'
SETTINGS='HKCU\Software\Ostrel\Fenlight'
FOLDER='C:\Program Files\Fenlight'

[ "$MODE" = nsis-win64 ] || [ "$MODE" = win32 ] && e2e_can_start "$SCR_X86"
for scr in "$SCR_X64" "$SCR_X86"; do
    [ -f "$scr" ] || { echo "no saver build at $scr: build the windows and windows-x86 presets"; exit 1; }
done
# Built and installed signed, with a throwaway certificate.
if [ "$MODE" = build ] || [ "$MODE" = nsis-win64 ]; then
    CERT=$E2E_TMP/cert
    openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=t -keyout "$CERT.key" -out "$CERT.pem" 2>/dev/null &&
        openssl pkcs12 -export -inkey "$CERT.key" -in "$CERT.pem" -out "$CERT.pfx" -passout pass:t
    export CODESIGN_PFX=$CERT.pfx CODESIGN_PASSWORD=t SOURCE_DATE_EPOCH=1800000000
    cp "$SCR_X64" "$E2E_TMP/x64.scr" && cp "$SCR_X86" "$E2E_TMP/x86.scr"
    SCR_X64=$E2E_TMP/x64.scr SCR_X86=$E2E_TMP/x86.scr
    "$E2E_DIR/../../tools/codesign" "$SCR_X64" "$SCR_X86" >/dev/null || exit 1
fi

# --- Building the installer. ---
MAKE_INSTALLER=$E2E_TOOLS/make-installer
if [ "$MODE" != msi-win64 ]; then
    "$MAKE_INSTALLER" "$NSH" "$SCR_X64" "$SCR_X86" "$SETUP" >/dev/null ||
        { e2e_fail "make-installer builds setup.exe"; e2e_finish; exit 1; }
fi

# The same inputs, copied with other file times, in another folder: the same bytes.
same_again() {
    mkdir -p "$E2E_TMP/again"
    cp "$SCR_X64" "$E2E_TMP/again/x64.scr" && cp "$SCR_X86" "$E2E_TMP/again/x86.scr" &&
        touch -d '2001-02-03 04:05:06' "$E2E_TMP/again/"*.scr &&
        "$MAKE_INSTALLER" "$NSH" "$E2E_TMP/again/x64.scr" "$E2E_TMP/again/x86.scr" \
            "$E2E_TMP/again/setup.exe" >/dev/null &&
        cmp "$SETUP" "$E2E_TMP/again/setup.exe"
}

# Without makensis: an error naming the package, and no file.
without_makensis() {
    local out
    out=$(PATH=/nonexistent /bin/bash "$MAKE_INSTALLER" "$NSH" "$SCR_X64" "$SCR_X86" \
        "$E2E_TMP/none.exe" 2>&1) && return 1
    e2e_log "$out"
    [[ $out == *"nsis package"* ]] && [ ! -e "$E2E_TMP/none.exe" ]
}

# defines_of VERSION EXT DIR: a copy of DIR's fenlight-defines.EXT naming another version; prints its path.
defines_of() {
    sed "s/\"$VERSION/\"$1/g" "$3/fenlight-defines.$2" >"$E2E_TMP/$1.$2" && echo "$E2E_TMP/$1.$2"
}
MAKE_MSI=$E2E_TOOLS/make-msi
# make_msi ARCH OUTFILE [DEFINES [SCR_X64]]
make_msi() { "$MAKE_MSI" "${3:-$WXI}" "$1" "${4:-$SCR_X64}" "$SCR_X86" "$2" >/dev/null; }
MSI_X64=$E2E_TMP/x64.msi MSI_X86=$E2E_TMP/x86.msi
# The next version's x86_64 saver, told apart by a few bytes more at the end.
NEWER=${VERSION%.*}.$((${VERSION##*.} + 1))
NEWER_SCR=$E2E_TMP/newer/Fenlight.scr
mkdir -p "$E2E_TMP/newer" && cp "$SCR_X64" "$NEWER_SCR" && head -c 16 /dev/zero >>"$NEWER_SCR"
make_msi x64 "$MSI_X64" && make_msi x86 "$MSI_X86" || { e2e_fail "make-msi builds both"; e2e_finish; exit 1; }

# per_machine MSI PLATFORM: ALLUSERS 1, and the platform in the summary's template.
per_machine() {
    msiinfo suminfo "$1" | grep -qx "Template: $2;1033" && msiinfo export "$1" Property | grep -q ^ALLUSERS.1
}

if [ "$MODE" = build ]; then
    size=$(stat -c %s "$SETUP")
    e2e_log "setup.exe: $size bytes"
    e2e_check "the installer is under 500 KB" [ "$size" -lt 512000 ]
    e2e_check "x64.msi is per machine for x64" per_machine "$MSI_X64" x64
    e2e_check "x86.msi is per machine for Intel" per_machine "$MSI_X86" Intel
    e2e_check "a second build gives the same installer" same_again
    e2e_check "its version record has the copyright line" \
        eval 'strings -el "$SETUP" | grep -qx "Copyright (c) 2026 Ostrel and the Fenlight contributors"'
    e2e_check "and the same MSI" \
        eval 'make_msi x64 "$E2E_TMP/again/x64.msi" "$WXI" "$E2E_TMP/again/x64.scr" &&
        cmp "$MSI_X64" "$E2E_TMP/again/x64.msi"'
    e2e_check "without makensis make-installer fails and names the package" without_makensis
    e2e_finish
    exit
fi
e2e_can_start "$PROBE"

e2e_start_xvfb "${WIDTH}x${HEIGHT}" || exit 1
e2e_new_wineprefix "$([ "$MODE" = win32 ] && echo win32 || echo win64)"
DRIVE_C=$WINEPREFIX/drive_c
SYSTEM32=$DRIVE_C/windows/system32
WOW64=$DRIVE_C/windows/syswow64
# The registry view of the entry: the 64-bit one on 64-bit Windows.
VIEW=()
[ "$MODE" != win32 ] && VIEW=(/reg:64)
wine reg add "$SETTINGS" /v Color /t REG_DWORD /d 2 /f >/dev/null 2>&1

# --- Helpers. ---

# reg_value KEY NAME [VIEW]: the value's data as reg prints it; fails when it is missing.
reg_value() {
    local out
    out=$(wine reg query "$1" /v "$2" "${@:3}" 2>/dev/null | tr -d '\r') || return 1
    awk -v n="$2" '$1 == n { sub(/^ *[^ ]+ +REG_[A-Z_]+ */, ""); print; found = 1 } END { exit !found }' \
        <<<"$out"
}

# value_is KEY NAME DATA [VIEW]
value_is() {
    local got
    got=$(reg_value "$1" "$2" "${@:4}")
    [ "$got" = "$3" ] || e2e_log "$2 is [$got], expected [$3]"
    [ "$got" = "$3" ]
}

no_value() { ! reg_value "$@" >/dev/null; }

# entries VIEW...: how many keys under Uninstall are called Fenlight.
entries() {
    wine reg query "$UNINSTALL_KEY" /s "$@" 2>/dev/null | tr -d '\r' |
        grep -c 'DisplayName *REG_SZ *Fenlight$'
}

# one_entry: exactly one, in the 64-bit registry.
one_entry() { [ "$(entries /reg:64)" = 1 ] && [ "$(entries /reg:32)" = 0 ]; }

no_entry() { ! wine reg query "$UNINSTALL_KEY\\Fenlight" "${VIEW[@]}" >/dev/null 2>&1; }

# exit_is CODE COMMAND...
exit_is() {
    local code=0
    "${@:2}" || code=$?
    [ "$code" = "$1" ] || { e2e_log "exit code $code, expected $1"; return 1; }
}

msi() { setup_with msiexec "$1" "Z:${2//\//\\}" /qn; }

# setup ARGS...: runs the installer to its end; its exit code.
setup() { setup_with "$SETUP" "$@"; }
setup_with() {
    wine "$@" >/dev/null 2>&1 &
    local pid=$!
    e2e_track "$pid"
    e2e_wait_for 60 gone "$pid" || { e2e_log "$* still running"; return 1; }
    wait "$pid"
}

installed_is() { cmp -s "$SYSTEM32/Fenlight.scr" "$1"; }
wow64_is() { cmp -s "$WOW64/Fenlight.scr" "$1"; }
folder_gone() { [ ! -e "$DRIVE_C/Program Files/Fenlight" ]; }

# uninstall [/S]: runs the uninstaller; it copies itself to a temporary folder and returns at once, so
# this waits for its work (the folder and the entry gone) with a deadline.
uninstall() {
    wine "$FOLDER\\uninst.exe" "$@" >/dev/null 2>&1
    e2e_wait_for 60 eval 'folder_gone && no_entry'
}

# Nothing of Fenlight left in Program Files, System32 or (on 64-bit) SysWOW64.
nothing_left() {
    local left
    left=$(find "$DRIVE_C/Program Files" "$DRIVE_C/Program Files (x86)" "$SYSTEM32" \
        "$WOW64" -iname '*fenlight*' 2>/dev/null)
    [ -z "$left" ] || e2e_log "left: $left"
    [ -z "$left" ]
}

# start_installed [ARGS]: the installed saver as Windows starts it, "C:\windows\system32\Fenlight.scr /s" (the
# probe is a 64-bit program on 64-bit Windows, where a 32-bit one would find SysWOW64's), or with ARGS.
SAVER_PROGRAM='C:\windows\system32\Fenlight.scr'
start_installed() { start_saver "${@:-/s}"; }

# page_up TITLE: a window of the installer or uninstaller with that name is shown; PAGE holds it.
PAGE=
page_up() {
    PAGE=$(e2e_find_window "^$1\$")
    [ -n "$PAGE" ]
}

# screen_settled: the screen looks as it did at the previous call (a page has finished drawing).
LAST_SCREEN=
screen_settled() {
    local now
    now=$(import -display "$DISPLAY" -window root rgb:- 2>/dev/null | md5sum)
    [ "$now" = "$LAST_SCREEN" ] && return 0
    LAST_SCREEN=$now
    return 1
}

# through_pages TITLE KEY DONE LAST_KEY PROGRAM...: starts PROGRAM (under wine), waits for its first page,
# presses KEY (a check box's Alt key, if any) and Enter, waits until the shell condition DONE holds, then on
# the last page (kept in last-page.txt, .png) presses LAST_KEY (if any) and Enter until the window is gone
# and the program has ended (the installer's working folder is the install folder, which cannot be removed
# while it runs). pages.log has the programs it started and its message boxes. Keys go to their window
# again each time, as without a window manager Wine may hand the focus to another.
through_pages() {
    local title=$1 key=$2 done=$3 last_key=$4 pid
    shift 4
    WINEDEBUG=-all,+process,+msgbox wine "$@" >/dev/null 2>"$E2E_TMP/pages.log" &
    pid=$!
    e2e_track "$pid"
    e2e_wait_for 30 page_up "$title" || { e2e_log "no window $title"; return 1; }
    LAST_SCREEN=
    e2e_wait_for 10 screen_settled
    xdotool windowfocus --sync "$PAGE" 2>/dev/null
    xdotool key ${key:+"$key"} Return
    e2e_wait_for 60 eval "$done" || { e2e_log "not done: $done"; return 1; }
    e2e_wait_for 30 last_page "$title" || { e2e_log "no last page"; return 1; }
    [ -z "$last_key" ] || xdotool key "$last_key"
    e2e_wait_for 30 eval 'xdotool windowfocus --sync "$PAGE" key Return; sleep 0.5; ! page_up "$title"' &&
        e2e_wait_for 30 gone "$pid"
}

# answered KEY: in through_pages, a message box has come up beside the page; KEY answers it.
answered() {
    local answer=$1 box
    boxed() { xdotool search --onlyvisible --name "^$title\$" | grep -vx "$PAGE" | tail -n 1; }
    grep -aq MSGBOX_OnInit "$E2E_TMP/pages.log" && box=$(boxed) && [ -n "$box" ] && e2e_wait_for 20 \
        eval 'xdotool windowfocus --sync "$box" key "$answer"; sleep 0.5; [ "$(boxed)" != "$box" ]'
}

# says TITLE TEXT ANSWER PROGRAM...: after Enter on its first page, PROGRAM shows a message box holding TEXT;
# ANSWER (a key) answers it.
says() { through_pages "$1" "" "answered $3" "" "${@:4}" && grep -aq "$2" "$E2E_TMP/pages.log"; }

# last_page TITLE: the page with Finish or Close (or an aborted install's) is shown and has finished drawing.
last_page() {
    probe texts "$1" >"$E2E_TMP/last-page.txt" &&
        grep -qxE '&(Finish|Close)|Installation Aborted' "$E2E_TMP/last-page.txt" &&
        screen_settled && import -display "$DISPLAY" -window "$PAGE" "$E2E_TMP/last-page.png" 2>/dev/null
}

# The finish page's left panel (164 x 314 on Windows, wider under Wine) shows fenlight-finish.bmp.
shows_picture() {
    local width rmse page=$E2E_TMP/last-page.png
    width=$(convert "$page" -crop 400x1+0+150 -depth 8 txt:- | grep -m 1 '#FFFFFF' | cut -d, -f1)
    rmse=$(convert "$page" -crop "${width:-0}x314+0+0" +repage -resize '164x314!' png:- |
        compare -metric RMSE - "$E2E_DIR/../../packaging/windows/fenlight-finish.bmp" null: 2>&1 |
        sed -n 's/.*(\(.*\))/\1/p')
    python3 -c "import sys; sys.exit(0 if 0 <= float('${rmse:-1}') < 0.05 else 1)"
}

# --- 64-bit Windows. ---

check_win64() {
    wine reg add "$DESKTOP" /v ScreenSaveActive /d 0 /f >/dev/null 2>&1
    e2e_check "setup.exe /S ends with 0" setup /S
    e2e_check "System32 holds the x86_64 build" installed_is "$SCR_X64"
    e2e_check "SysWOW64 holds the i686 build" wow64_is "$SCR_X86"
    e2e_check "the uninstaller is in Program Files\\Fenlight" \
        [ -f "$DRIVE_C/Program Files/Fenlight/uninst.exe" ]
    local file dir=$DRIVE_C/Program\ Files/Fenlight
    e2e_check "with LICENSE.txt" grep -q "^Copyright (c) 2026 Ostrel" "$dir/LICENSE.txt"
    for file in "$SYSTEM32/Fenlight.scr" "$dir/uninst.exe"; do
        e2e_check "the installed ${file##*/} verifies" eval \
            'osslsigncode verify -CAfile "$CERT.pem" -in "$file" >"$E2E_TMP/verify.txt" 2>&1'
    done
    local key="$UNINSTALL_KEY\\Fenlight" name want
    while IFS='|' read -r name want; do
        e2e_check "entry $name is $want" value_is "$key" "$name" "$want" /reg:64
    done <<EOF
DisplayName|Fenlight
DisplayVersion|$VERSION
Publisher|Ostrel
DisplayIcon|C:\\windows\\system32\\Fenlight.scr
InstallLocation|$FOLDER
UninstallString|"$FOLDER\\uninst.exe"
QuietUninstallString|"$FOLDER\\uninst.exe" /S
NoModify|0x1
NoRepair|0x1
EOF
    local kb
    kb=$(($(reg_value "$key" EstimatedSize /reg:64)))
    e2e_log "EstimatedSize $kb KB"
    e2e_check "entry EstimatedSize counts the saver and the uninstaller" \
        [ "$kb" -gt $(($(stat -c %s "$SCR_X64") / 1024)) -a "$kb" -lt 1024 ]
    e2e_check "one entry in the 64-bit registry, none in the 32-bit one" one_entry
    e2e_check "SCRNSAVE.EXE is the installed saver" \
        value_is "$DESKTOP" SCRNSAVE.EXE 'C:\windows\system32\Fenlight.scr'
    e2e_check "the saver is turned on" value_is "$DESKTOP" ScreenSaveActive 1

    start_installed
    check_shown_and_drawing "the installed saver /s" "$E2E_TMP/installed.png"
    e2e_check "an install while the saver runs fails, saying it is in use" exit_is 3 setup /S
    e2e_check "and leaves the saver running" running "$SAVER_PID"
    xdotool key space
    e2e_check "a key press ends the installed saver with 0" saver_ends_with 0

    e2e_check "a second setup.exe /S ends with 0" setup /S
    e2e_check "and leaves one entry" one_entry

    local newer=$NEWER
    "$MAKE_INSTALLER" "$(defines_of "$newer" nsh "${NSH%/*}")" "$NEWER_SCR" "$SCR_X86" \
        "$E2E_TMP/newer/setup.exe" >/dev/null
    wine reg add "$DESKTOP" /v SCRNSAVE.EXE /d 'C:\windows\system32\Other.scr' /f >/dev/null 2>&1
    wine reg add "$DESKTOP" /v ScreenSaveActive /d 0 /f >/dev/null 2>&1
    e2e_check "version $newer's setup.exe /S /NOSELECT ends with 0" \
        setup_with "$E2E_TMP/newer/setup.exe" /S /NOSELECT
    e2e_check "and replaces the saver" installed_is "$NEWER_SCR"
    e2e_check "and the entry's version, leaving one entry" eval \
        'value_is "$key" DisplayVersion "$newer" /reg:64 && one_entry'
    e2e_check "and leaves SCRNSAVE.EXE alone" value_is "$DESKTOP" SCRNSAVE.EXE 'C:\windows\system32\Other.scr'
    e2e_check "and the saver off" value_is "$DESKTOP" ScreenSaveActive 0
    e2e_check "the older setup.exe /S is then refused with 2, leaving the newer one" \
        eval 'exit_is 2 setup /S && value_is "$key" DisplayVersion "$newer" /reg:64'

    # Picked again by the person, spelt as Windows may store it.
    wine reg add "$DESKTOP" /v SCRNSAVE.EXE /d 'C:\WINDOWS\System32\FENLIGHT.SCR' /f >/dev/null 2>&1
    wine reg add "$DESKTOP" /v ScreenSaveActive /d 1 /f >/dev/null 2>&1
    e2e_check "uninst.exe /S removes the folder and the entry" uninstall /S
    e2e_check "and the saver" [ ! -e "$SYSTEM32/Fenlight.scr" ]
    e2e_check "nothing of Fenlight is left in Program Files or System32" nothing_left
    e2e_check "no entry in either registry" eval '[ "$(entries /reg:64)$(entries /reg:32)" = 00 ]'
    e2e_check "SCRNSAVE.EXE is cleared" no_value "$DESKTOP" SCRNSAVE.EXE
    e2e_check "and the saver turned off" value_is "$DESKTOP" ScreenSaveActive 0
    e2e_check "the settings stay" value_is "$SETTINGS" Color 0x2

    e2e_check "setup.exe /S installs again" setup /S
    rm -f "$SYSTEM32/Fenlight.scr"
    e2e_check "with the saver deleted by hand, uninst.exe /S removes the folder and the entry" uninstall /S
    e2e_check "and clears SCRNSAVE.EXE" no_value "$DESKTOP" SCRNSAVE.EXE
    e2e_check "and leaves nothing" nothing_left

    # Files no one may write: as root, an immutable file gives ERROR_ACCESS_DENIED under Wine.
    cp "$SCR_X64" "$SYSTEM32/Fenlight.scr"
    if e2e_immutable "$SYSTEM32/Fenlight.scr"; then
        e2e_check "a first install over a file it may not write ends with 4, leaving no folder" \
            eval 'exit_is 4 setup /S && folder_gone'
        e2e_check "through its pages it says access is denied" \
            says 'Fenlight Setup' 'access is denied' Escape "$SETUP"
        chattr -i "$SYSTEM32/Fenlight.scr" && rm "$SYSTEM32/Fenlight.scr"
        cp "$SCR_X86" "$WOW64/Fenlight.scr" && e2e_immutable "$WOW64/Fenlight.scr"
        e2e_check "one refused in SysWOW64 ends with 4 and takes back its System32 copy" \
            eval 'exit_is 4 setup /S && folder_gone && [ ! -e "$SYSTEM32/Fenlight.scr" ]'
        chattr -i "$WOW64/Fenlight.scr"
    else
        e2e_skip "access denied: chattr +i is refused here (needs root and CAP_LINUX_IMMUTABLE)"
    fi
    rm -f "$SYSTEM32/Fenlight.scr" "$WOW64/Fenlight.scr"

    # Through the pages: Alt+U clears "Use Fenlight as my screen saver", Enter installs; on the finish page
    # Alt+O ticks "Open Screen Saver settings" and Enter finishes.
    e2e_check "the installer's pages install the saver with the box cleared" \
        through_pages 'Fenlight Setup' alt+u 'installed_is "$SCR_X64" && ! no_entry' alt+o "$SETUP"
    e2e_check "which leaves SCRNSAVE.EXE unset" no_value "$DESKTOP" SCRNSAVE.EXE
    e2e_check "the finish page shows Fenlight's picture" shows_picture
    e2e_check "says the screen saver is unchanged and offers its settings, unticked" eval \
        'grep -q "screen saver is unchanged" "$E2E_TMP/last-page.txt" &&
        grep -qx "&Open Screen Saver settings" "$E2E_TMP/last-page.txt"'
    e2e_check "which, ticked, opens the Screen Saver page" \
        e2e_wait_for 10 grep -q 'control.exe\\*" desk.cpl,,@screensaver' "$E2E_TMP/pages.log"
    # Alt+A ticks "Also remove my settings", Enter uninstalls, Enter closes.
    e2e_check "the uninstaller's pages remove the folder and the entry with the settings ticked" \
        through_pages 'Fenlight Uninstall' alt+a 'folder_gone && no_entry' "" "$FOLDER\\uninst.exe"
    e2e_check "and the settings" eval '! wine reg query "$SETTINGS" >/dev/null 2>&1'
    e2e_check "and leaves nothing" nothing_left
    e2e_check "setup.exe /S is refused with 2 beside the MSI, installing nothing" \
        eval 'msi /i "$MSI_X64" && exit_is 2 setup /S && folder_gone && msi /x "$MSI_X64" && nothing_left'

    # Uninstalled while the saver previews in a window: the file goes at the next restart, which is offered.
    local stop=$E2E_TMP/stop-parent handle
    setup /S
    wine "$PROBE" parent 0 0 160 120 "Z:${stop//\//\\}" >"$E2E_TMP/parent.out" 2>/dev/null &
    e2e_track $!
    e2e_wait_for 30 grep -q . "$E2E_TMP/parent.out"
    handle=$(tr -d '\r' <"$E2E_TMP/parent.out")
    start_installed /p "$handle"
    e2e_wait_for 30 eval 'wine "$PROBE" child "$handle" >/dev/null'
    e2e_check "an uninstall while the saver runs offers the restart that removes it" \
        says 'Fenlight Uninstall' 'removed when Windows restarts' n "$FOLDER\\uninst.exe"
    touch "$stop"
    e2e_check "and the saver ends with 0" saver_ends_with 0
}

check_msi_win64() {
    local before newer=$NEWER
    wine reg add "$SETTINGS" /v Color /t REG_DWORD /d 2 /f >/dev/null 2>&1
    before=$(grep -ci fenlight "$WINEPREFIX/user.reg")
    e2e_check "msiexec /i x64.msi /qn puts both builds in place, one 64-bit entry, nothing for the user" \
        eval 'msi /i "$MSI_X64" && installed_is "$SCR_X64" && wow64_is "$SCR_X86" && one_entry &&
        [ "$(grep -ci fenlight "$WINEPREFIX/user.reg")" = "$before" ]'
    e2e_check "x86.msi is refused on 64-bit Windows" eval '! msi /i "$MSI_X86" && one_entry'

    start_installed
    check_shown_and_drawing "the saver the MSI installed /s" "$E2E_TMP/msi.png"
    xdotool search --onlyvisible --name '^Screen Saver$' windowfocus --sync key space 2>/dev/null
    e2e_check "a key press ends it with 0" saver_ends_with 0

    make_msi x64 "$E2E_TMP/newer.msi" "$(defines_of "$newer" wxi "${WXI%/*}")" "$NEWER_SCR"
    e2e_check "version $newer's MSI upgrades in place, leaving one entry" \
        eval 'msi /i "$E2E_TMP/newer.msi" && installed_is "$NEWER_SCR" && one_entry'
    e2e_check "the older MSI is then refused" \
        eval '! msi /i "$MSI_X64" && installed_is "$NEWER_SCR" && one_entry'
    e2e_check "msiexec /x /qn removes both files and the entry" \
        eval 'msi /x "$E2E_TMP/newer.msi" && nothing_left && [ "$(entries /reg:64)$(entries /reg:32)" = 00 ]'
}

# --- 32-bit Windows. ---

check_win32() {
    wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
    e2e_check "on Windows XP setup.exe /S ends with an error" eval '! setup /S'
    e2e_check "and installs nothing" eval 'nothing_left && no_entry'
    e2e_check "and selects nothing" no_value "$DESKTOP" SCRNSAVE.EXE
    wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1

    e2e_check "setup.exe /S ends with 0" setup /S
    e2e_check "System32 holds the i686 build" installed_is "$SCR_X86"
    e2e_check "the entry names its folder" value_is "$UNINSTALL_KEY\\Fenlight" InstallLocation "$FOLDER"
    e2e_check "SCRNSAVE.EXE is the installed saver" \
        value_is "$DESKTOP" SCRNSAVE.EXE 'C:\windows\system32\Fenlight.scr'
    start_installed
    check_shown_and_drawing "the installed saver /s" "$E2E_TMP/installed.png"
    xdotool key space
    e2e_check "a key press ends the installed saver with 0" saver_ends_with 0
    e2e_check "uninst.exe /S removes the folder and the entry" uninstall /S
    e2e_check "and leaves nothing" nothing_left

    e2e_check "msiexec /i x86.msi /qn puts the i686 build into System32" \
        eval 'msi /i "$MSI_X86" && installed_is "$SCR_X86" && [ "$(entries)" = 1 ]'
    e2e_check "and /x removes it and the entry" \
        eval 'msi /x "$MSI_X86" && nothing_left && [ "$(entries)" = 0 ]'
}

case $MODE in
nsis-win64) check_win64 ;;
msi-win64) check_msi_win64 ;;
win32) check_win32 ;;
*) echo "usage: installer.sh build|nsis-win64|msi-win64|win32 VERSION DEFINES SCR_X64 SCR_X86 probe"; exit 2 ;;
esac
e2e_finish
