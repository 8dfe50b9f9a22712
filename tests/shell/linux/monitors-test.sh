#!/usr/bin/env bash
# detonix -fullscreen on two monitors of different sizes, on the Xorg dummy driver laid out by
# xrandr: monitors-test.sh BUILD-DIR. Each monitor shows its own board (the headless tool's for
# its seed and size), and input on the second monitor ends the run on both. Needs root for Xorg.
set -uo pipefail
source "$(dirname "$0")/../harness.sh" monitors-test
e2e_programs "${1:-build}"
need xrandr xdotool convert
e2e_work
start_xorg_dummy 2304 768 '"1280x720" 74.25 1280 1390 1430 1650 720 725 730 750 +hsync +vsync' \
  '"1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync'
export XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy
unset XSCREENSAVER_WINDOW WAYLAND_DISPLAY SDL_VIDEODRIVER
# The second output takes part only after a first query.
xrandr >/dev/null
xrandr --output DUMMY0 --mode 1280x720 --pos 0x0 &&
  xrandr --newmode second 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync &&
  xrandr --addmode DUMMY1 second && xrandr --output DUMMY1 --mode second --pos 1280x0 ||
  skip "xrandr cannot lay out two outputs: $(xrandr 2>&1 | head -3)"

# Queried again, the new layout is what clients see at once.
[ "$(xrandr | grep -c -E '^DUMMY[01] connected.* (1280x720\+0|1024x768\+1280)\+0 ')" -eq 2 ] ||
  skip "xrandr did not lay out the two outputs: $(xrandr | grep ' connected')"
# The saver on both, the pointer on the second monitor.
start_saver() {
  xdotool mousemove 1800 400
  start -fullscreen -seed 31 -speed 300
  sleep 1.5
}

# Each monitor's rectangle of the screen shows a board of that monitor's size; the second one
# plays the next seed.
start_saver
"$xtest" grab root "$work/shot.png"
[ -n "${DETONIX_ARTIFACTS:-}" ] && mkdir -p "$DETONIX_ARTIFACTS" && cp "$work/shot.png" "$DETONIX_ARTIFACTS/monitors.png"
monitor=0
for rect in 1280x720+0+0 1024x768+1280+0; do
  size=${rect%%+*}
  convert "$work/shot.png" -crop "$rect" +repage "$work/monitor.png"
  cells_match "monitor-$monitor" "$work/monitor.png" "${size%x*}" "${size#*x}" 30 $((31 + monitor))
  monitor=$((monitor + 1))
done

# Input on the second monitor ends the run on both; a move within 20 pixels does not.
second_monitor_case() {
  local name=$1 should_end=$2
  shift 2
  [ -n "$pid" ] || start_saver
  "$@"
  if ends_within 2; then
    if [ "$should_end" = yes ] && [ "$status" -eq 0 ]; then pass "second monitor: $name ends both"
    else fail "second monitor: $name ended it (status $status)"; fi
  elif [ "$should_end" = no ]; then
    pass "second monitor: $name leaves both running"
  else
    fail "second monitor: $name did not end it"
    stop
  fi
}
second_monitor_case "a move of 20 pixels" no xdotool mousemove 1820 420
stop
second_monitor_case "a move of 21 pixels" yes xdotool mousemove 1821 400
second_monitor_case "a click" yes xdotool click 1
second_monitor_case "a key" yes xdotool key a

# The monitors change while the saver runs: a window on each monitor within a second, none on a
# monitor that went, one on mirrored monitors. windows: "X,Y WxH" of each of detonix's windows.
windows() {
  local w
  for w in $(xdotool search --pid "$pid" 2>/dev/null); do
    xwininfo -id "$w" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
      /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x "," y " " w "x" h}'
  done | sort | tr '\n' ' '
}
follows() {
  local name=$1 want=$2
  shift 2
  "$@" >/dev/null 2>&1 || { fail "follow: $name: xrandr failed"; return; }
  sleep 1
  local got
  got=$(windows)
  [ "$got" = "$want" ] && pass "follow: $name: windows $got" || fail "follow: $name: windows $got, not $want"
}
xrandr --output DUMMY1 --off
start_saver
follows "second output added" "0,0 1280x720 1280,0 1024x768 " xrandr --output DUMMY1 --mode second --pos 1280x0
follows "second output mirrors the first" "0,0 1280x720 " xrandr --output DUMMY1 --mode 1280x720 --same-as DUMMY0
follows "second output gone" "0,0 1280x720 " xrandr --output DUMMY1 --off
xrandr --addmode DUMMY0 second
follows "first output's new mode" "0,0 1024x768 " xrandr --output DUMMY0 --mode second
kill -0 "$pid" 2>/dev/null && pass "follow: still running" || { ends_within 1; fail "follow: ended with status $status: $(tail -3 "$work/stderr")"; }
"$xtest" grab root "$work/shot.png"
convert "$work/shot.png" -crop 1024x768+0+0 +repage "$work/monitor.png"
cells_match follow-new-mode "$work/monitor.png" 1024 768 30 31
xdotool mousemove_relative -- -30 0
if ends_within 2 && [ "$status" -eq 0 ]; then pass "follow: the user's move still ends it"
else fail "follow: the user's move did not end it"; stop; fi

summary
