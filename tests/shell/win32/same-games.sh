#!/usr/bin/env bash
# The Windows build of detonix-headless, under Wine, plays the recorded games of
# tests/tools/same-games as the Linux build does (tests/tools/SameGames.cmake). CTest runs it as
# wine.same_games; BUILD_WIN is the Windows build folder, where detonix-headless.exe is built
# first. A Wine prefix of its own holds no stored settings.
set -uo pipefail
source "$(dirname "$0")/../harness.sh" same-games
build=${BUILD_WIN:-$harness_root/build-win}
need x86_64-w64-mingw32-g++-posix "$wine"
win_build "$build" detonix-headless || die "cannot build $build/detonix-headless.exe"
wine_prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winealsa.drv="
"$wine" wineboot -i >/dev/null 2>&1
cmake -DLAUNCHER="$wine" -DPROGRAM="$build/detonix-headless.exe" -P "$harness_root/tests/tools/SameGames.cmake"
record $? "detonix-headless.exe under Wine plays every recorded game as recorded"
summary
