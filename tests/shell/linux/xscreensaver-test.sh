#!/usr/bin/env bash
# xscreensaver itself runs detonix: the daemon, on a virtual X server, activated by
# xscreensaver-command, starts the hack from its programs line; the board must appear on the
# screen, and deactivating must end the hack. xscreensaver-test.sh BUILD-DIR [HACK]: HACK is an
# installed hack (a path, or a name xscreensaver finds) to run instead of the build's detonix.
# The daemon refuses to start hacks as root, so as root it runs as the user nobody.
set -uo pipefail
source "$(dirname "$0")/../harness.sh" xscreensaver-test
e2e_programs "${1:-build}"
need xscreensaver xscreensaver-command Xvfb

e2e_work
chmod 755 "$work"
start_xvfb 1280x1024 || exit 1
display=$DISPLAY

# A copy the other user can reach, whatever the permissions of the build folder's parents.
program=${2:-}
if [ -z "$program" ]; then
  program=$work/detonix
  cp "$build/detonix" "$program"
fi
home=$work/home
mkdir -p "$home"
cat >"$home/.xscreensaver" <<EOF
mode: one
selected: 0
splash: False
fade: False
unfade: False
lock: False
programs: $program --root --seed 21 \\n
EOF
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  as_user=()
fi
xss() { "${as_user[@]}" env -i DISPLAY="$display" HOME="$home" PATH=/usr/bin:/bin "$@"; }

die_log=$work/daemon.log
xss xscreensaver -no-splash >"$work/daemon.log" 2>&1 &
daemon=$!
pids+=("$daemon")
activated=no
for _ in $(seq 20); do
  if xss xscreensaver-command -activate >/dev/null 2>&1; then activated=yes; break; fi
  sleep 0.5
done
[ "$activated" = yes ] || die "xscreensaver-command -activate found no daemon"

hack=
for _ in $(seq 50); do
  hack=$(pgrep -f "^$program " | head -1)
  [ -n "$hack" ] && break
  sleep 0.1
done
[ -n "$hack" ] || die "xscreensaver did not start detonix"
pass "xscreensaver started detonix"

sleep 1.5
"$xtest" grab root "$work/shot.png" || die "cannot read the screen"
cells_match xscreensaver "$work/shot.png" 1280 1024 30 21

xss xscreensaver-command -deactivate >/dev/null 2>&1
for _ in $(seq 50); do
  pgrep -f "^$program " >/dev/null || break
  sleep 0.1
done
pgrep -f "^$program " >/dev/null && die "detonix still runs after xscreensaver deactivated"
pass "deactivating ends detonix"

xss xscreensaver-command -exit >/dev/null 2>&1
for _ in $(seq 30); do kill -0 "$daemon" 2>/dev/null || break; sleep 0.1; done
summary
