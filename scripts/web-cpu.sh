#!/usr/bin/env bash
# The web page against its browser floor, side by side in headless Chromium at a 1920x1080
# viewport: processor time, wake-ups and memory (PSS) over SECONDS (120), then the first board over
# loopback and at 10 Mbit/s (bench/web-bench.mjs says how). OTHER-SITE, another build's site
# (build-web of another commit), is measured beside them. `make bench` runs it last.
#   scripts/web-cpu.sh [SITE] [SECONDS] [OTHER-SITE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
site=$(cd "${1:-$root/build-web}" && pwd)
command -v node >/dev/null || { echo "web-cpu: node is not installed (scripts/bootstrap.sh installs it)" >&2; exit 1; }
command -v "${CHROMIUM:-chromium}" >/dev/null || { echo "web-cpu: chromium is not installed (scripts/bootstrap.sh installs it)" >&2; exit 1; }
[ -f "$site/detonix.wasm" ] || { echo "web-cpu: $site has no page; make web builds it" >&2; exit 1; }
exec node "$root/bench/web-bench.mjs" "$site" "${2:-120}" ${3:+"$(cd "$3" && pwd)"}
