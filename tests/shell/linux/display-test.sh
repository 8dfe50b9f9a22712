#!/usr/bin/env bash
# Display tests of detonix on a virtual X server: display-test.sh BUILD-DIR.
# Boards are checked against the headless tool's picture of the same seed and size, cell by cell:
# the players have moved a few cells by the time of the screenshot (slow players where the board
# is small), the rest must be the same.
set -uo pipefail
source "$(dirname "$0")/../harness.sh" display-test
e2e_programs "${1:-build}"
need Xvfb
e2e_work
start_xvfb 1280x1024 || exit 1
export XDG_CONFIG_HOME=$work/config  # the defaults, whatever the user has saved
unset XSCREENSAVER_WINDOW
export SDL_AUDIODRIVER=dummy


# 1. Into a foreign window, as xscreensaver asks of a hack: the board at 30-pixel cells.
win=$("$xtest" create 600 420)
start -window-id "$win" -seed 11 -speed 300
sleep 1.5
"$xtest" grab "$win" "$work/shot.png"
cells_match window_id "$work/shot.png" 600 420 30 11
# It never ends on input there.
"$xtest" move 10 10
"$xtest" move 400 300
xdotool key a click 1 2>/dev/null
sleep 0.5
kill -0 "$pid" 2>/dev/null && pass "window_id: input leaves it running" || fail "window_id: input ended it"
# The host destroys its window: the program ends by itself.
"$xtest" destroy "$win"
if ends_within 5 && [ "$status" -eq 0 ]; then pass "window_id: ends when its window goes away"
else fail "window_id: did not end cleanly when its window was destroyed"; stop; fi

# A window with no pixels to draw into (input only): one message, status 1. A present trace asked
# for through a link is refused, the file behind it left as it was.
win=$("$xtest" create 300 240 input-only)
: >"$work/stderr"
start -window-id "$win"
if ends_within 3 && [ "$status" -eq 1 ] && [ "$(wc -l <"$work/stderr")" -eq 1 ] && grep -q "input-only" "$work/stderr"; then
  pass "input_only: refused with one message ($(cat "$work/stderr"))"
else fail "input_only: status ${status:-none}: $(head -3 "$work/stderr")"; stop; fi
echo keep >"$work/kept"
ln -s "$work/kept" "$work/trace"
win=$("$xtest" create 300 240)
: >"$work/stderr"
DETONIX_PRESENT_TRACE=$work/trace start -window-id "$win" -seed 11
sleep 1.5
stop
[ "$(cat "$work/kept")" = keep ] && grep -q "no present trace in .*symbolic link" "$work/stderr" &&
  pass "trace: a link is refused" || fail "trace: a link followed: $(cat "$work/stderr")"
DETONIX_PRESENT_TRACE=$work/trace.txt start -window-id "$win" -seed 11
sleep 1.5
stop
grep -q '^[0-9]* 0 0 300 240$' "$work/trace.txt" && pass "trace: a file of its own is written" ||
  fail "trace: no trace written: $(head -c 300 "$work/trace.txt")"
"$xtest" destroy "$win"

# The desktop's scale as GNOME, KDE and xrdb publish it: Xft.dpi 144 (150 %) makes 45-pixel cells.
if echo "Xft.dpi: 144" | xrdb -nocpp -merge 2>/dev/null; then
  win=$("$xtest" create 600 420)
  start -window-id "$win" -seed 11 -speed 300
  sleep 1.5
  "$xtest" grab "$win" "$work/shot.png"
  cells_match xft_dpi "$work/shot.png" 600 420 45 11 --cell 45
  "$xtest" destroy "$win"
  xrdb -remove
  ends_within 5 || { fail "xft_dpi: did not end with its window"; stop; }
else
  fail "xft_dpi: xrdb cannot set the resource (x11-xserver-utils)"
fi

# Maze settings given on the command line make the maze: the headless tool reads the same ones
# from a settings file of its own.
XDG_CONFIG_HOME=$work/config2 "$program" --save-settings -fixed-blocks 0.25 -destructible-blocks 0.4 -powerups 5 >/dev/null
win=$("$xtest" create 600 420)
start -window-id "$win" -seed 11 -speed 300 -fixed-blocks 0.25 -destructible-blocks 0.4 -powerups 5
sleep 1.5
"$xtest" grab "$win" "$work/shot.png"
ref_config=$work/config2 cells_match maze_options "$work/shot.png" 600 420 30 11
"$xtest" destroy "$win"
ends_within 5 || { fail "maze_options: did not end with its window"; stop; }

