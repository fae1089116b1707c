# What the installer's checks do in Wine: a prefix of their own, its registry and files, running setup.exe,
# msiexec and the uninstaller to their end, and going through their pages. Sourced by installer.sh.
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
DESKTOP='HKCU\Control Panel\Desktop'
FOLDER='C:\Program Files\Fenlight'
# The installed saver as Windows starts it (the probe is a 64-bit program on 64-bit Windows, where a 32-bit
# one would find SysWOW64's).
SAVER_PROGRAM='C:\windows\system32\Fenlight.scr'

# in_new_prefix win64|win32: a private display and a Wine prefix of that kind, with a Color setting stored.
in_new_prefix() {
    saver_display "$1"
    DRIVE_C=$WINEPREFIX/drive_c
    SYSTEM32=$DRIVE_C/windows/system32
    WOW64=$DRIVE_C/windows/syswow64
    # The registry view of the entry: the 64-bit one on 64-bit Windows.
    VIEW=()
    [ "$1" = win32 ] || VIEW=(/reg:64)
    wine reg add "$SETTINGS" /v Color /t REG_DWORD /d 2 /f >/dev/null 2>&1
}

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
    [ "$got" = "$3" ] || { e2e_log "$2 is [$got], expected [$3]"; return 1; }
}

no_value() { ! reg_value "$@" >/dev/null; }
no_key() { ! wine reg query "$1" >/dev/null 2>&1; }
set_value() { wine reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1; }

# fenlight_entries VIEW...: how many keys under Uninstall are called Fenlight.
fenlight_entries() {
    wine reg query "$UNINSTALL_KEY" /s "$@" 2>/dev/null | tr -d '\r' |
        grep -c 'DisplayName *REG_SZ *Fenlight$'
}

# one_entry: exactly one, in the 64-bit registry.
one_entry() { [ "$(fenlight_entries /reg:64)" = 1 ] && [ "$(fenlight_entries /reg:32)" = 0 ]; }
no_entries() { [ "$(fenlight_entries /reg:64)$(fenlight_entries /reg:32)" = 00 ]; }
no_entry() { ! wine reg query "$UNINSTALL_KEY\\Fenlight" "${VIEW[@]}" >/dev/null 2>&1; }

# apps_entry_shows VERSION: Apps & features shows Fenlight VERSION from Ostrel with the installed saver's
# icon, and no Modify or Repair.
apps_entry_shows() {
    local name shown
    shown=$(for name in DisplayName DisplayVersion Publisher DisplayIcon NoModify NoRepair; do
        reg_value "$UNINSTALL_KEY\\Fenlight" "$name" "${VIEW[@]}"
    done | paste -sd '|')
    [ "$shown" = "Fenlight|$1|Ostrel|$SAVER_PROGRAM|0x1|0x1" ] || { e2e_log "shown: $shown"; return 1; }
}

