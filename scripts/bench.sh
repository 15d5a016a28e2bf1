#!/usr/bin/env bash
# Builds Zuvora and runs the benchmarks under 64-bit Wine in a private Xvfb display;
# prints their figures.
set -euo pipefail
export ZV_TOP=$(cd "$(dirname "$0")/.." && pwd)
cd "$ZV_TOP"
bash scripts/deps.sh
bdir=${ZV_BUILD_DIR:-build}
case "$bdir" in /*) ;; *) bdir="$ZV_TOP/$bdir" ;; esac
mkdir -p "$bdir"
exec 9>"$bdir/.lock"
flock 9
ZV_LOCK_HELD=1 bash scripts/build.sh >/dev/null
source scripts/wine-env.sh
trap zv_wine_stop EXIT
zv_xvfb_start
zv_wine_start "$bdir/win64"
zv_desktop_keep "$bdir/win64/bin/ZvTestWnds.exe" /STAY
rc=0
for b in ZvBenchScroll ZvBenchHook; do   # one failing benchmark does not hide the others' figures
  "$bdir/win64/wine-run.sh" "$bdir/win64/bin/$b.exe" </dev/null 9>&- || rc=$?
done
exit $rc
