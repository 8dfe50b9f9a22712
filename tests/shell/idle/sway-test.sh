#!/usr/bin/env bash
# detonix-idle under a headless sway (org_kde_kwin_idle): sway-test.sh BUILD-DIR. The saver starts
# after the idle time and the lock command runs while it plays; a client's idle inhibitor keeps it
# away; the compositor's end ends the watcher. First the manual page's swayidle recipe, run as
# written (its minutes made seconds).
set -uo pipefail
source "$(dirname "$0")/idle.sh" sway-test
idle_programs "${1:-build}"
need wtype swayidle
e2e_work
start_sway 1280x800
export XDG_CONFIG_HOME=$work/config
unset DISPLAY  # the saver plays on the compositor, nowhere else
unset DBUS_SESSION_BUS_ADDRESS  # the user's own bus is not the test's
key() { wtype -s 300 -P a -s 300 -p a; }  # the seat has a keyboard only while wtype runs

# The manual page's recipe as written, with a swaylock that leaves a mark: the lock comes while
# the saver plays, and input ends the saver.
mkdir "$work/bin"
ln -s "$build/detonix" "$work/bin/detonix"
printf '#!/bin/sh\ntouch %s/swaylocked\n' "$work" >"$work/bin/swaylock"
chmod +x "$work/bin/swaylock"
recipe=$(zcat "$build/packaging/detonix.6.gz" | sed -n '/^\.SS swayidle/,/^\.fi/p' | sed -n '/^\.nf/,/^\.fi/{//!p}' |
  sed 's/^ *//; s/\\-/-/g; s/\\e/\\/g; s/timeout 300 /timeout 3 /; s/timeout 600 /timeout 6 /')
[[ $recipe == swayidle* ]] || die "no swayidle recipe in the manual page: $recipe"
PATH=$work/bin:$PATH bash -c "exec $recipe" >"$work/swayidle.log" 2>&1 &
pids+=("$!")
for _ in $(seq 100); do played=$(pgrep -xf 'detonix -fullscreen') && break; sleep 0.1; done
for _ in $(seq 100); do [ -e "$work/swaylocked" ] && break; sleep 0.1; done
[ -n "$played" ] && [ -e "$work/swaylocked" ] && kill -0 "$played" 2>/dev/null &&
  pass "the manual's swayidle recipe: the lock came while the saver plays" || fail "the manual's swayidle recipe"
key
gone_within 5 "${played:-0}" && pass "the recipe's resume ends the saver" || fail "the recipe's resume left the saver"
kill "${pids[-1]}"

watch -idle-minutes 0.05 -lock "touch $work/locked" -lock-after 0.05 || die "the watcher did not start"
die_log=$work/idle.log
grep -q "Wayland (org_kde_kwin_idle) on $WAYLAND_DISPLAY" "$work/idle.log" && pass "watches sway's idle" ||
  fail "watches $(cat "$work/idle.log")"
starts_within 10 && pass "the saver starts after 3 seconds of idle" || die "no saver after the idle time"
for _ in $(seq 100); do [ -e "$work/locked" ] && break; sleep 0.1; done
[ -e "$work/locked" ] && [ -n "$(saver)" ] && pass "the lock command ran while the saver plays" || fail "no lock while it plays"

# An idle inhibitor (a video player's) keeps the saver away; once it has gone, it comes.
kill "$(saver)"
key
"$inhibitor" wayland >"$work/inhibit.log" 2>&1 &
held=$!
pids+=("$held")
sleep 1
grep -q inhibiting "$work/inhibit.log" || fail "no inhibitor: $(cat "$work/inhibit.log")"
held_off 6 "an idle inhibitor keeps the saver away"
kill "$held"
starts_within 10 && pass "the saver starts once the inhibitor has gone" || fail "no saver after the inhibitor"

# The compositor goes away: the watcher says so and ends with status 1.
stop_server "${servers[-1]}"
wait "$wpid"
status=$?
[ "$status" -eq 1 ] && grep -q "lost the connection to the Wayland compositor" "$work/idle.log" &&
  pass "the compositor's end ends the watcher, said" || fail "compositor gone: status $status"
summary