# entry_command NAME: the entry's command NAME ("PROGRAM" ARGUMENTS), one word a line.
entry_command() {
    local command
    command=$(reg_value "$UNINSTALL_KEY\\Fenlight" "$1" "${VIEW[@]}") &&
        [[ $command =~ ^\"([^\"]+)\"(\ (.*))?$ ]] && printf '%s\n' "${BASH_REMATCH[1]}" ${BASH_REMATCH[3]}
}

# exit_is CODE COMMAND...
exit_is() {
    local code=0
    "${@:2}" || code=$?
    [ "$code" = "$1" ] || { e2e_log "exit code $code, expected $1"; return 1; }
}

fails() { ! "$@"; }

# run_to_end PROGRAM ARGS...: runs the Windows program to its end, with a deadline; its exit code.
run_to_end() {
    local pid
    spawn pid wine "$@" >/dev/null 2>&1
    wait_for 60 gone "$pid" || { e2e_log "$* still running"; return 1; }
    wait "$pid"
}

run_setup() { run_to_end "$SETUP" "$@"; }

# msiexec_qn /i|/x PACKAGE: msiexec without questions.
msiexec_qn() { run_to_end msiexec "$1" "Z:${2//\//\\}" /qn; }

system32_holds() { cmp -s "$SYSTEM32/Fenlight.scr" "$1"; }
syswow64_holds() { cmp -s "$WOW64/Fenlight.scr" "$1"; }
folder_gone() { [ ! -e "$DRIVE_C/Program Files/Fenlight" ]; }
uninstalled() { folder_gone && no_entry; }
installed_with_entry() { system32_holds "$SCR_X64" && ! no_entry; }

# uninstall_quietly: the entry's QuietUninstallString, as a deployment tool runs it. The uninstaller copies
# itself to a temporary folder and returns at once, so this waits for its work, with a deadline.
uninstall_quietly() {
    local command
    mapfile -t command < <(entry_command QuietUninstallString)
    [ ${#command[@]} -gt 0 ] || return 1
    wine "${command[@]}" >/dev/null 2>&1
    wait_for 60 uninstalled
}

# Nothing of Fenlight left in Program Files, System32 or (on 64-bit) SysWOW64.
nothing_left() {
    local left
    left=$(find "$DRIVE_C"/Program\ Files* "$SYSTEM32" "$WOW64" -iname '*fenlight*' 2>/dev/null)
    [ -z "$left" ] || { e2e_log "left: $left"; return 1; }
}

# start_installed [ARGS]: the installed saver with ARGS (by default /s), as Windows starts it.
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

# open_pages TITLE KEY PROGRAM...: starts PROGRAM (under wine), waits for its first page (its texts kept in
# first-page.txt) and presses KEY (a check box's Alt key, if any) and Enter; PAGES_PID is its pid, pages.log
# has the programs it started and its message boxes. Keys go to their window each time, as without a window
# manager Wine may hand the focus to another.
open_pages() {
    WINEDEBUG=-all,+process,+msgbox spawn PAGES_PID wine "${@:3}" >/dev/null 2>"$E2E_TMP/pages.log"
    wait_for 30 page_up "$1" || { e2e_log "no window $1"; return 1; }
    LAST_SCREEN=
    wait_for 10 screen_settled
    probe texts "$1" >"$E2E_TMP/first-page.txt"
    xdotool windowfocus --sync "$PAGE" 2>/dev/null
    xdotool key ${2:+"$2"} Return
}

# close_pages TITLE LAST_KEY: on the last page (kept in last-page.txt, .png) presses LAST_KEY (if any) and
# Enter until the window is gone and the program has ended (the installer's working folder is the install
# folder, which cannot be removed while it runs).
close_pages() {
    wait_for 30 last_page "$1" || { e2e_log "no last page"; return 1; }
    [ -z "$2" ] || xdotool key "$2"
    wait_for 30 enter_closes "$1" && wait_for 30 gone "$PAGES_PID"
}

enter_closes() { xdotool windowfocus --sync "$PAGE" key Return; sleep 0.5; ! page_up "$1"; }

# last_page TITLE: the page with Finish or Close (or an aborted install's) is shown and has finished drawing;
# LAST_BUTTONS names them in another language.
LAST_BUTTONS='&(Finish|Close)|Installation Aborted'
last_page() {
    probe texts "$1" >"$E2E_TMP/last-page.txt" &&
        grep -qxE "$LAST_BUTTONS" "$E2E_TMP/last-page.txt" &&
        screen_settled && import -display "$DISPLAY" -window "$PAGE" "$E2E_TMP/last-page.png" 2>/dev/null
}

# message_box TITLE: the newest window named TITLE but the page: a message box over it.
message_box() { xdotool search --onlyvisible --name "^$1\$" | grep -vx "$PAGE" | tail -n 1; }

# box_answered TITLE KEY: a message box came up beside the page, and KEY answered it.
box_answered() {
    local box
    grep -aq MSGBOX_OnInit "$E2E_TMP/pages.log" && box=$(message_box "$1") && [ -n "$box" ] &&
        wait_for 20 key_closes "$box" "$2" "$1"
}

key_closes() { xdotool windowfocus --sync "$1" key "$2"; sleep 0.5; [ "$(message_box "$3")" != "$1" ]; }

# message_box_says TITLE TEXT ANSWER PROGRAM...: after Enter on its first page, PROGRAM shows a message box
# holding TEXT; ANSWER (a key) answers it.
message_box_says() {
    open_pages "$1" "" "${@:4}" && wait_for 60 box_answered "$1" "$3" && close_pages "$1" "" &&
        grep -aq "$2" "$E2E_TMP/pages.log"
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
