#!/usr/bin/env bash
# detonix on Wayland through its own back end, under a headless sway: wayland-test.sh BUILD-DIR.
# At output scale 1 and 2 the window and the full-screen saver draw the board the headless tool
# draws for the same seed and size, in the output's own pixels; the window is app_id detonix and
# ends on Escape, q and Ctrl+Q only; the saver ends on a key and when another window takes the
# keyboard; the desktop's idle timeout still fires; no GL library is loaded.
set -uo pipefail
source "$(dirname "$0")/../harness.sh" wayland-test
e2e_programs "${1:-build}"
artifacts=${DETONIX_ARTIFACTS:-}
need grim wtype swayidle swaymsg
e2e_work
start_sway 1280x800
SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -1)
export SWAYSOCK XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy
unset DISPLAY SDL_VIDEODRIVER

# board NAME W H SCALE SEED: the output's top left W by H pixels show the headless tool's board of
# that size and seed, in cells of 30 pixels times SCALE.
board() {
  local name=$1 w=$2 h=$3 scale=$4 seed=$5
  grim -g "0,0 $((w / scale))x$((h / scale))" "$work/$name.png" || { fail "$name: grim failed"; return; }
  [ -n "$artifacts" ] && mkdir -p "$artifacts" && cp "$work/$name.png" "$artifacts/wayland-$name.png"
  if [ "$scale" -eq 1 ]; then cells_match "$name" "$work/$name.png" "$w" "$h" 30 "$seed"
  else cells_match "$name" "$work/$name.png" "$w" "$h" $((30 * scale)) "$seed" --cell $((30 * scale)); fi
}
# still_up NAME: detonix ($pid) has not ended by itself.
still_up() { kill -0 "$pid" 2>/dev/null && pass "$1: stays up" || fail "$1: ended by itself"; }
# ends_by NAME: detonix ends within 3 s, with status 0.
ends_by() {
  if ends_within 3 && [ "$status" -eq 0 ]; then pass "$1"; else fail "$1: did not end cleanly"; stop; fi
}
# keys WTYPE-ARGS...: the seat has a keyboard only while wtype runs: it waits until detonix has
# taken it, then holds the keys (quick taps get lost).
keys() { wtype -s 700 "$@" || fail "wtype $* failed"; }

for scale in 1 2; do
  swaymsg output HEADLESS-1 scale "$scale" >/dev/null || fail "scale $scale: swaymsg failed"
  # The window: 1024 by 768 at 100 %; at 200 % as large as the output has room for.
  start -window -seed 21 -speed 300
  sleep 2
  if [ "$scale" -eq 1 ]; then board window-1 1024 768 1 21; else board window-2 1280 800 2 21; fi
  stop
  # Full screen: the whole output.
  start -fullscreen -seed 22 -speed 300
  sleep 2
  board "fullscreen-$scale" 1280 800 "$scale" 22
  stop
done
swaymsg output HEADLESS-1 scale 1 >/dev/null
# The compositor's fractional scale is painted at itself (45-pixel cells at 150 %) where offered.
WAYLAND_DEBUG=1 timeout 2 "$program" -window 2>"$work/protocol"
if grep -q '"wp_fractional_scale_manager_v1"' "$work/protocol"; then
  swaymsg output HEADLESS-1 scale 1.5 >/dev/null
  start -fullscreen -seed 23 -speed 300
  sleep 2
  grim -g "0,0 853x533" -s 1.5 "$work/fractional.png" && cells_match fractional "$work/fractional.png" 1280 800 45 23 --cell 45
  stop
  swaymsg output HEADLESS-1 scale 1 >/dev/null
else
  echo "skipped: 150 %: this compositor offers no fractional scale (wp_fractional_scale_manager_v1)"
fi

# The window: found by its desktop entry's name; ends on its quit keys only.
start -window
sleep 1.5
swaymsg -t get_tree | grep -q '"app_id": "detonix"' && pass "window: app_id detonix" || fail "window: no app_id detonix"
keys -P a -s 500 -p a
sleep 0.5
still_up "window: a key other than the quit keys"
keys -P Escape -s 500 -p Escape
ends_by "window: Escape ends it"
for quit in "q:-P q -s 500 -p q" "Ctrl+Q:-M ctrl -P q -s 500 -p q -m ctrl"; do
  start -window
  sleep 1.5
  keys ${quit#*:}
  ends_by "window: ${quit%%:*} ends it"
done

# Full screen: drawn without GL; stays up without input; a key ends it.
start -fullscreen -seed 22
sleep 2
gl=$(grep -E -i 'lib(GL|EGL|GLX|gbm|LLVM)|mesa|_dri\.so' "/proc/$pid/maps" | awk '{ print $6 }' | sort -u)
[ -z "$gl" ] && pass "fullscreen: no GL library loaded" || fail "fullscreen: GL libraries loaded: $gl"
sleep 2
still_up "fullscreen: without input"
keys -P a -s 500 -p a
ends_by "fullscreen: a key ends it"
# Another window taking the keyboard (a second full-screen client: sway gives no other window the
# focus in front of a full-screen one) ends it, while the seat has a keyboard.
start -fullscreen -seed 22
saver=$pid
sleep 1.5
wtype -s 4000 &
typing=$!
sleep 1
start -fullscreen -seed 23
other=$pid
pid=$saver
ends_by "fullscreen: another window taking the keyboard ends it"
pid=$other
stop
wait "$typing"

# The desktop's idle goes on while the saver or the window runs: an idle daemon's timeout fires.
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

# Outputs come and go while the saver runs: a window on each within a second, none on one that
# went, one on mirrored ones. views: "X,Y WxH" of each of detonix's windows as sway places them.
views() {
  swaymsg -t get_tree | python3 -c 'import json, sys
def walk(n):
    if n.get("app_id") == "detonix":
        r = n["rect"]; yield "%d,%d %dx%d" % (r["x"], r["y"], r["width"], r["height"])
    for c in n.get("nodes", []) + n.get("floating_nodes", []): yield from walk(c)
print(" ".join(sorted(walk(json.load(sys.stdin)))))'
}
follows() {
  local name=$1 want=$2
  shift 2
  swaymsg "$@" >/dev/null || { fail "follow: $name: swaymsg $* failed"; return; }
  sleep 1
  local got
  got=$(views)
  [ "$got" = "$want" ] && pass "follow: $name: windows $got" || fail "follow: $name: windows $got, not $want"
}
swaymsg output HEADLESS-1 scale 1 >/dev/null
start -fullscreen -seed 25
sleep 1.5
swaymsg create_output >/dev/null || fail "follow: sway made no second output"
follows "second output added" "0,0 1280x800 1280,0 800x600" output HEADLESS-2 resolution 800x600 position 1280 0
follows "second output mirrors the first" "0,0 1280x800" output HEADLESS-2 resolution 1280x800 position 0 0
follows "second output gone" "0,0 1280x800" output HEADLESS-2 disable
still_up "follow"
keys -P a -s 500 -p a
ends_by "follow: a key still ends it"

[ -s "$work/stderr" ] && { echo "--- detonix said:"; cat "$work/stderr"; }
summary
