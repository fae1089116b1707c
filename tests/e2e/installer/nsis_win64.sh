# setup.exe and its uninstaller on 64-bit Windows. Sourced by installer.sh.

# verifies FILE: FILE carries a signature by the check's certificate.
verifies() { osslsigncode verify -CAfile "$CERT.pem" -in "$1" >"$E2E_TMP/verify.txt" 2>&1; }

# estimated_size_counts: the entry's size counts the saver and the uninstaller.
estimated_size_counts() {
    local kb
    kb=$(($(reg_value "$UNINSTALL_KEY\\Fenlight" EstimatedSize /reg:64)))
    e2e_log "EstimatedSize $kb KB"
    [ "$kb" -gt $(($(stat -c %s "$SCR_X64") / 1024)) ] && [ "$kb" -lt 1024 ]
}

silent_install() {
    set_value "$DESKTOP" ScreenSaveActive 0
    e2e_check "setup.exe /S ends with 0" run_setup /S
    e2e_check "System32 holds the x86_64 build" system32_holds "$SCR_X64"
    e2e_check "SysWOW64 holds the i686 build" syswow64_holds "$SCR_X86"
    local folder=$DRIVE_C/Program\ Files/Fenlight
    e2e_check "the uninstaller is in Program Files\\Fenlight" [ -f "$folder/uninst.exe" ]
    e2e_check "with LICENSE.txt" grep -q "^Copyright (c) 2026 Ostrel" "$folder/LICENSE.txt"
    e2e_check "the installed Fenlight.scr verifies" verifies "$SYSTEM32/Fenlight.scr"
    e2e_check "the installed uninst.exe verifies" verifies "$folder/uninst.exe"
    e2e_check "Apps & features shows Fenlight $VERSION from Ostrel, its icon, no Modify or Repair" \
        apps_entry_shows "$VERSION"
    e2e_check "and its size, counting the saver and the uninstaller" estimated_size_counts
    e2e_check "one entry in the 64-bit registry, none in the 32-bit one" one_entry
    e2e_check "SCRNSAVE.EXE is the installed saver" value_is "$DESKTOP" SCRNSAVE.EXE "$SAVER_PROGRAM"
    e2e_check "the saver is turned on" value_is "$DESKTOP" ScreenSaveActive 1
}

install_while_running() {
    start_installed
    check_shown_and_drawing "the installed saver /s" "$E2E_TMP/installed.png"
    e2e_check "an install while the saver runs fails, saying it is in use" exit_is 3 run_setup /S
    e2e_check "and leaves the saver running" running "$SAVER_PID"
    xdotool key space
    e2e_check "a key press ends the installed saver with 0" saver_ends_with 0
    e2e_check "a second setup.exe /S ends with 0" run_setup /S
    e2e_check "and leaves one entry" one_entry
}

upgrade_and_downgrade() {
    make_setup "$E2E_TMP/newer/setup.exe" "$(defines_of "$NEWER" nsh)" "$NEWER_SCR"
    set_value "$DESKTOP" SCRNSAVE.EXE 'C:\windows\system32\Other.scr'
    set_value "$DESKTOP" ScreenSaveActive 0
    e2e_check "version $NEWER's setup.exe /S /NOSELECT ends with 0" \
        run_to_end "$E2E_TMP/newer/setup.exe" /S /NOSELECT
    e2e_check "and replaces the saver" system32_holds "$NEWER_SCR"
    e2e_check "and the entry's version" apps_entry_shows "$NEWER"
    e2e_check "leaving one entry" one_entry
    e2e_check "and leaves SCRNSAVE.EXE alone" value_is "$DESKTOP" SCRNSAVE.EXE 'C:\windows\system32\Other.scr'
    e2e_check "and the saver off" value_is "$DESKTOP" ScreenSaveActive 0
    e2e_check "the older setup.exe /S is then refused with 2" exit_is 2 run_setup /S
    e2e_check "leaving the newer one" apps_entry_shows "$NEWER"
}

