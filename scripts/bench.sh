#!/usr/bin/env bash
# Builds Zuvora and runs the benchmarks under 64-bit Wine in a private Xvfb display;
# prints their figures. ZV_BENCH_ONLY="ZvBenchScroll" runs only the ones it names.
set -euo pipefail
source "$(dirname "$0")/common.sh"
zv_begin --quiet
source scripts/wine-env.sh
trap zv_wine_stop EXIT
zv_xvfb_start
zv_wine_start "$ZV_BDIR/win64"
zv_desktop_keep "$ZV_BDIR/win64/bin/ZvTestWnds.exe" /STAY
zv_desktop_check
rc=0
for b in ${ZV_BENCH_ONLY:-ZvBenchScroll ZvBenchBars ZvBenchHook ZvBenchGateway}; do   # one failing benchmark does not hide the others' figures
  "$ZV_BDIR/win64/wine-run.sh" "$ZV_BDIR/win64/bin/$b.exe" </dev/null 9>&- || rc=$?
done
exit $rc
