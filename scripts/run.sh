#!/usr/bin/env bash
# Builds Zuvora and runs the core program under 64-bit Wine, in a Wine virtual desktop
# with a few notepad windows to scroll.
#   With an X display ($DISPLAY): runs there until the core program ends.
#   Without one: runs under Xvfb, saves a screenshot to out/zuvora-run.png, scrolls the desktop
#   by a page click on the horizontal scroll bar, saves out/zuvora-run-after.png and ends
#   (ZV_RUN_SECONDS, default 8, is how long it lets the program run first).
set -euo pipefail
source "$(dirname "$0")/common.sh"
zv_begin
source scripts/wine-env.sh
headless=0
if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  headless=1
  zv_xvfb_start
fi
trap zv_wine_stop EXIT
zv_wine_start "$ZV_BDIR/win64"
bin="$ZV_BDIR/win64/bin"   # the 64-bit set: this machine cannot run the 32-bit gateway

# Notepad opens where its registry says; give each of the three its own place, one
# partly beyond the right edge of the screen. Each must have read its place before the next
# one's is written: its window is an X window (a child of the desktop's), so wait for it.
notepads=0
notepad_at() {
  local k='HKCU\Software\Microsoft\Notepad' v i
  for v in "iWindowPosX $1" "iWindowPosY $2" "iWindowPosDX $3" "iWindowPosDY $4"; do
    set -- $v
    "$ZV_WINE" reg add "$k" /v "$1" /t REG_DWORD /d "$2" /f </dev/null >/dev/null 2>&1 9>&-
  done
  "$ZV_WINE" notepad </dev/null >/dev/null 2>&1 9>&- &
  notepads=$((notepads + 1))
  for ((i = 0; i < 200; i++)); do
    [ "$(xdotool search --name ' - Notepad$' 2>/dev/null | wc -l)" -ge $notepads ] && return 0
    sleep 0.1
  done
  echo "Notepad window $notepads did not appear within 20 s." >&2
}
notepad_at 60 80 420 300
zv_desktop_check
notepad_at 560 240 460 340
notepad_at 1050 520 480 360
"$ZV_WINE" "$bin/ZvCore64.exe" "$@" </dev/null >/dev/null 2>&1 9>&- &
core=$!
echo "ZvCore64.exe started under Wine (display $DISPLAY)."

if [ $headless = 1 ]; then
  # Without a display nobody can watch: the script scrolls the desktop itself, by a page click on
  # the horizontal scroll-bar window after its thumb, and keeps a picture from before and after.
  mkdir -p out
  bar=""
  for ((i = 0; i < 150; i++)); do
    bar=$(xdotool search --name 'Zuvora! Scroll Bar Horizontal' 2>/dev/null | head -1) || true
    [ -n "$bar" ] && break
    sleep 0.1
  done
  sleep "${ZV_RUN_SECONDS:-8}"
  before="$ZV_TOP/out/zuvora-run.png" after="$ZV_TOP/out/zuvora-run-after.png"
  import -window root "$before"
  echo "No X display: ran under Xvfb; screenshot saved to $before"
  # The X window's absolute place (xdotool adds the parent's offset once more for Wine's windows).
  geo=""
  [ -n "$bar" ] && geo=$(xwininfo -id "$bar" 2>/dev/null |
    awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF}
         END{if (w) print x, y, w, h}')
  if [ -n "$geo" ]; then
    read -r X Y WIDTH HEIGHT <<<"$geo"
    # The track ends where the spin begins, two thicknesses from the right end.
    xdotool mousemove $((X + WIDTH - 2 * HEIGHT - 4)) $((Y + HEIGHT / 2)) click 1
    sleep 2
    import -window root "$after"
    echo "After a page click on the horizontal scroll bar at ($X,$Y) ${WIDTH}x$HEIGHT: $after"
  else
    echo "The horizontal scroll-bar window did not show: no second screenshot."
  fi
  if kill -0 $core 2>/dev/null; then
    echo "ZvCore64.exe ran until the end of this headless run and is ended now with its Wine session;"
  else
    echo "ZvCore64.exe had ended on its own before the end of this headless run;"
  fi
  echo "what it showed is in the screenshots above (out/zuvora-run.png, out/zuvora-run-after.png)."
  echo "Run this command on an X display to use the program yourself."
else
  wait $core || true
  echo "ZvCore64.exe has ended."
fi
