#!/usr/bin/env bash
# Fuzzes the settings file (load, save, reload) for a while, starting from the seeds in
# tests/fuzz/settings-seeds. Usage: scripts/fuzz-settings.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-fuzz}
seconds=${2:-30}
if ! command -v clang++-14 > /dev/null || [ ! -e /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a ]; then
  echo "skipped: the fuzz run needs the Debian packages clang-14 and libfuzzer-14-dev"
  exit 77
fi
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 > /dev/null
cmake --build "$build" -j "$(nproc)" > /dev/null
corpus=$(mktemp -d)
trap 'rm -rf "$corpus" "${TMPDIR:-/tmp}"/detonix-fuzz-*' EXIT
cp "$root"/tests/fuzz/settings-seeds/* "$corpus"/
# New inputs land in the temporary corpus; the seeds in the repository stay as they are.
status=0
"$build/settings_fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$build/" "$corpus" > "$build/fuzz.log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  tail -40 "$build/fuzz.log"
  echo "FAIL: the settings fuzzer found a fault (input kept in $build/)"
  exit 1
fi
grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/fuzz.log"
echo "PASS: $seconds s of fuzzing the settings file, no fault"
