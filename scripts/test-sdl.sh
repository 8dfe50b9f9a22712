#!/usr/bin/env bash
# The native Linux program's display tests, on a virtual X server of their own; `make test` runs
# every scripts/test-*.sh after the unit tests. The build folder is the first argument (build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -x "$build/detonix" ]; then
  echo "test-sdl: $build/detonix was not built (SDL2 missing?); scripts/bootstrap.sh installs libsdl2-dev" >&2
  exit 1
fi
tests/shell/sdl/display-test.sh "$build"
if [ -x tests/shell/sdl/xscreensaver-test.sh ]; then
  tests/shell/sdl/xscreensaver-test.sh "$build"
fi
