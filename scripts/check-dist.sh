#!/usr/bin/env bash
# Checks that dist/win64 holds the nine deliverables with the right machine types.
set -euo pipefail
cd "$(dirname "$0")/.."
cd "${1:-dist/win64}"
machine() {  # prints the PE machine field: 8664 (x86-64) or 14c (i386)
  local off
  off=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((off + 4)) -N 2 "$1" | tr -d ' '
}
fail=0
for f in ZvCore64.exe ZvProperty64.exe ZvHook64.dll ZvImgNm64.dll ZvLog64.exe ZvRegCopy64.exe; do
  [ "$(machine $f)" = 8664 ] || { echo "dist: $f is not x86-64"; fail=1; }
done
for f in ZvHook32to64.exe ZvHook.dll ZvLog.exe; do
  [ "$(machine $f)" = 014c ] || { echo "dist: $f is not i386"; fail=1; }
done
[ $fail = 0 ] && echo "${1:-dist/win64}: nine deliverables, machine types right"
exit $fail
