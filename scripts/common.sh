# Sourced by every script here: where the sources, the build folder and the installable set
# lie, and the start that test.sh, run.sh and bench.sh share.
#   ZV_BUILD_DIR  build folder (default build), relative to the top or absolute; each one has
#                 its own trees, Wine prefix, wineserver and installable set, so several can
#                 run side by side
#   ZV_DIST_DIR   where the installable set goes (default <build folder>/dist/win64)
ZV_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ZV_TOP

zv_abspath() { case "$1" in /*) echo "$1" ;; *) echo "$ZV_TOP/$1" ;; esac; }
ZV_BDIR=$(zv_abspath "${ZV_BUILD_DIR:-build}")
ZV_DIST=$(zv_abspath "${ZV_DIST_DIR:-$ZV_BDIR/dist/win64}")

# zv_lock: holds the build folder's lock (fd 9) until the calling script ends; the runs of one
# folder share its trees and its Wine prefix. Programs started in the background must not
# inherit fd 9 (9>&-), or the lock outlives the script.
zv_lock() {
  mkdir -p "$ZV_BDIR"
  exec 9>"$ZV_BDIR/.lock"
  if ! flock -n 9; then
    echo "Waiting for another run in $ZV_BDIR to end ..."
    flock 9
  fi
}

# zv_begin [--quiet]: installs what is missing, takes the lock and builds both trees
# (--quiet: build output only on failure).
zv_begin() {
  cd "$ZV_TOP"
  bash scripts/deps.sh
  zv_lock
  if [ "${1:-}" = --quiet ]; then
    local log
    log=$(mktemp)
    ZV_LOCK_HELD=1 bash scripts/build.sh >"$log" 2>&1 || { cat "$log"; rm -f "$log"; return 1; }
    rm -f "$log"
  else
    ZV_LOCK_HELD=1 bash scripts/build.sh
  fi
}
