#!/usr/bin/env bash
# The web page (label web): builds it next to the build folder (BUILD-web) with Debian's
# emscripten, then in headless Chromium (page.mjs) starts it from a server and from a file, compares
# the board of a seed at device pixel ratio 1 and 2 with the headless tool's, reads settings from
# the address and the browser's store (hostile ones too), holds the settings form to the option
# parser, ends the saver and plays offline from the service worker; and the headless tool built
# for WebAssembly plays the recorded games under node as recorded. Skipped (77) without emscripten
# or Chromium. The screenshots stay in BUILD-web/artifacts.
set -uo pipefail
source "$(dirname "$0")/../harness.sh" web
e2e_programs "${1:-build}"
need em++ node
chromium=$(command -v chromium || command -v chromium-browser) || skip "chromium is not installed (scripts/bootstrap.sh installs it)"
web=$build-web
e2e_work
mkdir "$work/no-settings"
export XDG_CONFIG_HOME=$work/no-settings
die_log=$work/build.log
"$harness_root/scripts/build-web.sh" "$web" >"$die_log" 2>&1
case $? in
  0) ;;
  77) skip "$(tail -1 "$die_log")" ;;
  *) die "cannot build the page in $web" ;;
esac

node "$(dirname "$0")/page.mjs" "$web" "$work" "$chromium" "$headless" >"$work/page.out" 2>"$work/page.err"
status=$?
[ "$status" -eq 77 ] && skip "$(sed -n 's/^skip: //p' "$work/page.out")"
while read -r verdict text; do
  case $verdict in
    ok:) pass "$text" ;;
    FAIL:) fail "$text" ;;
  esac
done <"$work/page.out"
record "$status" "the page's checks ran to the end$( [ "$status" -eq 0 ] || echo ": $(tail -3 "$work/page.err")")"
[ -f "$work/ratio1.png" ] && cells_match web-ratio-1 "$work/ratio1.png" 1280 800 30 7
[ -f "$work/ratio2.png" ] && cells_match web-ratio-2 "$work/ratio2.png" 2560 1600 60 7 --cell 60
[ -f "$work/resized.png" ] && cells_match web-resized "$work/resized.png" 2000 1400 60 7 --cell 60
[ -f "$work/reratioed.png" ] && cells_match web-new-ratio "$work/reratioed.png" 1000 700 30 7

mkdir -p "$web/artifacts" && cp "$work"/ratio*.png "$work"/re*.png "$web/artifacts/" 2>/dev/null  # kept to look at

cmake -DLAUNCHER=node -DPROGRAM="$web/detonix-headless.js" -P "$harness_root/tests/tools/SameGames.cmake"
record $? "detonix-headless.js under node plays every recorded game as recorded"
summary