# 2. The preview: cells of width div 14, so a 152 by 112 host gives 10-pixel cells and 15 by 11.
win=$("$xtest" create 152 112)
start /p "$win" -seed 12 -speed 300
sleep 1.5
"$xtest" grab "$win" "$work/shot.png"
cells_match preview "$work/shot.png" 152 112 10 12 --cell 10
"$xtest" destroy "$win"
ends_within 5 || { fail "preview: did not end with its window"; stop; }

# A host narrower than 14 pixels leaves no cell size; and a board too small for every maze.
# Inside a host's window both wait, black, for the window to go away; they must not crash.
win=$("$xtest" create 13 10)
start /p "$win"
sleep 1
kill -0 "$pid" 2>/dev/null && pass "preview: a 13-pixel host is survived" || fail "preview: a 13-pixel host ended it"
"$xtest" destroy "$win"
ends_within 5 || { fail "preview: did not end with its tiny window"; stop; }
win=$("$xtest" create 150 150)
start -window-id "$win"
sleep 1
kill -0 "$pid" 2>/dev/null && pass "window_id: a board too small is survived" || fail "window_id: a board too small ended it"
"$xtest" destroy "$win"
ends_within 5 || { fail "window_id: did not end with its window"; stop; }
# A 3 by 3 board without fixed blocks once walked for ever: now it is refused as too small, and
# SIGTERM and the window's destruction are answered as anywhere.
for end in term destroy; do
  win=$("$xtest" create 90 90)
  start -window-id "$win" -fixed-blocks 0
  sleep 1
  if ! kill -0 "$pid" 2>/dev/null; then fail "window_id: a 3 by 3 board without fixed blocks ended it"; continue; fi
  if [ "$end" = term ]; then kill -TERM "$pid"; else "$xtest" destroy "$win"; fi
  if ends_within 3; then pass "window_id: a 3 by 3 board without fixed blocks ends on $end"
  else fail "window_id: a 3 by 3 board without fixed blocks ignores $end"; stop; fi
  [ "$end" = term ] && "$xtest" destroy "$win"
done
# A density that leaves no maze is refused before any window opens.
if "$program" -fixed-blocks 1 2>"$work/err" >/dev/null; then fail "window: an impossible maze did not fail"
elif grep -q "bad value '1' for -fixed-blocks (a fraction, 0 to 0.5)" "$work/err"; then pass "window: an impossible maze is refused"
else fail "window: no refusal: $(cat "$work/err")"; fi

# 3. --root with XSCREENSAVER_WINDOW draws into that window, and SIGTERM ends it at once.
win=$("$xtest" create 450 330)
XSCREENSAVER_WINDOW=$(printf '0x%x' "$win") start --root -seed 13 -speed 300
sleep 1.5
"$xtest" grab "$win" "$work/shot.png"
cells_match root_env "$work/shot.png" 450 330 30 13
# It ends by the signal, as a shell sees it: status 143.
kill -TERM "$pid"
if ends_within 3 && [ "$status" -eq 143 ]; then pass "root_env: SIGTERM ends it, by SIGTERM"
else fail "root_env: SIGTERM did not end it by SIGTERM (status ${status:-none})"; stop; fi
"$xtest" destroy "$win"

# 4. --root without it draws into the real root window.
start -root -seed 14
sleep 1.5
"$xtest" grab root "$work/shot.png"
cells_match root "$work/shot.png" 1280 1024 30 14
kill -INT "$pid"
if ends_within 3 && [ "$status" -eq 130 ]; then pass "root: SIGINT ends it, by SIGINT"
else fail "root: SIGINT did not end it by SIGINT (status ${status:-none})"; stop; fi

