#!/usr/bin/env bash
# The Debian package's round trip: package-test.sh BUILD-DIR makes the package (dpkg-buildpackage
# from debian/), checks it with lintian and hardening-check, installs it with dpkg, checks what it
# put in place (the desktop entries and the AppStream metadata validated) and that every version in
# it is the project's, lets the real xscreensaver daemon run the installed hack (xscreensaver-test.sh),
# removes it and checks nothing of it is left. Needs root; skipped (77) otherwise, and when a
# detonix package is installed already (it is not ours to replace).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness.sh" package-test
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root (the CI runs as root)"
build=$(cd "${1:-build}" && pwd)
need dpkg dpkg-buildpackage man xscreensaver Xvfb
# Two builds of this project on one machine must not install and remove the package at once.
exec 9>/tmp/detonix-package-test.lock
flock 9
if dpkg-query -W -f='${Status}' detonix 2>/dev/null | grep -q 'ok installed'; then
  skip "a detonix package is installed already; remove it first (dpkg -r detonix)"
fi

cmake --build "$build" --target package >"$build/package-test.log" 2>&1 ||
  { cat "$build/package-test.log" >&2; die "cannot make the package"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/detonix_${version}_amd64.deb
[ -f "$deb" ] || die "make package made no $deb"
pass "made $(basename "$deb"), $(stat -c %s "$deb") bytes"
if command -v lintian >/dev/null; then
  # Errors and warnings fail; the informational tags kept are listed in the README.
  lintian --pedantic --fail-on error,warning "$deb" || die "lintian reports errors or warnings"
  pass "lintian reports no error and no warning"
fi

installed=no
cleanup() { [ "$installed" = yes ] && dpkg -P detonix >/dev/null 2>&1; }
trap cleanup EXIT

dpkg -i "$deb" >"$build/package-test.log" 2>&1 ||
  { cat "$build/package-test.log" >&2; die "dpkg -i failed"; }
installed=yes
pass "dpkg -i installed it"

saver_entry=/usr/share/applications/screensavers/detonix-screensaver.desktop
metainfo=/usr/share/metainfo/org.vantrelprogs.detonix.metainfo.xml
for f in /usr/bin/detonix /usr/bin/detonix-headless /usr/bin/detonix-idle /usr/lib/systemd/user/detonix-idle.service \
         /usr/share/xscreensaver/config/detonix.xml \
         /usr/share/applications/detonix.desktop "$saver_entry" "$metainfo" \
         /usr/share/icons/hicolor/48x48/apps/detonix.png /usr/share/doc/detonix/copyright; do
  [ -f "$f" ] || fail "$f is missing"
done
# mate-screensaver runs only hacks in its own folders, by the entry's absolute path.
if grep -qx "Exec=/usr/libexec/xscreensaver/detonix --root" "$saver_entry" 2>/dev/null &&
   grep -qx "Categories=Screensaver;" "$saver_entry" && desktop-file-validate "$saver_entry" >/dev/null; then
  pass "the screen-saver entry runs the installed hack"
else
  fail "$saver_entry: $(cat "$saver_entry" 2>&1; desktop-file-validate "$saver_entry" 2>&1)"
fi
if command -v appstreamcli >/dev/null; then
  # Clean means not even a pedantic remark. The package's own tree, unpacked, is validated as a
  # whole too: that finds a launchable desktop entry the package does not have.
  tree=$(mktemp -d)
  dpkg-deb -x "$deb" "$tree"
  out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1 &&
        appstreamcli validate-tree --no-net --pedantic "$tree" 2>&1)
  if [ $? -eq 0 ] && ! grep -q '[EWIP]: ' <<<"$out"; then
    pass "appstreamcli validate and validate-tree --no-net --pedantic: $(tr '\n' ' ' <<<"$out")"
  else
    fail "appstreamcli: $out"
  fi
  rm -rf "$tree"
fi
hack=/usr/libexec/xscreensaver/detonix
if [ -L "$hack" ] && [ "$(readlink -f "$hack")" = /usr/bin/detonix ]; then
  pass "$hack is a link to /usr/bin/detonix"
else
  fail "$hack is not a link to /usr/bin/detonix"
fi
# The idle watcher's service is each user's to enable: the package enables it for nobody.
if [ -z "$(find /etc/systemd/user -name detonix-idle.service 2>/dev/null)" ] &&
   grep -qx "ExecStart=/usr/bin/detonix-idle" /usr/lib/systemd/user/detonix-idle.service 2>/dev/null; then
  pass "the idle watcher's user service is installed, enabled for nobody"
else
  fail "the idle watcher's service: $(find /etc/systemd/user -name detonix-idle.service 2>&1)"
fi
for page in detonix detonix-headless detonix-idle; do
  if found=$(man -w "$page" 2>/dev/null) && [ -n "$found" ]; then
    pass "man -w $page finds $found"
  else
    fail "man -w $page finds no page"
  fi
done
/usr/bin/detonix --help | grep -q -- '-force-maze' || fail "the installed detonix does not run"
if command -v hardening-check >/dev/null; then
  # Control-flow protection cannot show on Debian 12: its C library's start files carry no IBT/SHSTK
  # note, so no program linked there gets one (the code has the instructions: -fcf-protection).
  if out=$(hardening-check --nocfprotection /usr/bin/detonix /usr/bin/detonix-headless /usr/bin/detonix-idle); then
    pass "hardening-check finds every protection it can tell in the programs"
  else
    fail "hardening-check: $(grep -E ': no' <<<"$out" | tr -s ' ' | tr '\n' ';')"
  fi
fi

# One version everywhere: the project's.
seen="package $(dpkg-deb -f "$deb" Version);"
seen+=" $(/usr/bin/detonix --version 2>&1 | head -1);"
seen+=" $(/usr/bin/detonix-headless --version 2>&1 | head -1);"
seen+=" $(/usr/bin/detonix-idle --version 2>&1 | head -1);"
for page in detonix detonix-headless detonix-idle; do
  seen+=" $page.6 $(zcat "/usr/share/man/man6/$page.6.gz" | sed -n 's/^\.TH [^"]*"[^"]*" "Detonix \([^"]*\)".*/\1/p');"
done
seen+=" metainfo $(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo");"
want="package $version; detonix $version; detonix-headless $version; detonix-idle $version; detonix.6 $version;"
want+=" detonix-headless.6 $version; detonix-idle.6 $version;"
want+=" metainfo $version;"
if [ "$seen" = "$want" ]; then
  pass "every version is $version: $seen"
else
  fail "versions: $seen (want $want)"
fi

# By the name the README's programs line gives, as xscreensaver finds it.
if "$here/xscreensaver-test.sh" "$build" detonix; then
  pass "xscreensaver ran the installed hack"
else
  fail "xscreensaver did not run the installed hack as it should"
fi

ours=$(dpkg-query -L detonix | while read -r p; do [ -d "$p" ] && [ ! -L "$p" ] || echo "$p"; done)
# Purged: the user service's removal script keeps a removed package's record until then.
dpkg -P detonix >"$build/package-test.log" 2>&1 || { cat "$build/package-test.log" >&2; fail "dpkg -P failed"; }
installed=no
left=$(for p in $ours /usr/share/doc/detonix; do [ -e "$p" ] || [ -L "$p" ] && echo "$p"; done)
if [ -z "$left" ] && ! dpkg-query -W detonix >/dev/null 2>&1; then
  pass "dpkg -P removed all $(echo "$ours" | wc -l) files of the package"
else
  fail "left after dpkg -P: ${left:-dpkg still lists detonix}"
fi

summary
