# Sourced by test.sh, run.sh and bench.sh: one Wine prefix per build folder, a persistent
# wineserver, the prefix's virtual desktop, and (when asked) a private Xvfb display.
ZV_WINE=/usr/lib/wine/wine64          # the plain "wine" wrapper picks the 32-bit loader
ZV_WINESERVER=/usr/lib/wine/wineserver64
ZV_PREFIX_REG="$ZV_TOP/scripts/wineprefix.reg"

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

# zv_wineserver_end: ends the wineserver of $WINEPREFIX, if one runs, with every program of the
# prefix, and returns once it has gone: a new server started before that finds the old one
# still holding the prefix and does not start. SIGINT lets it save the registry; "-k" without a
# signal would wait too, but by polling (0.75 s where -w takes 0.5 s).
zv_wineserver_end() {
  "$ZV_WINESERVER" -k2 >/dev/null 2>&1 || return 0   # none running
  timeout 20 "$ZV_WINESERVER" -w >/dev/null 2>&1 && return 0
  "$ZV_WINESERVER" -k9 >/dev/null 2>&1 || return 0
  timeout 10 "$ZV_WINESERVER" -w >/dev/null 2>&1 && return 0
  echo "The wineserver of $WINEPREFIX does not end." >&2
  return 1
}

# zv_wineserver_start: a persistent wineserver for $WINEPREFIX, detached from the caller's pipes.
zv_wineserver_start() {
  "$ZV_WINESERVER" -p </dev/null >/dev/null 2>&1 9>&- && return 0
  echo "The wineserver of $WINEPREFIX did not start." >&2
  return 1
}

# zv_wine_start BUILD_DIR [PREFIX]: prepares the prefix (BUILD_DIR/wineprefix unless PREFIX is
# given) once and starts its wineserver and services with their output away from the caller's pipes.
zv_wine_start() {
  export WINEPREFIX="${2:-$1/wineprefix}" WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all,err+module}   # err+module: a missing DLL is reported, not silent
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=${ZV_LANG:-C.UTF-8}
  zv_wineserver_end                                 # a stale server may belong to another display
  mkdir -p "$WINEPREFIX"
  zv_wineserver_start
  # The marker holds the checksum of the settings it was made with: changed settings reach
  # an existing prefix too.
  local want
  want=$(cksum <"$ZV_PREFIX_REG")
  if [ "$(cat "$WINEPREFIX/.zv-ready" 2>/dev/null)" != "$want" ]; then
    echo "Preparing the Wine prefix $WINEPREFIX ..."
    "$ZV_WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    "$ZV_WINE" regedit /S "$(winepath_of "$ZV_PREFIX_REG")" </dev/null >/dev/null 2>&1 9>&-
    # The first boot has already started the desktop process without these settings, on the
    # bare X server, and it would serve the whole run: end it with its server (which saves
    # the registry) so that the next program starts it with them.
    zv_wineserver_end
    zv_wineserver_start
    echo "$want" >"$WINEPREFIX/.zv-ready"
  fi
  zv_prefix_fonts
  # Start the services now, so that no test's pipe is inherited by them.
  "$ZV_WINE" wineboot </dev/null >/dev/null 2>&1 9>&-
}

# zv_prefix_fonts: the caption buttons are drawn with Marlett, which Debian's Wine ships
# (fonts-wine) where this Wine does not look for it: without it they read "0 1 r". A font in the
# prefix's Fonts folder is found by every program started afterwards.
zv_prefix_fonts() {
  local dir="$WINEPREFIX/drive_c/windows/Fonts" src
  for src in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
    [ -f "$src" ] || continue
    [ -f "$dir/marlett.ttf" ] || { mkdir -p "$dir" && cp "$src" "$dir/"; }
    return 0
  done
  echo "Marlett (package fonts-wine) was not found: caption buttons will show letters." >&2
}

# zv_desktop_keep PROGRAM [ARGS]: Wine's desktop process ends with the last program on the
# desktop and restarts (about 1 s) with the next one; a program that stays for the whole
# run keeps it up, and starts it with its output away from the caller's pipes.
zv_desktop_keep() {
  "$ZV_WINE" "$@" </dev/null >/dev/null 2>&1 9>&- &
}

