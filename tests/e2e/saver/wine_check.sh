#!/usr/bin/env bash
# tools/wine's choice, without starting Wine: a 64-bit program can start on any machine; a 32-bit one, or
# anything in a 32-bit prefix, ends with 77 and the reason where 32-bit programs cannot run, which
# FENLIGHT_32BIT=no makes true here.
#   wine_check.sh Fenlight.scr 64|32
. "$(dirname "$0")/../common.sh"
SCR=$1
BITS=$2
export FENLIGHT_32BIT=no
unset FENLIGHT_32BIT_CHECK

# check_gives STATUS TEXT [VAR=VALUE...] PROGRAM: tools/wine --check PROGRAM ends with STATUS saying TEXT.
check_gives() {
    local out status
    out=$(env "${@:3:$#-3}" "$E2E_TOOLS/wine" --check "${@: -1}")
    status=$?
    [ "$status" = "$1" ] && [ "$out" = "$2" ] || { e2e_log "status $status: [$out]"; return 1; }
}
cannot="skipped: this machine cannot run 32-bit programs (FENLIGHT_32BIT=no)"
if [ "$BITS" = 64 ]; then
    e2e_check "a 64-bit program can start" check_gives 0 "" "$SCR"
else
    e2e_check "a 32-bit program is skipped, saying why" check_gives 77 "$cannot: Fenlight.scr needs a 32-bit process" "$SCR"
fi
e2e_check "a program of a 64-bit prefix can start" check_gives 0 "" WINEARCH=win64 reg
e2e_check "one of a 32-bit prefix is skipped" check_gives 77 "$cannot: reg needs a 32-bit process" WINEARCH=win32 reg
e2e_check "--32bit answers no" eval '[ "$("$E2E_TOOLS/wine" --32bit)" = "no: ${cannot#skipped: }" ]'
e2e_finish