# 5. Full screen: any key, any click, and a movement beyond 20 pixels on one axis end it.
fullscreen_case() {
  local name=$1 should_end=$2
  shift 2
  "$xtest" move 500 500
  start -fullscreen
  sleep 1.2
  "$@"
  if ends_within 2; then
    if [ "$should_end" = yes ] && [ "$status" -eq 0 ]; then pass "fullscreen: $name ends it"
    else fail "fullscreen: $name ended it (status $status)"; fi
  else
    if [ "$should_end" = no ]; then pass "fullscreen: $name leaves it running"
    else fail "fullscreen: $name did not end it"; fi
    stop
  fi
}
fullscreen_case "20 pixels on both axes" no "$xtest" move 520 480
fullscreen_case "21 pixels right" yes "$xtest" move 521 500
fullscreen_case "21 pixels up" yes "$xtest" move 500 479
fullscreen_case "a key" yes xdotool key a
fullscreen_case "a modifier key alone" yes xdotool key shift
fullscreen_case "a click" yes xdotool click 1
fullscreen_case "the wheel" yes xdotool click 5
fullscreen_case "the back button" yes xdotool click 8
# Another program taking the keyboard: what the user types must not go on behind the saver.
focus_elsewhere() { other=$("$xtest" create 50 50) && xdotool windowfocus "$other"; }
fullscreen_case "another window taking the focus" yes focus_elsewhere
"$xtest" destroy "$other"
# A signal in its first instant, before any window is up, ends it by that signal all the same.
start -fullscreen
sleep 0.08
kill -TERM "$pid"
if ends_within 3 && [ "$status" -eq 143 ]; then pass "fullscreen: an early SIGTERM ends it, by SIGTERM"
else fail "fullscreen: an early SIGTERM gave status ${status:-none}"; stop; fi
# The board covers the screen.
"$xtest" move 500 500
start -fullscreen -seed 15
sleep 1.5
"$xtest" grab root "$work/shot.png"
cells_match fullscreen "$work/shot.png" 1280 1024 30 15
stop

# 6. The window: 1024 by 768, and a new game at a new size. A value of the settings file that the
# option would refuse is told once, though every new size reads the file again.
mkdir -p "$work/config3/detonix" && echo "PerBlocksLeft=5" >"$work/config3/detonix/detonix.conf"
XDG_CONFIG_HOME=$work/config3 start -seed 16
sleep 1.5
wid=$(xdotool search --sync --limit 1 --pid "$pid" 2>/dev/null | head -1)
if [ -z "$wid" ]; then
  fail "window: no window found"
else
  geometry=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
  [ "$geometry" = 1024x768 ] && pass "window: 1024x768" || fail "window: $geometry, not 1024x768"
  "$xtest" grab "$wid" "$work/shot.png"
  cells_match window "$work/shot.png" 1024 768 30 16
  xdotool windowsize "$wid" 640 480
  sleep 1.5
  "$xtest" grab "$wid" "$work/shot.png"
  cells_match window_resized "$work/shot.png" 640 480 30 16
  told=$(grep -c "PerBlocksLeft=5 is out of range" "$work/stderr")
  [ "$told" -eq 1 ] && pass "window: a refused stored value told once" || fail "window: a refused stored value told $told times"
  # Past the board's limits (no window manager here to hold it back) the window is left empty
  # and the program goes on; back within them, a new game starts.
  xdotool windowsize "$wid" 8300 600
  sleep 1
  kill -0 "$pid" 2>/dev/null && pass "window_too_large: left empty, still running" || fail "window_too_large: ended"
  xdotool windowsize "$wid" 640 480
  sleep 1.5
  "$xtest" grab "$wid" "$work/shot.png"
  cells_match window_within_limits_again "$work/shot.png" 640 480 30 16
  # With no game there is no timer to wake the loop: the signal itself must.
  xdotool windowsize "$wid" 8300 600
  sleep 1
  kill -TERM "$pid"
  if ends_within 3 && [ "$status" -eq 143 ] && ! grep -q "did not stop in time" "$work/stderr"; then
    pass "window_too_large: SIGTERM ends it by itself"
  else fail "window_too_large: SIGTERM did not end the loop (status ${status:-none}): $(cat "$work/stderr")"; fi
fi
stop

# Its own window destroyed by another client: the program says so and ends unsuccessfully.
for mode in -window -fullscreen; do
  : >"$work/stderr"
  start "$mode"
  wid=$(xdotool search --sync --limit 1 --pid "$pid" 2>/dev/null | head -1)
  [ -n "$wid" ] && xdotool windowclose "$wid"
  if ends_within 2 && [ "$status" -eq 1 ] && grep -q "destroyed the window" "$work/stderr"; then
    pass "$mode: ends, saying so, when another client destroys its window"
  else fail "$mode: destroyed window: status ${status:-none}: $(cat "$work/stderr")"; stop; fi
done

# The window's keyboard ways out, and its icon for task switchers.
for key in Escape q ctrl+q; do
  start -window
  wid=$(xdotool search --sync --limit 1 --pid "$pid" 2>/dev/null | head -1)
  if [ "$key" = Escape ]; then
    xprop -id "$wid" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (64 x 64)' && pass "window: shows its icon" || fail "window: no icon"
  fi
  xdotool windowfocus "$wid" key "$key"
  if ends_within 2 && [ "$status" -eq 0 ]; then pass "window: $key ends it"
  else fail "window: $key did not end it"; stop; fi
