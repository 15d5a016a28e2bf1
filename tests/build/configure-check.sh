#!/usr/bin/env bash
# Configures the sources as another build would and checks the generated Ninja files; nothing
# is compiled. Usage: configure-check.sh CASE SOURCE_DIR WORK_DIR
#   msvc      clang-cl in MSVC's place (the MSVC branches of the CMake files), both trees;
#             exits 77 (skipped) when clang-cl and its LLVM tools are not installed
#   reconfig  the MinGW 32-bit tree configured twice keeps its resource-compiler flags
set -uo pipefail
case_name=$1 src=$2 work=$3
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

# configure DIR ARGS...: a fresh (or, with KEEP=1, the existing) tree in $work/DIR.
configure() {
  local dir=$work/$1
  shift
  [ "${KEEP:-0}" = 1 ] || rm -rf "$dir"
  if ! cmake -S "$src" -B "$dir" -G Ninja "$@" >"$dir.log" 2>&1; then
    fail "configure of $dir failed:"
    cat "$dir.log"
    return 1
  fi
}

# ninja_var DIR OUTPUT_RE RULE_RE VAR: the values of VAR in the build statements of DIR's
# build.ninja whose first output matches OUTPUT_RE and whose rule matches RULE_RE, one a line.
ninja_var() {
  awk -v out_re="$2" -v rule_re="$3" -v var="$4" '
    /^build / {
      hit = 0
      if (match($0, /: [^ ]+/)) {
        rule = substr($0, RSTART + 2, RLENGTH - 2)
        hit = ($2 ~ out_re) && (rule ~ rule_re)
      }
      next
    }
    /^  [A-Z_]+ = / { if (hit && $1 == var) print substr($0, index($0, "= ") + 2); next }
    { hit = 0 }' "$1/build.ninja"
}

# each_line TEXT DESCRIPTION ERE: every line of TEXT (at least one) matches ERE.
each_line() {
  local text=$1 what=$2 ere=$3 line bad=0 first=""
  [ -n "$text" ] || { fail "$what: none found"; return; }
  while IFS= read -r line; do
    [[ $line =~ $ere ]] || { bad=$((bad + 1)); [ -n "$first" ] || first=$line; }
  done <<<"$text"
  [ $bad = 0 ] || fail "$what ($bad of $(wc -l <<<"$text")), e.g. \"$first\""
}

# no_line TEXT DESCRIPTION ERE: no line of TEXT matches ERE.
no_line() {
  local text=$1 what=$2 ere=$3 line
  while IFS= read -r line; do
    [ -n "$line" ] && [[ $line =~ $ere ]] && { fail "$what: \"$line\""; return; }
  done <<<"$text"
}

