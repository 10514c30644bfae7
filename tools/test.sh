#!/bin/bash
# Builds everything and runs every test under Wine on a private Xvfb.
# Extra arguments go to ctest (for example -R e2e).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_machine
build_all
trap stop_all EXIT
start_xvfb
ensure_prefix
start_wine_session
cd "$BUILD"
log "running the tests"
ctest --output-on-failure -j 2 --timeout 180 "$@"
