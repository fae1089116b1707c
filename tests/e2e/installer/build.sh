# setup.exe and the MSI packages as files, before anything installs them. Sourced by installer.sh.

# same_again NAME: the same inputs, copied with other file times into another folder, give NAME (setup.exe,
# x64.msi) with the same bytes.
same_again() {
    local again=$E2E_TMP/again
    mkdir -p "$again" && cp "$SCR_X64" "$again/x64.scr" && cp "$SCR_X86" "$again/x86.scr" &&
        touch -d '2001-02-03 04:05:06' "$again/"*.scr || return 1
    case $1 in
    setup.exe) make_setup "$again/$1" "$NSH" "$again/x64.scr" "$again/x86.scr" && cmp "$SETUP" "$again/$1" ;;
    x64.msi) make_msi x64 "$again/$1" "$WXI" "$again/x64.scr" && cmp "$MSI_X64" "$again/$1" ;;
    esac
}

# per_machine MSI PLATFORM: ALLUSERS 1, and the platform in the summary's template.
per_machine() {
    msiinfo suminfo "$1" | grep -qx "Template: $2;1033" && msiinfo export "$1" Property | grep -q ^ALLUSERS.1
}

# times_are MSI EPOCH: the summary's creation and last-save times are EPOCH.
times_are() {
    msiinfo suminfo "$1" | grep -E '^(Created|Last saved):' >"$E2E_TMP/times.txt"
    e2e_log "$(cat "$E2E_TMP/times.txt")"
    [ "$(grep -c ": $(date -u -d "@$2" '+%a %b %e %H:%M:%S %Y')\$" "$E2E_TMP/times.txt")" = 2 ]
}

# same_with_wixl_off: a wixl whose clock is years off (or which took its times from elsewhere) makes no
# other package.
same_with_wixl_off() {
    mkdir -p "$E2E_TMP/wixl-off"
    printf '#!/bin/sh\nexec faketime "2001-02-03 04:05:06" %q "$@"\n' "$(command -v wixl)" \
        >"$E2E_TMP/wixl-off/wixl"
    chmod 755 "$E2E_TMP/wixl-off/wixl"
    PATH=$E2E_TMP/wixl-off:$PATH make_msi x64 "$E2E_TMP/wixl-off/x64.msi" &&
        cmp "$MSI_X64" "$E2E_TMP/wixl-off/x64.msi"
}

# Without makensis: an error naming the package, and no file.
without_makensis() {
    local out
    out=$(PATH=$(e2e_path_without makensis) make_setup "$E2E_TMP/none.exe" 2>&1) && return 1
    e2e_log "$out"
    [[ $out == *"$(package_of makensis) (for makensis)"* ]] && [ ! -e "$E2E_TMP/none.exe" ]
}

check_build() {
    local size
    size=$(stat -c %s "$SETUP")
    e2e_log "setup.exe: $size bytes"
    e2e_check "the installer is under 500 KB" [ "$size" -lt 512000 ]
    e2e_check "x64.msi is per machine for x64" per_machine "$MSI_X64" x64
    e2e_check "x86.msi is per machine for Intel" per_machine "$MSI_X86" Intel
    e2e_check "a second build gives the same installer" same_again setup.exe
    e2e_check "its version record has the copyright line" \
        grep -qx "Copyright (c) 2026 Ostrel and the Fenlight contributors" <(strings -el "$SETUP")
    e2e_check "and the same MSI" same_again x64.msi
    e2e_check "whose creation and last-save times are SOURCE_DATE_EPOCH" \
        times_are "$MSI_X64" "$SOURCE_DATE_EPOCH"
    e2e_check "the same MSI again when wixl's clock is off" same_with_wixl_off
    e2e_check "without makensis make-installer fails and names the package" without_makensis
}
