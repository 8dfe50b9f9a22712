#!/usr/bin/env bash
# mate-screensaver runs detonix from the installed screen-saver desktop entry: on a virtual X server
# and a D-Bus session of their own, with the entry chosen in gsettings, `mate-screensaver-command -a`
# must show the board and `-d` must end detonix. mate-screensaver-test.sh BUILD-DIR.
#
# mate-screensaver runs only hacks in its own folders (/usr/libexec/xscreensaver among them), so the
# build is installed with the prefix /usr under a temporary DESTDIR, whose share folder goes first
# in XDG_DATA_DIRS, and in a mount namespace of the test's own (the system sees nothing of it) a
# folder is put over /usr/libexec/xscreensaver whose detonix notes its arguments and runs the
# installed program with a fixed seed, so that the screen can be compared with the headless board.
set -uo pipefail
# shellcheck source=../harness.sh
source "$(dirname "$0")/../harness.sh" mate-screensaver-test
e2e_programs "${1:-build}"
hackdir=/usr/libexec/xscreensaver
w=1280
h=1024

if [ "${2:-}" != --inside ]; then
  need mate-screensaver mate-screensaver-command dbus-run-session gsettings Xvfb unshare
  [ -d "$hackdir" ] || skip "$hackdir is missing (the xscreensaver package makes it)"
  if [ "$(id -u)" -eq 0 ]; then ns=(unshare --mount --propagation private); else ns=(unshare --map-root-user --mount); fi
  "${ns[@]}" true 2>/dev/null || skip "cannot make a mount namespace here"
  work=$(mktemp -d)
  mkdir -p "$work/home" "$work/run" && chmod 700 "$work/run"
  # A session of its own: the bus, and the dconf service it starts, see only this environment.
  # The bus's chatter goes to a log; the test's own messages to standard error, through fd 3.
  exec 3>&2
  exec "${ns[@]}" env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$work/home" XDG_RUNTIME_DIR="$work/run" NO_AT_BRIDGE=1 \
    XDG_DATA_DIRS="$work/dest/usr/share:/usr/share" \
    dbus-run-session -- "$0" "$build" --inside "$work" 2>"$work/bus.log"
fi

exec 2>&3 3>&-
e2e_work "$3"
die_log=$work/saver.log

DESTDIR=$work/dest cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; die "cmake --install failed"; }
entry=$work/dest/usr/share/applications/screensavers/detonix-screensaver.desktop
[ -f "$entry" ] || die "the install has no $entry"
mkdir "$work/hacks"
cat >"$work/hacks/detonix" <<EOF
#!/bin/sh
echo "\$\$ \$XSCREENSAVER_WINDOW \$*" >"$work/started.new" && mv "$work/started.new" "$work/started"
exec "$work/dest/usr/bin/detonix" "\$@" --seed 21
EOF
chmod 755 "$work/hacks/detonix"
mount --bind "$work/hacks" "$hackdir" || die "cannot put the test's folder over $hackdir"

start_xvfb "${w}x${h}" || die "Xvfb did not start"

# Detonix alone, without a lock or an idle start of its own.
gsettings set org.mate.screensaver mode single &&
  gsettings set org.mate.screensaver themes "['screensavers-detonix-screensaver']" &&
  gsettings set org.mate.screensaver lock-enabled false &&
  gsettings set org.mate.screensaver idle-activation-enabled false || die "gsettings cannot set mate-screensaver's keys"
mate-screensaver --no-daemon >"$work/saver.log" 2>&1 &
pids+=("$!")
for _ in $(seq 50); do mate-screensaver-command -q >/dev/null 2>&1 && break; sleep 0.2; done

mate-screensaver-command -a >/dev/null 2>&1 || die "mate-screensaver-command -a failed"
for _ in $(seq 100); do [ -f "$work/started" ] && break; sleep 0.1; done
[ -f "$work/started" ] || die "mate-screensaver did not start detonix"
read -r pid window args <"$work/started"
if [ "$args" = --root ] && [ -n "$window" ]; then
  pass "mate-screensaver started detonix $args in its window $window"
else
  fail "mate-screensaver started detonix with '$args' and XSCREENSAVER_WINDOW '$window'"
fi
sleep 1.5
kill -0 "$pid" 2>/dev/null || die "detonix ended by itself"
"$xtest" grab root "$work/shot.png" || die "cannot read the screen"
cells_match mate-screensaver "$work/shot.png" "$w" "$h" 30 21

mate-screensaver-command -d >/dev/null 2>&1 || fail "mate-screensaver-command -d failed"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then fail "detonix still runs after mate-screensaver-command -d"; else pass "-d ends detonix"; fi
summary
