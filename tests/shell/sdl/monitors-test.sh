#!/usr/bin/env bash
# detonix -fullscreen on two monitors of different sizes, on the Xorg dummy driver laid out by
# xrandr: monitors-test.sh BUILD-DIR. Each monitor shows its own board (the headless tool's for
# its seed and size), and input on the second monitor ends the run on both. Needs root for Xorg.
set -uo pipefail
source "$(dirname "$0")/e2e.sh"
e2e_programs monitors-test "${1:-build}"
skip() { echo "monitors-test: skipped: $*" >&2; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "Xorg with the dummy driver needs root"
command -v Xorg >/dev/null || skip "Xorg is not installed (scripts/bootstrap.sh installs it)"
ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1 ||
  skip "the Xorg dummy driver is not installed (xserver-xorg-video-dummy)"
for c in xrandr xdotool convert; do command -v "$c" >/dev/null || skip "$c is not installed"; done

work=$(mktemp -d)
xorg=
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$xorg" ] && kill "$xorg" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# No input devices of the machine's own: only the core and XTEST ones, which xdotool drives.
mkdir "$work/empty"
cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1280x720" 74.25 1280 1390 1430 1650 720 725 730 750 +hsync +vsync
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 768
  EndSubSection
EndSection
CONF
# -noreset: the layout would be forgotten when a client disconnects.
Xorg -displayfd 3 -config "$work/xorg.conf" -configdir "$work/empty" -logfile "$work/xorg.log" -noreset \
  -nolisten tcp -novtswitch -sharevts 3>"$work/display" 2>"$work/xorg.err" &
xorg=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || skip "Xorg did not start: $(tail -3 "$work/xorg.err")"
export DISPLAY=:$(cat "$work/display")
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
start() {
  xdotool mousemove 1800 400
  "$program" -fullscreen -seed 31 -speed 300 2>>"$work/stderr" &
  pid=$!
  sleep 1.5
}
ended_within() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; status=$?; pid=; return 0; }
    sleep 0.1
  done
  return 1
}
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=; }

# Each monitor's rectangle of the screen shows a board of that monitor's size; the second one
# plays the next seed.
start
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
  [ -n "$pid" ] || start
  "$@"
  if ended_within 2; then
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

e2e_result monitors-test
