#!/usr/bin/env bash
# The shipped program is one self-contained file: it imports system DLLs only, carries its resources
# (read back with windres, so no Windows process is needed), and stays small. Where 32-bit programs cannot
# run (FENLIGHT_32BIT=no says so here), tools/wine would start an x86_64 build and skip an i686 one, saying why.
#   check_imports.sh OBJDUMP WINDRES VERSION Fenlight.scr
set -u
objdump=$1
windres=$2
version=$3
program=$4
status=0
shopt -s nocasematch
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|COMCTL32|OPENGL32|msvcrt|SHELL32|ole32|IMM32)\.dll$'
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
echo "imports: $(echo $imports)"
[ -n "$imports" ] || { echo "FAIL no import table found"; status=1; }
for dll in $imports; do
    if ! [[ $dll =~ $allowed ]]; then
        echo "FAIL imports $dll, which is not a system DLL"
        status=1
    fi
done
size=$(stat -c %s "$program")
echo "size: $size bytes"
if [ "$size" -gt $((300 * 1024)) ]; then
    echo "FAIL larger than 300 KB"
    status=1
fi
headers=$("$objdump" -x "$program")
if ! grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers"; then
    echo "FAIL not a GUI-subsystem program"
    status=1
fi
grep -q '\.rsrc' <<<"$headers" || { echo "FAIL no resources"; status=1; }

# The description string, the icon group up to 256 pixels, the setup dialog, the manifest (common controls 6,
# per-monitor DPI) and the version record.
resources=$("$windres" -i "$program" -O rc 2>&1)
while IFS= read -r want; do
    grep -qF -- "$want" <<<"$resources" || { echo "FAIL resources lack: $want"; status=1; }
done <<EOF
  1, "Fenlight"
128 14 /* RT_GROUP_ICON */
"\000\000\000\000", 1, 32,
2003 DIALOGEX
name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""
PerMonitorV2, PerMonitor
true/pm
 FILEVERSION ${version//./, }, 0
VALUE "FileDescription", "Fenlight screen saver"
VALUE "FileVersion", "$version.0"
VALUE "OriginalFilename", "Fenlight.scr"
VALUE "LegalCopyright", "Copyright (c) 2026 Ostrel and the Fenlight contributors"
EOF

want=""
[[ $("$objdump" -f "$program") == *pei-i386* ]] &&
    want="skipped: this machine cannot run 32-bit programs (FENLIGHT_32BIT=no): ${program##*/} needs a 32-bit process"
said=$(FENLIGHT_32BIT=no "$(dirname "$0")/../../tools/wine" --check "$program")
[ "$said" = "$want" ] || { echo "FAIL tools/wine --check said [$said]"; status=1; }
exit $status
