#!/usr/bin/env bash
# Builds everything and runs every test under 64-bit Wine in a private Xvfb display.
# Usage: scripts/test.sh [ctest arguments, e.g. -R Timer]
set -euo pipefail
source "$(dirname "$0")/common.sh"
zv_begin
source scripts/wine-env.sh
trap zv_wine_stop EXIT
zv_xvfb_start
zv_wine_start "$ZV_BDIR/win64"
zv_desktop_keep "$ZV_BDIR/win64/bin/ZvTestWnds.exe" /STAY   # no visible window: nothing to scroll
zv_desktop_check
bash scripts/check-dist.sh "$ZV_DIST"
cd "$ZV_BDIR/win64"
# End-to-end tests carry RUN_SERIAL; unit tests run in parallel.
# The lock stays with this script: a Wine program a test starts must not carry it past the run.
ctest --output-on-failure --timeout 120 -j "$(nproc)" "$@" </dev/null 9>&-