silent_uninstall() {
    # Picked again by the person, spelt as Windows may store it.
    set_value "$DESKTOP" SCRNSAVE.EXE 'C:\WINDOWS\System32\FENLIGHT.SCR'
    set_value "$DESKTOP" ScreenSaveActive 1
    e2e_check "the entry's QuietUninstallString removes the folder and the entry" uninstall_quietly
    e2e_check "and the saver" [ ! -e "$SYSTEM32/Fenlight.scr" ]
    e2e_check "nothing of Fenlight is left in Program Files or System32" nothing_left
    e2e_check "no entry in either registry" no_entries
    e2e_check "SCRNSAVE.EXE is cleared" no_value "$DESKTOP" SCRNSAVE.EXE
    e2e_check "and the saver turned off" value_is "$DESKTOP" ScreenSaveActive 0
    e2e_check "the settings stay" value_is "$SETTINGS" Color 0x2

    e2e_check "setup.exe /S installs again" run_setup /S
    rm -f "$SYSTEM32/Fenlight.scr"
    e2e_check "with the saver deleted by hand, uninstalling removes the folder and the entry" \
        uninstall_quietly
    e2e_check "and clears SCRNSAVE.EXE" no_value "$DESKTOP" SCRNSAVE.EXE
    e2e_check "and leaves nothing" nothing_left
}

# Files no one may write: as root, an immutable file gives ERROR_ACCESS_DENIED under Wine.
access_denied() {
    cp "$SCR_X64" "$SYSTEM32/Fenlight.scr"
    if ! e2e_immutable "$SYSTEM32/Fenlight.scr"; then
        e2e_skip "access denied: chattr +i is refused here (needs root and CAP_LINUX_IMMUTABLE)"
        rm -f "$SYSTEM32/Fenlight.scr"
        return
    fi
    e2e_check "a first install over a file it may not write ends with 4" exit_is 4 run_setup /S
    e2e_check "leaving no folder" folder_gone
    e2e_check "through its pages it says access is denied" \
        message_box_says 'Fenlight Setup' 'access is denied' Escape "$SETUP"
    chattr -i "$SYSTEM32/Fenlight.scr" && rm "$SYSTEM32/Fenlight.scr"
    cp "$SCR_X86" "$WOW64/Fenlight.scr" && e2e_immutable "$WOW64/Fenlight.scr"
    e2e_check "one refused in SysWOW64 ends with 4" exit_is 4 run_setup /S
    e2e_check "leaving no folder" folder_gone
    e2e_check "and taking back its System32 copy" [ ! -e "$SYSTEM32/Fenlight.scr" ]
    # Copied into System32 by hand as Installing.txt says, then setup.exe run: that copy stays as it was.
    printf 'Fenlight.scr copied by hand' >"$SYSTEM32/Fenlight.scr"
    cp "$SYSTEM32/Fenlight.scr" "$E2E_TMP/by-hand.scr"
    e2e_check "one refused in SysWOW64 over a saver copied into System32 by hand ends with 4" \
        exit_is 4 run_setup /S
    e2e_check "and puts that copy back as it was" system32_holds "$E2E_TMP/by-hand.scr"
    chattr -i "$WOW64/Fenlight.scr"
    rm -f "$SYSTEM32/Fenlight.scr" "$WOW64/Fenlight.scr"
}

# Through the pages: Alt+U clears "Use Fenlight as my screen saver", Enter installs; on the finish page Alt+O
# ticks "Open Screen Saver settings" and Enter finishes. Then the uninstaller as Apps & features starts it:
# Alt+A ticks "Also remove my settings", Enter uninstalls, Enter closes.
through_the_pages() {
    e2e_check "the installer's pages install the saver with the box cleared" \
        through_pages 'Fenlight Setup' alt+u installed_with_entry alt+o "$SETUP"
    e2e_check "which leaves SCRNSAVE.EXE unset" no_value "$DESKTOP" SCRNSAVE.EXE
    e2e_check "the finish page shows Fenlight's picture" shows_picture
    local page=$E2E_TMP/last-page.txt
    e2e_check "and says the screen saver is unchanged" grep -q "screen saver is unchanged" "$page"
    e2e_check "and offers its settings, unticked" grep -qx "&Open Screen Saver settings" "$page"
    e2e_check "which, ticked, opens the Screen Saver page" \
        wait_for 10 grep -q 'control.exe\\*" desk.cpl,,@screensaver' "$E2E_TMP/pages.log"
    local uninstall
    mapfile -t uninstall < <(entry_command UninstallString)
    e2e_check "the uninstaller's pages remove the folder and the entry with the settings ticked" \
        through_pages 'Fenlight Uninstall' alt+a uninstalled "" "${uninstall[@]}"
    e2e_check "and the settings" no_key "$SETTINGS"
    e2e_check "and leaves nothing" nothing_left
}

