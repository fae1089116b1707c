# setup.exe and the MSI packages as files, before anything installs them. Sourced by installer.sh.

# copies_again: the savers copied with other file times into another folder, "again".
copies_again() {
    mkdir -p "$E2E_TMP/again" && cp "$SCR_X64" "$E2E_TMP/again/x64.scr" && cp "$SCR_X86" "$E2E_TMP/again/x86.scr" &&
        touch -d '2001-02-03 04:05:06' "$E2E_TMP/again/"*.scr
}

# same_setup_again / same_msi_again: the same inputs in another folder, with other times, give the same bytes.
same_setup_again() {
    copies_again && make_setup "$E2E_TMP/again/setup.exe" "$NSH" "$E2E_TMP/again/x64.scr" "$E2E_TMP/again/x86.scr" &&
        cmp "$SETUP" "$E2E_TMP/again/setup.exe"
}
same_msi_again() {
    copies_again && make_msi x64 "$E2E_TMP/again/x64.msi" "$WXI" "$E2E_TMP/again/x64.scr" &&
        cmp "$MSI_X64" "$E2E_TMP/again/x64.msi"
}

# per_machine MSI PLATFORM: ALLUSERS 1, and the platform in the summary's template.
per_machine() {
    msiinfo suminfo "$1" | grep -qx "Template: $2;1033" && msiinfo export "$1" Property | grep -q ^ALLUSERS.1
}

# times_are MSI EPOCH: the summary's creation and last-save times are EPOCH.
times_are() {
    local when
    when=$(date -u -d "@$2" '+%a %b %e %H:%M:%S %Y')
    [ "$(msiinfo suminfo "$1" | grep -cxE "(Created|Last saved): $when")" = 2 ] ||
        { e2e_log "$(msiinfo suminfo "$1" | grep -E '^(Created|Last saved)')"; return 1; }
}

# A wixl whose clock is some years off, as a wixl that took its time from elsewhere would be.
wixl_off() {
    mkdir -p "$E2E_TMP/wixl-off"
    printf '#!/bin/sh\nexec faketime "2001-02-03 04:05:06" %q "$@"\n' "$(command -v wixl)" \
        >"$E2E_TMP/wixl-off/wixl"
    chmod 755 "$E2E_TMP/wixl-off/wixl"
    PATH=$E2E_TMP/wixl-off:$PATH make_msi x64 "$E2E_TMP/wixl-off/x64.msi" && cmp "$MSI_X64" "$E2E_TMP/wixl-off/x64.msi"
}

# Without makensis: an error naming the package, and no file.
without_makensis() {
    local out
    out=$(PATH=$(e2e_path_without makensis) make_setup "$E2E_TMP/none.exe" 2>&1) && return 1
    e2e_log "$out"
    [[ $out == *"nsis (for makensis)"* ]] && [ ! -e "$E2E_TMP/none.exe" ]
}

check_build() {
    local size
    size=$(stat -c %s "$SETUP")
    e2e_log "setup.exe: $size bytes"
    e2e_check "the installer is under 500 KB" [ "$size" -lt 512000 ]
    e2e_check "x64.msi is per machine for x64" per_machine "$MSI_X64" x64
    e2e_check "x86.msi is per machine for Intel" per_machine "$MSI_X86" Intel
    e2e_check "a second build gives the same installer" same_setup_again
    e2e_check "its version record has the copyright line" \
        grep -qx "Copyright (c) 2026 Ostrel and the Fenlight contributors" <(strings -el "$SETUP")
    e2e_check "and the same MSI" same_msi_again
    e2e_check "the MSI's creation and last-save times are SOURCE_DATE_EPOCH" times_are "$MSI_X64" "$SOURCE_DATE_EPOCH"
    e2e_check "and the same MSI when wixl's clock is off" wixl_off
    e2e_check "without makensis make-installer fails and names the package" without_makensis
}
