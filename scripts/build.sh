#!/usr/bin/env bash
# Builds both trees and lays out dist/win64/ (what a Windows user installs).
#   build/win64       64-bit tree; build/win64/bin is the test layout (all nine as 64-bit builds)
#   build/win32       32-bit deliverables
#   dist/win64        six 64-bit files and three 32-bit ones side by side
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
type=${ZV_BUILD_TYPE:-Release}
bdir=${ZV_BUILD_DIR:-build}         # another folder gives a separate tree, prefix and wineserver
dist=${ZV_DIST_DIR:-dist/win64}
mkdir -p "$bdir"
if [ -z "${ZV_LOCK_HELD:-}" ]; then   # one build at a time per folder
  exec 9>"$bdir/.lock"
  flock 9
fi
for arch in 64 32; do
  extra=()
  [ $arch = 32 ] && extra=(-DZV_DELIVERABLES_32=ON)
  if [ ! -f $bdir/win$arch/build.ninja ]; then
    cmake -S . -B $bdir/win$arch -G Ninja -DCMAKE_BUILD_TYPE="$type" \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw$arch.cmake" \
      "${extra[@]}" >/dev/null
  fi
  cmake --build $bdir/win$arch -- -k 0
done
mkdir -p "$dist"
rm -f "$dist"/*
for f in ZvCore64.exe ZvProperty64.exe ZvHook64.dll ZvImgNm64.dll ZvLog64.exe ZvRegCopy64.exe; do
  cp $bdir/win64/bin/$f "$dist"/
done
for f in ZvHook32to64.exe ZvHook.dll ZvLog.exe; do
  cp $bdir/win32/bin/$f "$dist"/
done
