#!/usr/bin/env bash
# Checks that the installable set (default: the build folder's dist/win64, see
# scripts/common.sh) holds the nine deliverables with the right machine types.
# Usage: scripts/check-dist.sh [folder]
set -euo pipefail
source "$(dirname "$0")/common.sh"
dir=$(zv_abspath "${1:-$ZV_DIST}")
cd "$dir"
machine() {  # prints the PE machine field: 8664 (x86-64) or 14c (i386)
  local off
  off=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((off + 4)) -N 2 "$1" | tr -d ' '
}
fail=0
for f in ZvCore64.exe ZvProperty64.exe ZvHook64.dll ZvImgNm64.dll ZvLog64.exe ZvRegCopy64.exe; do
  [ -f "$f" ] && [ "$(machine $f)" = 8664 ] || { echo "dist: $f is missing or not x86-64"; fail=1; }
done
for f in ZvHook32to64.exe ZvHook.dll ZvLog.exe; do
  [ -f "$f" ] && [ "$(machine $f)" = 014c ] || { echo "dist: $f is missing or not i386"; fail=1; }
done
[ $fail = 0 ] && echo "$dir: nine deliverables, machine types right"
exit $fail
