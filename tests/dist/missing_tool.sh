#!/usr/bin/env bash
# `make dist` on a machine where makensis cannot be found (PATH without it) names the Debian package to
# install and builds nothing.
. "$(dirname "$0")/../e2e/common.sh"
ROOT=$(cd "$E2E_DIR/../.." && pwd)

mkdir "$E2E_TMP/bin"
for tool in /usr/bin/* /usr/sbin/*; do
    [ "${tool##*/}" = makensis ] || ln -sf "$tool" "$E2E_TMP/bin/"
done
PATH=$E2E_TMP/bin "$ROOT/tools/dist" "$E2E_TMP/out" "$E2E_TMP/builds" >"$E2E_TMP/dist.log" 2>&1
STATUS=$?
names_nsis() {
    e2e_log "$(grep -m1 missing "$E2E_TMP/dist.log")"
    [ "$STATUS" -ne 0 ] && grep -q "missing Debian packages: nsis (for makensis)" "$E2E_TMP/dist.log"
}
e2e_check "without makensis, make dist names the nsis package and fails" names_nsis
e2e_check "and builds nothing" eval '[ ! -e "$E2E_TMP/out" ] && [ ! -e "$E2E_TMP/builds" ]'
e2e_finish
