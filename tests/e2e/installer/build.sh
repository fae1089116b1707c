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

# How many languages cmake/Languages.cmake lists.
languages() { sed -n '/^set(FENLIGHT_LANGUAGES/,/)/p' "$root/cmake/Languages.cmake" | grep -o '=' | wc -l; }

# makensis_takes_every_language: make-installer, its makensis saying what it made (-V3 for -V2): a language
# table for each language in the installer and the uninstaller, and no warning but the one on the name
# setup.exe (a missing LangString would be one).
makensis_takes_every_language() {
    local dir=$E2E_TMP/makensis-report
    mkdir -p "$dir" && printf '#!/usr/bin/env bash\nexec %q "${@/#-V2/-V3}" >%q\n' "$(command -v makensis)" \
        "$dir/log" >"$dir/makensis" && chmod 755 "$dir/makensis" && PATH=$dir:$PATH make_setup "$dir/setup.exe" &&
        e2e_is "parts with $(languages) language tables:" \
            "$(grep -cE "^(Install|Uninstall): .* $(languages) language tables " "$dir/log")" 2 &&
        ! grep -E '^  [0-9]+: ' "$dir/log" | grep -v '^  9000: '
}

# nsh_from: packaging/windows/languages.cmake on English and German files in languages/, into made.nsh; a
# message cmake gives is in made.log, one line.
nsh_from() {
    local dir=$E2E_TMP/languages
    printf '%s\n' "cmake_minimum_required(VERSION 3.25)" "include(\"$root/cmake/Languages.cmake\")" \
        "set(FENLIGHT_LANGUAGES en=English de=German)" "set(FENLIGHT_LANGUAGE_DIR \"$dir\")" \
        "include(\"$root/packaging/windows/languages.cmake\")" "fenlight_installer_languages(\"$dir/made.nsh\")" \
        >"$dir/make.cmake"
    cmake -P "$dir/make.cmake" 2>&1 | tr -s ' \n' ' ' >"$dir/made.log"
    [ "${PIPESTATUS[0]}" = 0 ]
}

# texts_escaped: texts with NSIS's $ and ", the files' escapes, what a CMake list would split at and the
# values put in become NSIS strings that say them; a language without a text gets English's, and a value the
# installer has none for stops the build, saying where.
texts_escaped() {
    local dir=$E2E_TMP/languages
    mkdir -p "$dir"
    printf '%s\n' 'installer.say-it = A "quoted" $0, $$5\nC:\\new\\n; [x \' 'installer.values = {file}' >"$dir/en.txt"
    printf '%s\n' '# German' ' installer.values  =  {file} von {version}: {error} {code} {installed} ' >"$dir/de.txt"
    nsh_from && diff <(grep "^LangString .* \${LANG_GERMAN} " "$dir/made.nsh") - <<'EOF' || return 1
LangString say_it ${LANG_GERMAN} "A $\"quoted$\" $$0, $$$$5$\r$\nC:\new\n; [x \"
LangString values ${LANG_GERMAN} "$0 von ${VERSION}: $3 $1 $0"
EOF
    echo 'installer.values = {datei}' >"$dir/de.txt"
    ! nsh_from && grep -q "de.txt's installer.values puts in {datei}," "$dir/made.log"
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
    e2e_check "makensis takes every language, for the installer and the uninstaller" makensis_takes_every_language
    e2e_check "the installer's texts are NSIS strings that say them" texts_escaped
}
