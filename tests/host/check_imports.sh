#!/usr/bin/env bash
# The shipped program is one self-contained file: it imports system DLLs only, carries its
# resources, and stays small. Usage: check_imports.sh OBJDUMP Fenlight.scr
set -u
objdump=$1
program=$2
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
exit $status
