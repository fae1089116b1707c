#!/usr/bin/env bash
# The Windows installer and the MSI packages, built from the two saver builds and then installed and
# uninstalled for real under Wine on a private Xvfb display. One mode a run, each in its own file:
#   build       setup.exe and both MSIs as files, no Windows process (build.sh)
#   nsis-win64  setup.exe and its uninstaller in a 64-bit prefix (nsis_win64.sh)
#   msi-win64   x64.msi in a 64-bit prefix (msi_win64.sh)
#   win32       setup.exe and x86.msi in a 32-bit prefix (win32.sh)
# The installer is a 32-bit program: where this machine cannot run one, nsis-win64 and win32 are skipped.
# Usage: installer.sh MODE VERSION DEFINES SCR_X64 SCR_X86 saver_probe.exe
#   DEFINES: the folder of a Windows build holding fenlight-defines.nsh and .wxi; the probe is of the
#   prefix's kind
. "$(dirname "$0")/../common.sh"
. "$E2E_DIR/saver/shown.sh"
. "$E2E_DIR/installer/in_wine.sh"

MODE=$1
VERSION=$2
NSH=$3/fenlight-defines.nsh
WXI=$3/fenlight-defines.wxi
SCR_X64=$(readlink -f "$4")
SCR_X86=$(readlink -f "$5")
PROBE=$(readlink -f "$6")
SETUP=$E2E_TMP/setup.exe
MSI_X64=$E2E_TMP/x64.msi
MSI_X86=$E2E_TMP/x86.msi
# The next version, whose x86_64 saver is told apart by a few bytes more at the end.
NEWER=${VERSION%.*}.$((${VERSION##*.} + 1))
NEWER_SCR=$E2E_TMP/newer/Fenlight.scr

case $MODE in
build | msi-win64) ;;
nsis-win64 | win32) e2e_can_start "$SCR_X86" ;;
*) echo "unknown mode '$MODE': build, nsis-win64, msi-win64 or win32"; exit 2 ;;
esac
for scr in "$SCR_X64" "$SCR_X86"; do
    [ -f "$scr" ] || { echo "no saver build at $scr: build the windows and windows-x86 presets"; exit 1; }
done

# sign_savers: the savers copied and signed with a throwaway certificate ($CERT.pem), as a release signs them;
# what is built from them is signed too.
sign_savers() {
    CERT=$E2E_TMP/cert
    openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=t -keyout "$CERT.key" -out "$CERT.pem" 2>/dev/null &&
        openssl pkcs12 -export -inkey "$CERT.key" -in "$CERT.pem" -out "$CERT.pfx" -passout pass:t
    export CODESIGN_PFX=$CERT.pfx CODESIGN_PASSWORD=t SOURCE_DATE_EPOCH=1800000000
    cp "$SCR_X64" "$E2E_TMP/x64.scr" && cp "$SCR_X86" "$E2E_TMP/x86.scr"
    SCR_X64=$E2E_TMP/x64.scr SCR_X86=$E2E_TMP/x86.scr
    "$E2E_TOOLS/codesign" "$SCR_X64" "$SCR_X86" >/dev/null || exit 1
}

# make_setup OUTFILE [DEFINES [SCR_X64 [SCR_X86]]]: tools/make-installer, by default on this build's files.
make_setup() { "$E2E_TOOLS/make-installer" "${2:-$NSH}" "${3:-$SCR_X64}" "${4:-$SCR_X86}" "$1" >/dev/null; }

# make_msi ARCH OUTFILE [DEFINES [SCR_X64]]: tools/make-msi alike.
make_msi() { "$E2E_TOOLS/make-msi" "${3:-$WXI}" "$1" "${4:-$SCR_X64}" "$SCR_X86" "$2" >/dev/null; }

# defines_of VERSION EXT: a copy of this build's fenlight-defines.EXT naming another version; prints its name.
defines_of() { sed "s/\"$VERSION/\"$1/g" "${NSH%.nsh}.$2" >"$E2E_TMP/$1.$2" && echo "$E2E_TMP/$1.$2"; }

case $MODE in build | nsis-win64) sign_savers ;; esac
mkdir -p "$E2E_TMP/newer" && cp "$SCR_X64" "$NEWER_SCR" && head -c 16 /dev/zero >>"$NEWER_SCR"
[ "$MODE" = msi-win64 ] || make_setup "$SETUP" ||
    { e2e_fail "make-installer builds setup.exe"; e2e_finish; exit 1; }
make_msi x64 "$MSI_X64" && make_msi x86 "$MSI_X86" || { e2e_fail "make-msi builds both"; e2e_finish; exit 1; }

. "$E2E_DIR/installer/${MODE//-/_}.sh"
"check_${MODE//-/_}"
e2e_finish
