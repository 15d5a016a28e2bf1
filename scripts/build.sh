#!/usr/bin/env bash
# Builds both trees and lays out the installable set.
#   build/win64       64-bit tree; build/win64/bin is the test layout (all nine as 64-bit builds)
#   build/win32       32-bit deliverables
#   build/dist/win64  what a Windows user installs: six 64-bit files and three 32-bit ones
# (ZV_BUILD_DIR and ZV_DIST_DIR move them: scripts/common.sh)
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ZV_TOP"
type=${ZV_BUILD_TYPE:-Release}
[ -z "${ZV_LOCK_HELD:-}" ] && zv_lock
for arch in 64 32; do
  extra=()
  [ $arch = 32 ] && extra=(-DZV_DELIVERABLES_32=ON)
  if [ ! -f "$ZV_BDIR/win$arch/build.ninja" ]; then
    cmake -S . -B "$ZV_BDIR/win$arch" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
      -DCMAKE_TOOLCHAIN_FILE="$ZV_TOP/cmake/toolchain-mingw$arch.cmake" \
      "${extra[@]}" >/dev/null
  fi
  cmake --build "$ZV_BDIR/win$arch" -- -k 0
done
mkdir -p "$ZV_DIST"
rm -f "$ZV_DIST"/*
for f in ZvCore64.exe ZvProperty64.exe ZvHook64.dll ZvImgNm64.dll ZvLog64.exe ZvRegCopy64.exe; do
  cp "$ZV_BDIR/win64/bin/$f" "$ZV_DIST"/
done
for f in ZvHook32to64.exe ZvHook.dll ZvLog.exe; do
  cp "$ZV_BDIR/win32/bin/$f" "$ZV_DIST"/
done
