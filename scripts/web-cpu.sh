#!/usr/bin/env bash
# The web page's processor time against the native program's, side by side for SECONDS (120) at
# 1920x1080: `detonix -root` on an Xvfb of its own, and Chromium showing build-web's page,
# headless (HEADED=1: full screen on an Xvfb of its own, which is then counted with it). Every
# process of each side is counted, Chromium's helpers too. Usage: web-cpu.sh [BUILD] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-120}
work=$(mktemp -d)
sids=()
trap 'for s in "${sids[@]}"; do pkill -s "$s" 2>/dev/null || true; done; sleep 0.5; rm -rf "$work"' EXIT

# run NAME COMMAND...: in a session of its own, whose id is the variable NAME.
run() {
  local name=$1
  shift
  setsid "$@" >>"$work/$name.log" 2>&1 &
  printf -v "$name" %s "$!"
  sids+=("$!")
}
# ticks SID...: the clock ticks every process of those sessions has used (children reaped included).
ticks() {
  local s total=0
  for s in "$@"; do
    total=$((total + $(cat /proc/[0-9]*/stat 2>/dev/null |
      awk -v s="$s" '{ sub(/^.*\) /, ""); if ($4 == s) t += $12 + $13 + $14 + $15 } END { print t + 0 }')))
  done
  echo "$total"
}
xvfb() {  # xvfb NAME: an Xvfb of 1920x1080 in its own session; its display in NAME_display
  run "$1" Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/$1.display"
  for _ in $(seq 50); do [ -s "$work/$1.display" ] && break; sleep 0.1; done
  printf -v "$1_display" :%s "$(cat "$work/$1.display")"
}

xvfb native_x
DISPLAY=$native_x_display run native "$build/detonix" -root
run server python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$build-web"
for _ in $(seq 50); do grep -q port "$work/server.log" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/server.log" | head -1)
flags=(--no-sandbox --no-first-run --mute-audio --disable-gpu --user-data-dir="$work/profile" --window-size=1920,1080)
if [ "${HEADED:-0}" = 1 ]; then
  xvfb web_x
  DISPLAY=$web_x_display run web chromium "${flags[@]}" --kiosk "http://127.0.0.1:$port/index.html"
  web_sids=("$web" "$web_x")
else
  run web chromium "${flags[@]}" --headless "http://127.0.0.1:$port/index.html"
  web_sids=("$web")
fi
sleep 10  # both started and playing
hz=$(getconf CLK_TCK)
n0=$(ticks "$native" "$native_x")
w0=$(ticks "${web_sids[@]}")
load0=$(cut -d' ' -f1 /proc/loadavg)
sleep "$seconds"
n1=$(ticks "$native" "$native_x")
w1=$(ticks "${web_sids[@]}")
awk -v n=$((n1 - n0)) -v w=$((w1 - w0)) -v hz="$hz" -v s="$seconds" -v l0="$load0" -v l1="$(cut -d' ' -f1 /proc/loadavg)" \
  -v how="$([ "${HEADED:-0}" = 1 ] && echo 'full screen on Xvfb, with its Xvfb' || echo headless)" 'BEGIN {
  printf "over %d s (load average %s, then %s):\n", s, l0, l1
  printf "  detonix -root with its Xvfb: %.2f %% of a core\n", 100 * n / hz / s
  printf "  Chromium, the page (%s): %.2f %% of a core\n", how, 100 * w / hz / s
  if (n > 0) printf "  the page / native: %.1f\n", w / n
}'
