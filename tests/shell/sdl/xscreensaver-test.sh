#!/usr/bin/env bash
# xscreensaver itself runs detonix: the daemon, on a virtual X server, activated by
# xscreensaver-command, starts the hack from its programs line; the board must appear on the
# screen, and deactivating must end the hack. xscreensaver-test.sh BUILD-DIR [HACK]: HACK is an
# installed hack (a path, or a name xscreensaver finds) to run instead of the build's detonix.
# The daemon refuses to start hacks as root, so as root it runs as the user nobody.
set -uo pipefail
build=$(cd "${1:-build}" && pwd)
headless=$build/detonix-headless
xtest=$build/tests/detonix-xtest
for p in "$build/detonix" "$xtest" "$headless"; do
  [ -x "$p" ] || { echo "xscreensaver-test: $p is missing; build first" >&2; exit 1; }
done
if ! command -v xscreensaver >/dev/null || ! command -v xscreensaver-command >/dev/null || ! command -v Xvfb >/dev/null; then
  echo "xscreensaver-test: xscreensaver or Xvfb is not installed (scripts/bootstrap.sh installs them)" >&2
  exit 77
fi

work=$(mktemp -d)
chmod 755 "$work"
xvfb=
daemon=
cleanup() {
  [ -n "$daemon" ] && kill "$daemon" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "xscreensaver-test: Xvfb did not start" >&2; exit 1; }
display=:$(cat "$work/display")

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

fail() {
  echo "FAIL: $*" >&2
  echo "--- xscreensaver's output:" >&2
  cat "$work/daemon.log" >&2
  exit 1
}

xss xscreensaver -no-splash >"$work/daemon.log" 2>&1 &
daemon=$!
activated=no
for _ in $(seq 20); do
  if xss xscreensaver-command -activate >/dev/null 2>&1; then activated=yes; break; fi
  sleep 0.5
done
[ "$activated" = yes ] || fail "xscreensaver-command -activate found no daemon"

hack=
for _ in $(seq 50); do
  hack=$(pgrep -f "^$program " | head -1)
  [ -n "$hack" ] && break
  sleep 0.1
done
[ -n "$hack" ] || fail "xscreensaver did not start detonix"
echo "ok: xscreensaver started detonix"

sleep 1.5
DISPLAY=$display "$xtest" grab root "$work/shot.png" || fail "cannot read the screen"
"$headless" play --width 1280 --height 1024 --seed 21 --minutes 0 --png "$work/ref.png" >/dev/null
read -r same total <<<"$("$xtest" cells "$work/shot.png" "$work/ref.png" 30)"
if [ "${total:-0}" -gt 0 ] && [ $((same * 100)) -ge $((total * 85)) ]; then
  echo "ok: the board xscreensaver shows: $same of $total cells as expected"
else
  cp "$work/shot.png" /tmp/detonix-xscreensaver.png 2>/dev/null
  fail "only ${same:-0} of ${total:-0} cells as expected (screenshot kept in /tmp/detonix-xscreensaver.png)"
fi

xss xscreensaver-command -deactivate >/dev/null 2>&1
for _ in $(seq 50); do
  pgrep -f "^$program " >/dev/null || break
  sleep 0.1
done
pgrep -f "^$program " >/dev/null && fail "detonix still runs after xscreensaver deactivated"
echo "ok: deactivating ends detonix"

xss xscreensaver-command -exit >/dev/null 2>&1
for _ in $(seq 30); do kill -0 "$daemon" 2>/dev/null || break; sleep 0.1; done
echo "xscreensaver-test: all passed"
