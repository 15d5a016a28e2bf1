#!/usr/bin/env bash
# Builds everything and runs every test under 64-bit Wine in a private Xvfb display.
# Usage: scripts/test.sh [ctest arguments, e.g. -R Timer]
set -euo pipefail
export ZV_TOP=$(cd "$(dirname "$0")/.." && pwd)
cd "$ZV_TOP"
bash scripts/deps.sh
bdir=${ZV_BUILD_DIR:-build}
case "$bdir" in /*) ;; *) bdir="$ZV_TOP/$bdir" ;; esac
mkdir -p "$bdir"
exec 9>"$bdir/.lock"                   # one run at a time per build folder (they share a prefix)
flock 9
ZV_LOCK_HELD=1 bash scripts/build.sh
source scripts/wine-env.sh
trap zv_wine_stop EXIT
zv_xvfb_start
zv_wine_start "$bdir/win64"
zv_desktop_keep "$bdir/win64/bin/ZvTestWnds.exe" /STAY   # no visible window: nothing to scroll
bash scripts/check-dist.sh "${ZV_DIST_DIR:-dist/win64}"
cd "$bdir/win64"
# End-to-end tests carry RUN_SERIAL; unit tests run in parallel.
ctest --output-on-failure --timeout 120 -j "$(nproc)" "$@" </dev/null