# zv_desktop_check: once a program runs, the prefix's virtual desktop must show on $DISPLAY as
# one X window titled "NAME - Wine desktop" of the size wineprefix.reg gives; without it every
# window goes on the bare X server (no captions, windows moved off-screen stall) and nothing
# measured there holds. Waits up to 20 s for it, else says so and fails.
zv_desktop_check() {
  local name size title i id geo=""
  name=$(sed -n 's/^"Desktop"="\(.*\)"\r\{0,1\}$/\1/p' "$ZV_PREFIX_REG")
  size=$(sed -n 's/^"'"$name"'"="\([0-9]*x[0-9]*\)"\r\{0,1\}$/\1/p' "$ZV_PREFIX_REG")
  title="$name - Wine desktop"
  for ((i = 0; i < 200; i++)); do
    id=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      geo=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/^ *Geometry: *//p') || true
      [ "$geo" = "$size" ] && return 0
    fi
    sleep 0.1
  done
  {
    echo "The Wine virtual desktop is not up on display $DISPLAY: no X window \"$title\" of $size"
    [ -n "$geo" ] && echo "(one of $geo was found)."
    echo "Programs would run on the bare X server, without window captions, and windows moved"
    echo "off-screen would stall. Check $ZV_PREFIX_REG, or delete $WINEPREFIX to prepare it anew."
  } >&2
  return 1
}

winepath_of() { echo "Z:${1//\//\\}"; }

# zv_lanes_start BUILD_DIR COUNT: the end-to-end tests run in COUNT lanes side by side, each with a
# display, a prefix and a wineserver of its own (named objects, the registry, the temporary folder
# and the desktop are then a lane's own). Lane 0 is the display and prefix already started; the
# others get BUILD_DIR/wineprefix-laneK. The lanes are told to the test runner (wine-run.sh) as
# ZV_LANE_DISPLAY_K and ZV_LANE_PREFIX_K.
ZV_LANE_PREFIXES=()
ZV_LANE_XVFB_PIDS=()
zv_lanes_start() {
  local k rc=0 saved_display=$DISPLAY saved_prefix=$WINEPREFIX saved_xvfb=${ZV_XVFB_PID:-}
  export ZV_LANE_DISPLAY_0=$DISPLAY ZV_LANE_PREFIX_0=$WINEPREFIX
  for ((k = 1; k < $2; k++)); do
    zv_lane_start "$1" "$k" || { rc=1; break; }
  done
  # Lane 0's display and prefix again, also after a lane that failed: zv_wine_stop ends them.
  export DISPLAY=$saved_display WINEPREFIX=$saved_prefix
  ZV_XVFB_PID=$saved_xvfb
  return "$rc"
}

# zv_lane_start BUILD_DIR K: one more lane; what it started is noted for zv_wine_stop at once.
zv_lane_start() {
  zv_xvfb_start || return 1
  ZV_LANE_XVFB_PIDS+=("$ZV_XVFB_PID")
  ZV_LANE_PREFIXES+=("$1/wineprefix-lane$2")
  zv_wine_start "$1" "$1/wineprefix-lane$2" || return 1
  zv_desktop_keep "$1/bin/ZvTestWnds.exe" /STAY
  zv_desktop_check || return 1
  export "ZV_LANE_DISPLAY_$2=$DISPLAY" "ZV_LANE_PREFIX_$2=$WINEPREFIX"
}

zv_wine_stop() {
  local prefix pid
  for prefix in "${ZV_LANE_PREFIXES[@]}"; do
    WINEPREFIX=$prefix zv_wineserver_end || true
  done
  for pid in "${ZV_LANE_XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  # Only the server of our own prefix: without one, -k would act on ~/.wine.
  [ -n "${WINEPREFIX:-}" ] && { zv_wineserver_end || true; }
  [ -n "${ZV_XVFB_PID:-}" ] && kill "$ZV_XVFB_PID" 2>/dev/null || true
}
