#!/usr/bin/env bash
# detonix on native Wayland, under a headless sway: wayland-test.sh BUILD-DIR.
# The window and the full-screen saver draw the board the headless tool draws for the same seed
# and size; the saver stays up without input and ends on a key; a window that can get no pixels
# is reported and ends the run.
set -uo pipefail
source "$(dirname "$0")/e2e.sh"
e2e_programs wayland-test "${1:-build}"
artifacts=${DETONIX_ARTIFACTS:-}
skip() { echo "wayland-test: skipped: $*" >&2; exit 77; }
for c in sway grim wtype swayidle; do command -v "$c" >/dev/null || skip "$c is not installed (scripts/bootstrap.sh installs it)"; done
# sway refuses to run as root: there it runs as nobody (setpriv execs, so its id is sway's). The
# clients run as the caller; root may use nobody's socket.
as_sway=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || skip "setpriv is missing, and sway will not run as root"
  as_sway=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
work=$(mktemp -d)
chmod 755 "$work"
sway_pid=
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

runtime=$work/runtime
mkdir -m 0700 "$runtime"
[ ${#as_sway[@]} -gt 0 ] && chown nobody "$runtime"
# Floating windows without borders: the window's board starts at the output's corner.
cat >"$work/sway.conf" <<'CONF'
output HEADLESS-1 resolution 1280x800 position 0 0
xwayland disable
default_border none
default_floating_border none
for_window [app_id=".*"] floating enable, move position 0 0
CONF
chmod 644 "$work/sway.conf"
export XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$work/config
"${as_sway[@]}" env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$runtime" HOME="$runtime" WLR_BACKENDS=headless \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 50); do
  display=$(cd "$runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -1)
  [ -n "$display" ] && break
  sleep 0.1
done
[ -n "$display" ] || skip "sway did not start: $(tail -3 "$work/sway.log")"
export WAYLAND_DISPLAY=$display SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy
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

e2e_result wayland-test
