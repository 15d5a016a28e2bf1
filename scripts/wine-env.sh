# Sourced by test.sh and run.sh: one Wine prefix per build folder, a persistent
# wineserver, and (when asked) a private Xvfb display.
ZV_WINE=/usr/lib/wine/wine64          # the plain "wine" wrapper picks the 32-bit loader
ZV_WINESERVER=/usr/lib/wine/wineserver64

# zv_xvfb_start: starts Xvfb on a display it picks itself (-displayfd, so parallel runs
# never share one) and exports DISPLAY.
zv_xvfb_start() {
  local fifo n
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 9>&- &
  ZV_XVFB_PID=$!
  read -r -t 20 n <"$fifo" || n=""
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$n
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
  # Only the server of our own prefix: without one, -k would act on ~/.wine.
  [ -n "${WINEPREFIX:-}" ] && { "$ZV_WINESERVER" -k >/dev/null 2>&1 || true; }
  [ -n "${ZV_XVFB_PID:-}" ] && kill "$ZV_XVFB_PID" 2>/dev/null || true
}
