#!/usr/bin/env bash
# `make dist` on a machine where makensis cannot be found (PATH without it) names the Debian package to
# install, builds nothing and leaves an earlier run's OUT without artifacts.
. "$(dirname "$0")/../e2e/common.sh"
ROOT=$(cd "$E2E_DIR/../.." && pwd)

OUT=$E2E_TMP/out
mkdir "$OUT" && touch "$OUT/.fenlight-dist" "$OUT/Fenlight-1.0.0-setup.exe" "$OUT/SHA256SUMS"
PATH=$(e2e_path_without makensis) "$ROOT/tools/dist" "$OUT" "$E2E_TMP/builds" >"$E2E_TMP/dist.log" 2>&1
STATUS=$?
names_nsis() {
    e2e_log "$(grep -m1 missing "$E2E_TMP/dist.log")"
    [ "$STATUS" -ne 0 ] && grep -q "missing Debian packages: nsis (for makensis)" "$E2E_TMP/dist.log"
}
e2e_check "without makensis, make dist names the nsis package and fails" names_nsis
e2e_check "and builds nothing, leaving the earlier run's artifacts out of OUT" \
    eval '[ "$(ls -A "$OUT")" = .fenlight-dist ] && [ ! -e "$E2E_TMP/builds" ]'
e2e_finish
