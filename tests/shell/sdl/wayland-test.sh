#!/usr/bin/env bash
# detonix on native Wayland, under a headless sway: wayland-test.sh BUILD-DIR.
# The window and the full-screen saver draw the board the headless tool draws for the same seed
# and size; the saver stays up without input and ends on a key; a window that can get no pixels
# is reported and ends the run.
set -uo pipefail
source "$(dirname "$0")/../harness.sh" wayland-test
e2e_programs "${1:-build}"
artifacts=${DETONIX_ARTIFACTS:-}
need grim wtype swayidle
e2e_work
start_sway 1280x800
export XDG_CONFIG_HOME=$work/config SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy
unset DISPLAY

# board NAME W H SEED: a screenshot of the output's top-left W by H shows the headless tool's board
# of that size and seed, in 30-pixel cells, at least 85 % of the cells the same.
board() {
  local name=$1 w=$2 h=$3 seed=$4
  grim -g "0,0 ${w}x${h}" "$work/$name.png" || { fail "$name: grim failed"; return; }
  [ -n "$artifacts" ] && mkdir -p "$artifacts" && cp "$work/$name.png" "$artifacts/wayland-$name.png"
  cells_match "$name" "$work/$name.png" "$w" "$h" 30 "$seed"
}

# The window: 1024 by 768, drawn.
start -window -seed 21 -speed 300
sleep 2
board window 1024 768 21
stop

# Full screen: drawn, still there after some seconds without input, and a key ends it.
start -fullscreen -seed 22 -speed 300
sleep 2
board fullscreen 1280 800 22
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
  fail "fullscreen: ended by itself without input"
else
  pass "fullscreen: stays up without input"
  # The seat has a keyboard only while wtype runs: it waits until SDL has taken it, then holds the key.
  wtype -s 700 -P a -s 500 -p a || fail "fullscreen: wtype failed"
  if ends_within 3 && [ "$status" -eq 0 ]; then pass "fullscreen: a key ends it"
  else fail "fullscreen: a key did not end it cleanly"; stop; fi
fi

# The desktop's idle goes on while the saver or the window runs: an idle daemon's timeout fires
# (SDL's default would inhibit idle for as long as the window exists).
for mode in -fullscreen -window; do
  start "$mode" -seed 23
  sleep 1
  rm -f "$work/idle"
  swayidle -w timeout 2 "touch $work/idle" >/dev/null 2>&1 &
  idle=$!
  sleep 4
  [ -e "$work/idle" ] && pass "$mode: the desktop's idle timeout fires" || fail "$mode: holds off the desktop's idle"
  kill "$idle" 2>/dev/null
  wait "$idle" 2>/dev/null
  stop
done

# A window without pixels (SDL told not to draw through OpenGL, Wayland's only way): a reason,
# and the run ends unsuccessfully instead of running on unseen.
: >"$work/stderr"
SDL_FRAMEBUFFER_ACCELERATION=0 start -window
if ends_within 5 && [ "$status" -ne 0 ] && grep -q "no picture for the window: ..*" "$work/stderr"; then
  pass "no pixels: reported ($(cat "$work/stderr")) and ended with status $status"
else
  fail "no pixels: not reported, or did not end with a failure: $(cat "$work/stderr")"
  stop
fi

# At 200 % the window's pixels are the output's own: the board in 60-pixel cells, as on X11 at
# 192 dpi, not 30-pixel ones doubled by the compositor.
SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -1) swaymsg output HEADLESS-1 scale 2 >/dev/null ||
  fail "scale 2: swaymsg failed"
start -window -seed 24 -speed 300
sleep 2
grim -g "0,0 640x400" "$work/scale2.png" || fail "scale 2: grim failed"
[ -n "$artifacts" ] && cp "$work/scale2.png" "$artifacts/wayland-scale2.png"
cells_match scale2 "$work/scale2.png" 1280 800 60 24 --cell 60
stop

summary
