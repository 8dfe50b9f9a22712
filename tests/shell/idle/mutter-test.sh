#!/usr/bin/env bash
# detonix-idle under GNOME's compositor, headless, in a D-Bus session of its own: mutter-test.sh
# BUILD-DIR. mutter offers no Wayland idle protocol, so the watcher takes org.gnome.Mutter.IdleMonitor
# on the session bus. The session manager's idle inhibit flag (a stand-in's) keeps the saver away;
# once it clears the saver starts after the idle time; the compositor's end ends the watcher.
set -uo pipefail
if [ -z "${IDLE_TEST_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "mutter-test: skipped: dbus-run-session is not installed" >&2; exit 77; }
  IDLE_TEST_BUS=1 exec dbus-run-session -- "$0" "$@" 2> >(grep -v "Failed to set fd limit" >&2)
fi
source "$(dirname "$0")/idle.sh" mutter-test
idle_programs "${1:-build}"
need mutter
e2e_work
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
unset DISPLAY  # the saver plays on the compositor, nowhere else
mkdir -m 0700 "$XDG_RUNTIME_DIR"
# Before mutter, which reads the flag from the start.
"$inhibitor" gnome >"$work/inhibit.log" 2>&1 &
held=$!
pids+=("$held")
for _ in $(seq 50); do grep -q inhibiting "$work/inhibit.log" && break; sleep 0.1; done
grep -q inhibiting "$work/inhibit.log" || die "no stand-in session manager: $(cat "$work/inhibit.log")"
mutter --headless --wayland --no-x11 --virtual-monitor 1280x800 >"$work/mutter.log" 2>&1 &
servers+=("$!")
for _ in $(seq 100); do
  WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* 2>/dev/null | grep -v lock | head -1)
  [ -n "$WAYLAND_DISPLAY" ] && break
  sleep 0.1
done
[ -n "$WAYLAND_DISPLAY" ] || skip "mutter did not start headless: $(tail -3 "$work/mutter.log")"
export WAYLAND_DISPLAY

watch -idle-minutes 0.05 || die "the watcher did not start: $(cat "$work/idle.log")"
die_log=$work/idle.log
grep -q "GNOME (org.gnome.Mutter.IdleMonitor" "$work/idle.log" && pass "watches GNOME's idle monitor" ||
  fail "watches $(cat "$work/idle.log")"
held_off 6 "the session manager's idle inhibit flag keeps the saver away"
kill "$held"
starts_within 10 && pass "the saver starts once the flag has cleared" || fail "no saver after the flag cleared"

stop_server "${servers[-1]}"
wait "$wpid"
status=$?
[ "$status" -eq 1 ] && grep -q "GNOME's compositor left the session bus" "$work/idle.log" &&
  pass "the compositor's end ends the watcher, said" || fail "compositor gone: status $status"
summary