done

# The desktop's idle goes on while any mode runs: the X server's own screen saver still starts.
xset s 2 0
for mode in -window -fullscreen -root; do
  start "$mode" -seed 20
  sleep 3.5
  state=$("$xtest" saver-state)
  [ "$state" = On ] && pass "$mode: the X screen saver starts on time" || fail "$mode: the X screen saver is $state"
  stop
  xset s reset
done
xset s off

# 7. Sound through SDL's dummy device: the game goes on through the explosions; in a session
# without a bus, no bus daemon is started that would outlive it.
win=$("$xtest" create 300 240)
: >"$work/stderr"
bus=${DBUS_SESSION_BUS_ADDRESS-}
unset DBUS_SESSION_BUS_ADDRESS
start -window-id "$win" -sound -speed 100 -seed 17
[ -n "$bus" ] && export DBUS_SESSION_BUS_ADDRESS=$bus
sleep 12
if kill -0 "$pid" 2>/dev/null && ! grep -q "no sound" "$work/stderr"; then pass "sound: plays on past the first explosions"
else fail "sound: $(cat "$work/stderr")"; fi
# One started for this display would say so in its environment.
buses=0
for p in $(pgrep -f 'dbus-launch --autolaunch'); do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && buses=$((buses + 1))
done
[ "$buses" -eq 0 ] && pass "sound: starts no bus daemon" || fail "sound: a bus daemon was started for $DISPLAY"
kill -TERM "$pid"
ends_within 3 || { fail "sound: SIGTERM did not end it"; stop; }

# 8. The X server goes away: the program ends instead of spinning on a dead connection.
win=$("$xtest" create 300 240)
start -window-id "$win" -seed 18
sleep 1
stop_server "$xvfb"
if ends_within 3; then pass "lost_server: ends when the X server goes away"
else fail "lost_server: still running without its X server"; stop; fi

# 9. A server that shares no memory with its clients, as across a network: the pixels go through
# the connection instead.
start_xvfb 640x480 -extension MIT-SHM || exit 1
start -root -seed 19
sleep 1.5
"$xtest" grab root "$work/shot.png"
cells_match no_shared_memory "$work/shot.png" 640 480 30 19
kill -TERM "$pid"
ends_within 3 || fail "no_shared_memory: SIGTERM did not end it"

# 10. Started as some hosts start a saver, with standard input, output and error closed: it draws,
# and SIGTERM ends it by SIGTERM.
start_xvfb 640x480 || exit 1
# A value that is not used: the warning comes once the display is open.
mkdir -p "$work/closed/detonix"
printf 'PerBlocksLeft=2\n' >"$work/closed/detonix/detonix.conf"
XDG_CONFIG_HOME=$work/closed "$program" -root -seed 21 <&- >&- 2>&- &
pid=$!
pids+=("$pid")
sleep 1.5
"$xtest" grab root "$work/shot.png"
cells_match closed_descriptors "$work/shot.png" 640 480 30 21
kill -TERM "$pid"
if ends_within 3 && [ "$status" -eq 143 ]; then pass "closed_descriptors: SIGTERM ends it, by SIGTERM"
else fail "closed_descriptors: SIGTERM gave status ${status:-none}"; stop; fi

# 11. Ending never waits on the display: SIGTERM while another client holds the server.
start -root -seed 22
sleep 1.5
"$xtest" hold 6 &
holder=$!
sleep 0.5
kill -TERM "$pid"
if ends_within 1 && [ "$status" -eq 143 ]; then pass "server_grab: SIGTERM ends it within a second, by SIGTERM"
else fail "server_grab: SIGTERM during a server grab gave status ${status:-none}"; stop; fi
wait "$holder"

# 12. Displays of 16 and 30 bits a pixel: the same board, converted as it is shown (16 bits keep
# only the top 5 or 6 of each channel).
for depth in 16 30; do
  start_xvfb 640x480x$depth || exit 1
  start -root -seed 20
  sleep 1.5
  "$xtest" grab root "$work/shot.png"
  cell_tolerance=$([ $depth = 16 ] && echo 8 || echo 0) cells_match depth_$depth "$work/shot.png" 640 480 30 20
  kill -TERM "$pid"
  ends_within 3 || fail "depth_$depth: SIGTERM did not end it"
done

summary