# through_pages TITLE KEY DONE LAST_KEY PROGRAM...: PROGRAM through its pages (KEY on the first, LAST_KEY on
# the last) until the command DONE holds and the program has ended.
through_pages() {
    open_pages "$1" "$2" "${@:5}" || return 1
    wait_for 60 "$3" || { e2e_log "not done: $3"; return 1; }
    close_pages "$1" "$4"
}

# The setup program and the MSI package place the same files: each refuses while the other is installed.
beside_the_msi() {
    e2e_check "with the MSI installed" msiexec_qn /i "$MSI_X64"
    e2e_check "setup.exe /S is refused with 2" exit_is 2 run_setup /S
    e2e_check "installing nothing" folder_gone
    e2e_check "and once the MSI is removed" msiexec_qn /x "$MSI_X64"
    e2e_check "nothing is left" nothing_left
    e2e_check "with setup.exe's install there" run_setup /S
    # The shell sees Windows' exit code modulo 256.
    e2e_check "msiexec /i x64.msi is refused with 1603" exit_is $((1603 % 256)) msiexec_qn /i "$MSI_X64"
    e2e_check "leaving setup.exe's one entry" apps_entry_shows "$VERSION"
    e2e_check "and its uninstaller" [ -f "$DRIVE_C/Program Files/Fenlight/uninst.exe" ]
}

# Uninstalled while the saver previews in a window: the file goes at the next restart, which is offered.
uninstall_while_previewing() {
    local stop=$E2E_TMP/stop-parent
    run_setup /S
    open_parent 0 0 160 120 "$stop"
    start_installed /p "$PARENT"
    wait_for 30 wine "$PROBE" child "$PARENT" >/dev/null
    e2e_check "an uninstall while the saver runs offers the restart that removes it" \
        message_box_says 'Fenlight Uninstall' 'removed when Windows restarts' n "$FOLDER\\uninst.exe"
    touch "$stop"
    e2e_check "and the saver ends with 0" saver_ends_with 0
}

# in_language LOCALE COMMAND...: COMMAND with the Windows programs it starts in that language (Wine takes it
# from LANG), and NSIS's names of the last pages' buttons in it.
declare -A LAST_BUTTONS_IN=([de_DE.UTF-8]='&Fertigstellen')
in_language() { LANG=$1 LC_ALL= LC_MESSAGES= LAST_BUTTONS=${LAST_BUTTONS_IN[$1]:-$LAST_BUTTONS} "${@:2}"; }

# says_german PAGE KEY...: the first or last page's texts (in German Windows' code page, 1252) have every line
# of each installer.KEY of de.txt, a ticked box's after "[x] ".
says_german() {
    local shown line
    shown=$(iconv -f CP1252 -t UTF-8 "$E2E_TMP/$1-page.txt" | sed 's/^\[x\] //') || return 1
    while IFS= read -r line; do
        [ -z "$line" ] || grep -qxF -- "$line" <<<"$shown" || { e2e_log "$1 page: no [$line]"; return 1; }
    done < <(for key in "${@:2}"; do sed -n "s/^installer\.$key = //p" "$root/settings/languages/de.txt"; done |
        sed 's/\\n/\n/g')
}

# On a system in German the installer's pages say Fenlight's German texts and NSIS's own (the window's name,
# the buttons) in German, and its uninstaller works as in English. Chinese of Taiwan gets English,
# as in the setup dialog: Fenlight has no traditional Chinese.
in_german() {
    e2e_check "in German the installer's pages install the saver" \
        in_language de_DE.UTF-8 through_pages 'Installation von Fenlight' "" installed_with_entry "" "$SETUP"
    e2e_check "saying German's texts" says_german first choice choice-detail use
    e2e_check "and NSIS's own in German" grep -qx Abbrechen "$E2E_TMP/first-page.txt"
    e2e_check "on the finish page too" says_german last finished-selected open-settings
    e2e_check "and the uninstaller /S removes it" in_language de_DE.UTF-8 uninstall_quietly
    e2e_check "in Chinese of Taiwan the installer's pages are English's" \
        in_language zh_TW.UTF-8 through_pages 'Fenlight Setup' "" installed_with_entry "" "$SETUP"
}

check_nsis_win64() {
    e2e_can_start "$PROBE"
    in_new_prefix win64
    silent_install
    install_while_running
    upgrade_and_downgrade
    silent_uninstall
    access_denied
    through_the_pages
    beside_the_msi
    uninstall_while_previewing
    in_german
}
