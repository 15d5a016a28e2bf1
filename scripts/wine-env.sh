# Sourced by test.sh and run.sh: one Wine prefix per build folder, a persistent
# wineserver, and (when asked) a private Xvfb display.
ZV_WINE=/usr/lib/wine/wine64          # the plain "wine" wrapper picks the 32-bit loader
ZV_WINESERVER=/usr/lib/wine/wineserver64

# zv_xvfb_start: starts Xvfb on a free display and exports DISPLAY.
zv_xvfb_start() {
  local n
  for n in $(seq 90 120); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 9>&- &
    ZV_XVFB_PID=$!
    export DISPLAY=:$n
    local i
    for i in $(seq 1 50); do
      [ -e /tmp/.X11-unix/X$n ] && return 0
      sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
  done
  echo "no free X display" >&2
  return 1
}

# zv_wine_start BUILD_DIR: prepares the prefix BUILD_DIR/wineprefix (once) and
# starts its wineserver and desktop with their output away from the caller's pipes.
zv_wine_start() {
  export WINEPREFIX="$1/wineprefix" WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all,err+module}   # err+module: a missing DLL is reported, not silent
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=${ZV_LANG:-C.UTF-8}
  "$ZV_WINESERVER" -k >/dev/null 2>&1 || true      # a stale server may belong to another display
  sleep 0.2
  mkdir -p "$WINEPREFIX"
  "$ZV_WINESERVER" -p </dev/null >/dev/null 2>&1 9>&-
  if [ ! -f "$WINEPREFIX/.zv-ready" ]; then
    echo "Preparing the Wine prefix $WINEPREFIX ..."
    "$ZV_WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    "$ZV_WINE" regedit /S "$(winepath_of "$ZV_TOP/scripts/wineprefix.reg")" </dev/null >/dev/null 2>&1 9>&-
    touch "$WINEPREFIX/.zv-ready"
  fi
  # Start the services now, so that no test's pipe is inherited by them.
  "$ZV_WINE" wineboot </dev/null >/dev/null 2>&1 9>&-
}

# zv_desktop_keep PROGRAM [ARGS]: Wine's desktop process ends with the last program on the
# desktop and restarts (about 1 s) with the next one; a program that stays for the whole
# run keeps it up, and starts it with its output away from the caller's pipes.
zv_desktop_keep() {
  "$ZV_WINE" "$@" </dev/null >/dev/null 2>&1 9>&- &
}

winepath_of() { echo "Z:${1//\//\\}"; }

zv_wine_stop() {
  "$ZV_WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "${ZV_XVFB_PID:-}" ] && kill "$ZV_XVFB_PID" 2>/dev/null || true
}
