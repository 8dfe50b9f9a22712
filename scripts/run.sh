#!/usr/bin/env bash
# What `make run` starts: the most complete program there is. Until the windows exist, a headless
# game on the virtual clock, with a picture of the board as it stands at the end.
set -euo pipefail
build=${1:-build}
mkdir -p out
echo "Playing five minutes of Detonix on a 1920x1080 board (virtual time)..."
"./$build/detonix-headless" play --minutes 5 --png out/detonix-game.png
echo "Open out/detonix-game.png to see the board as the last game stands."
