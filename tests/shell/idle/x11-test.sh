#!/usr/bin/env bash
# detonix-idle on X11, on a virtual X server and in a D-Bus session of its own: x11-test.sh BUILD-DIR.
# The saver starts after the idle time and not while input comes, ends on a key and comes again; the
# lock command runs while it plays; an inhibit on the bus keeps it away; one watcher for a display;
# SIGTERM and the end of the X server end the watcher and its saver.
set -uo pipefail
if [ -z "${IDLE_TEST_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "x11-test: skipped: dbus-run-session is not installed" >&2; exit 77; }
  IDLE_TEST_BUS=1 exec dbus-run-session -- "$0" "$@" 2> >(grep -v "Failed to set fd limit" >&2)
fi
source "$(dirname "$0")/idle.sh" x11-test
idle_programs "${1:-build}"
need Xvfb xdotool
e2e_work
start_xvfb 1024x768 || exit 1
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config
unset WAYLAND_DISPLAY

watch -idle-minutes 0.05 -lock "touch $work/locked" -lock-after 0.05 || die "the watcher did not start"
die_log=$work/idle.log
grep -q "X11 (the XSync IDLETIME counter)" "$work/idle.log" && pass "watches X11's idle counter" || fail "watches $(cat "$work/idle.log")"
held_off 1 "nothing before the idle time"
starts_within 10 && pass "the saver starts after 3 seconds of idle" || die "no saver after the idle time"
for _ in $(seq 100); do [ -e "$work/locked" ] && break; sleep 0.1; done
[ -e "$work/locked" ] && [ -n "$(saver)" ] && pass "the lock command ran while the saver plays" || fail "no lock while it plays"

# A key ends the saver; input every second keeps the next one away, and it comes once input stops.
played=$(saver)
xdotool key a
gone_within 5 "$played" && pass "a key ends the saver" || fail "a key did not end the saver"
held_off 6 "no saver while input comes" xdotool mousemove_relative -- 2 2
starts_within 10 && pass "the saver comes again once input stops" || fail "no saver after input stopped"

"$watcher" -idle-minutes 0.05 2>"$work/second.log"
[ $? -eq 1 ] && grep -q "another detonix-idle watches this display already (process $wpid" "$work/second.log" &&
  pass "a second watcher refused: $(cat "$work/second.log")" || fail "a second watcher: $(cat "$work/second.log")"

# SIGTERM ends the watcher by that signal, and its saver with it.
played=$(saver)
kill -TERM "$wpid"
wait "$wpid"
status=$?
gone_within 5 "$played" && [ "$status" -eq 143 ] && pass "SIGTERM ends it (status 143) and its saver" ||
  fail "SIGTERM: status $status, saver ${played:-none} still there: $(pgrep -a -P "$played")"

# A program that asks the bus to keep the desktop awake keeps the saver away until it ends; the idle
# time counts anew from then.
watch -idle-minutes 0.05 || die "the watcher did not start again"
"$inhibitor" dbus >"$work/inhibit.log" 2>&1 &
held=$!
pids+=("$held")
sleep 0.5
grep -q inhibiting "$work/inhibit.log" || fail "the inhibit was refused: $(cat "$work/inhibit.log")"
held_off 6 "an inhibit on the bus keeps the saver away"
kill "$held"
starts_within 10 && pass "the saver starts once the inhibiting program has ended" || fail "no saver after the inhibit"

# The X server goes away: the watcher says so and ends with status 1.
stop_server "$xvfb"
wait "$wpid"
status=$?
[ "$status" -eq 1 ] && grep -q "lost the connection to the X server" "$work/idle.log" &&
  pass "the X server's end ends the watcher, said" || fail "X server gone: status $status"
summary
