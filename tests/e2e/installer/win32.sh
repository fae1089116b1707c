# setup.exe and x86.msi on 32-bit Windows. Sourced by installer.sh.

check_win32() {
    e2e_can_start "$PROBE"
    in_new_prefix win32
    wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
    e2e_check "on Windows XP setup.exe /S ends with an error" fails run_setup /S
    e2e_check "and installs nothing" nothing_left
    e2e_check "and no entry" no_entry
    e2e_check "and selects nothing" no_value "$DESKTOP" SCRNSAVE.EXE
    wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1

    e2e_check "setup.exe /S ends with 0" run_setup /S
    e2e_check "System32 holds the i686 build" system32_holds "$SCR_X86"
    e2e_check "the entry names its folder" value_is "$UNINSTALL_KEY\\Fenlight" InstallLocation "$FOLDER"
    e2e_check "SCRNSAVE.EXE is the installed saver" value_is "$DESKTOP" SCRNSAVE.EXE "$SAVER_PROGRAM"
    start_installed
    check_shown_and_drawing "the installed saver /s" "$E2E_TMP/installed.png"
    xdotool key space
    e2e_check "a key press ends the installed saver with 0" saver_ends_with 0
    e2e_check "the entry's QuietUninstallString removes the folder and the entry" uninstall_quietly
    e2e_check "and leaves nothing" nothing_left

    e2e_check "msiexec /i x86.msi /qn ends with 0" msiexec_qn /i "$MSI_X86"
    e2e_check "and puts the i686 build into System32" system32_holds "$SCR_X86"
    e2e_check "with one entry" [ "$(fenlight_entries)" = 1 ]
    e2e_check "and /x removes it" msiexec_qn /x "$MSI_X86"
    e2e_check "leaving nothing" nothing_left
    e2e_check "and no entry" [ "$(fenlight_entries)" = 0 ]
}
