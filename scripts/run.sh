#!/usr/bin/env bash
# What `make run` starts: detonix in a window when there is a display to show it on, otherwise
# a headless game on the virtual clock with a picture of the board as it stands at the end.
set -euo pipefail
build=${1:-build}

display_reachable() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null; then
    xdpyinfo >/dev/null 2>&1
  else
    return 0  # let SDL find out
  fi
}

if [ -x "$build/detonix" ] && display_reachable; then
  echo "Starting Detonix in a window on display $DISPLAY (close the window to end it;"
  echo "'$build/detonix --help' lists full screen, the xscreensaver modes and the options)."
  exec "$build/detonix"
fi

if [ ! -x "$build/detonix" ]; then
  echo "The windowed program $build/detonix was not built, so here is a headless game instead."
else
  echo "No display is reachable (DISPLAY='${DISPLAY:-}'), so here is a headless game instead."
fi
mkdir -p out
echo "Playing five minutes of Detonix on a 1920x1080 board (virtual time)..."
"$build/detonix-headless" play --minutes 5 --png out/detonix-game.png
echo "Open out/detonix-game.png to see the board as the last game stands."