check_msvc() {
  local cl dir tool d
  cl=$(command -v clang-cl || ls /usr/lib/llvm-*/bin/clang-cl 2>/dev/null | sort -V | tail -n 1)
  dir=$(dirname "${cl:-/none/x}")
  for tool in clang-cl lld-link llvm-rc llvm-lib llvm-mt; do
    [ -x "$dir/$tool" ] || { echo "SKIP: $tool not found (clang and LLVM tools stand in for MSVC)"; exit 77; }
  done
  local common=(-DCMAKE_TOOLCHAIN_FILE="$src/tests/build/toolchain-clang-cl.cmake" -DZV_CLANG_CL_DIR="$dir")

  # 64-bit tree with the defaults a Windows user gets.
  d=$work/msvc64
  if configure msvc64 "${common[@]}" -DZV_CLANG_TARGET=x86_64-pc-windows-msvc -DCMAKE_BUILD_TYPE=Release; then
    grep -q '^ZV_BUILD_TESTS:BOOL=OFF$' "$d/CMakeCache.txt" || fail "msvc64: tests are on by default"
    [ -e "$d/wine-run.sh" ] && fail "msvc64: a Wine runner was made"
    grep -q 'googletest' "$d/build.ninja" && fail "msvc64: GoogleTest is part of the build"
    each_line "$(ninja_var "$d" . '^(C|CXX)_COMPILER__' FLAGS)" "msvc64: compile without the static runtime" '(^| )-MT( |$)'
    no_line "$(ninja_var "$d" . '^RC_COMPILER__' FLAGS)" "msvc64: compiler options given to rc" '/W3|/utf-8|-c 65001|-W'
    each_line "$(ninja_var "$d" 'ZvHook64\.dll$' LINKER LINK_FLAGS)" "msvc64: ZvHook64.dll without its .def" '/DEF:[^ ]*/ZvHook64\.def'
    grep -qE 'dlltool|--kill-at|-municode|-static( |$)' "$d/build.ninja" && fail "msvc64: MinGW tools or options in the build"
  fi

  # 32-bit deliverables, Debug: the hook library's exports come from the plain-name .def.
  d=$work/msvc32
  if configure msvc32 "${common[@]}" -DZV_CLANG_TARGET=i686-pc-windows-msvc -DCMAKE_BUILD_TYPE=Debug -DZV_DELIVERABLES_32=ON; then
    each_line "$(ninja_var "$d" 'ZvHook\.dll$' LINKER LINK_FLAGS)" "msvc32: ZvHook.dll not linked with ZvHook.def alone" '/DEF:[^ ]*/ZvHook\.def( |$)'
    each_line "$(ninja_var "$d" 'ZvHook\.dll$' LINKER POST_BUILD)" "msvc32: ZvHook.dll has a post-build step" '^:$'
    each_line "$(ninja_var "$d" . '^(C|CXX)_COMPILER__' FLAGS)" "msvc32: compile without the static debug runtime" '(^| )-MTd( |$)'
    grep -qE 'dlltool|--kill-at' "$d/build.ninja" && fail "msvc32: MinGW tools or options in the build"
  fi

  # Tests asked for without GoogleTest: a clear error, not a half-made tree.
  if cmake -S "$src" -B "$work/msvc64g" -G Ninja "${common[@]}" -DZV_CLANG_TARGET=x86_64-pc-windows-msvc \
       -DZV_BUILD_TESTS=ON -DZV_GTEST_SRC="$work/no-googletest" >"$work/msvc64g.log" 2>&1; then
    fail "msvc64g: configured with tests on and no GoogleTest"
  elif ! grep -q 'set ZV_GTEST_SRC' "$work/msvc64g.log"; then
    fail "msvc64g: no word of ZV_GTEST_SRC when GoogleTest is missing:"
    cat "$work/msvc64g.log"
  fi
  rm -rf "$work/msvc64g"

  # Tests asked for: GoogleTest gets the same runtime as the code it is linked with.
  if [ -f /usr/src/googletest/CMakeLists.txt ]; then
    d=$work/msvc64t
    if configure msvc64t "${common[@]}" -DZV_CLANG_TARGET=x86_64-pc-windows-msvc -DCMAKE_BUILD_TYPE=Debug \
         -DZV_BUILD_TESTS=ON -DZV_GTEST_SRC=/usr/src/googletest; then
      each_line "$(ninja_var "$d" 'gtest' '^CXX_COMPILER__' FLAGS)" "msvc64t: GoogleTest without the static debug runtime" '(^| )-MTd( |$)'
      each_line "$(ninja_var "$d" 'ZvUnitTests' '^CXX_COMPILER__' FLAGS)" "msvc64t: unit tests without the static debug runtime" '(^| )-MTd( |$)'
    fi
  fi
}

check_reconfig() {
  local d=$work/reconfig32 args=(-DZV_DELIVERABLES_32=ON -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw32.cmake")
  configure reconfig32 "${args[@]}" || return
  KEEP=1 configure reconfig32 "${args[@]}" || return
  each_line "$(ninja_var "$d" 'ZvHook32to64\.rc' '^RC_COMPILER__' FLAGS)" "reconfig32: windres flags after a second configure" '^-c 65001$'
}

mkdir -p "$work"
case $case_name in
  msvc) check_msvc ;;
  reconfig) check_reconfig ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac
[ $fails = 0 ] && echo "$case_name: configure checks passed"
exit $((fails > 0))
