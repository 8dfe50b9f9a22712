#!/usr/bin/env bash
# Builds the web page (index.html, detonix.js, detonix.wasm and the files around them: the page
# opened as a file, the service worker, the manifest, the icons, the licences) and detonix-headless
# for node in FOLDER (by default build-web) with Debian's emscripten; status 77 when it is not
# installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-web}
for tool in em++ node; do
  command -v "$tool" >/dev/null || { echo "build-web: $tool is not installed (scripts/bootstrap.sh installs emscripten)" >&2; exit 77; }
done
# emscripten's JavaScript tools need Debian's node modules, which a node of another origin does not look for.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# Debian's emscripten comes with its system libraries built (and its cache frozen): nothing is
# built or written outside FOLDER.
mkdir -p "$dir"
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/web.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_TESTING=OFF -DDETONIX_BENCH=OFF >"$dir/configure.log" || { tail -20 "$dir/configure.log" >&2; exit 1; }
cmake --build "$dir" -j "${JOBS:-2}" --target detonix-site detonix-headless
