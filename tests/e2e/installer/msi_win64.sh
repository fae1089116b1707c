# x64.msi on 64-bit Windows. Sourced by installer.sh.

# user_entries_are COUNT: the user's registry names Fenlight COUNT times.
user_entries_are() { [ "$(grep -ci fenlight "$WINEPREFIX/user.reg")" = "$1" ]; }

check_msi_win64() {
    e2e_can_start "$PROBE"
    in_new_prefix win64
    local user_entries
    user_entries=$(grep -ci fenlight "$WINEPREFIX/user.reg")
    e2e_check "msiexec /i x64.msi /qn ends with 0" msiexec_qn /i "$MSI_X64"
    e2e_check "and puts the x86_64 build into System32" system32_holds "$SCR_X64"
    e2e_check "the i686 build into SysWOW64" syswow64_holds "$SCR_X86"
    e2e_check "one 64-bit entry" one_entry
    e2e_check "and nothing for the user" user_entries_are "$user_entries"
    e2e_check "x86.msi is refused on 64-bit Windows" fails msiexec_qn /i "$MSI_X86"
    e2e_check "leaving one entry" one_entry

    start_installed
    check_shown_and_drawing "the saver the MSI installed /s" "$E2E_TMP/msi.png"
    xdotool search --onlyvisible --name '^Screen Saver$' windowfocus --sync key space 2>/dev/null
    e2e_check "a key press ends it with 0" saver_ends_with 0

    make_msi x64 "$E2E_TMP/newer.msi" "$(defines_of "$NEWER" wxi)" "$NEWER_SCR"
    e2e_check "version $NEWER's MSI upgrades in place" msiexec_qn /i "$E2E_TMP/newer.msi"
    e2e_check "replacing the saver" system32_holds "$NEWER_SCR"
    e2e_check "leaving one entry" one_entry
    e2e_check "the older MSI is then refused" fails msiexec_qn /i "$MSI_X64"
    e2e_check "leaving the newer saver" system32_holds "$NEWER_SCR"
    e2e_check "and one entry" one_entry
    e2e_check "msiexec /x /qn ends with 0" msiexec_qn /x "$E2E_TMP/newer.msi"
    e2e_check "removing both files" nothing_left
    e2e_check "and the entry" no_entries
}
