#!/usr/bin/env bash
# `make bench`: detonix against xscreensaver's maze hack on a virtual X server, in one run.
#   scripts/bench.sh [BUILD-DIR]
# For 1920x1080 and 3840x2160: processor time of each program (detonix with -seed DETONIX_BENCH_SEED,
# default 1) and of the X server while it draws
# into the root window (DETONIX_BENCH_SECONDS, default 120, after DETONIX_BENCH_WARMUP, default 10),
# its wake-ups a second (context switches of all its threads), and the time from the start of
# `detonix -window-id` until X has every pixel of the window (the best and the middle of
# DETONIX_BENCH_STARTS starts, default 5). Then the headless player's speed (virtual time over
# real time) and the Google Benchmark programs. The figures are only worth reading on a machine
# otherwise at rest. Two minutes, because the maze hack costs what the maze it is drawing costs.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${DETONIX_BENCH_SECONDS:-120}
warmup=${DETONIX_BENCH_WARMUP:-10}
starts=${DETONIX_BENCH_STARTS:-5}
maze=/usr/libexec/xscreensaver/maze
seed=${DETONIX_BENCH_SEED:-1}
for tool in Xvfb awk; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
done
[ -x "$maze" ] || { echo "bench: $maze is missing (package xscreensaver-data-extra)" >&2; exit 1; }
[ -x "$build/detonix-first-frame" ] || { echo "bench: $build/detonix-first-frame is missing (package libxdamage-dev)" >&2; exit 1; }

work=$(mktemp -d)
xvfb=
stop_xvfb() {
  [ -n "$xvfb" ] || return 0
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=
}
trap 'stop_xvfb; rm -rf "$work"' EXIT
# No user settings and no sound device: the defaults, measured alike everywhere.
export XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy

start_xvfb() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(cat "$work/display")
}

# Seconds of processor time a process has used (all its threads), to the nanosecond: a minute of
# detonix is a dozen clock ticks, too coarse to compare.
cpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%.6f", n / 1e9 }'; }
# Context switches of all its threads so far: each is a wake-up or a preemption.
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n + 0 }'
}

# measure NAME COMMAND...: prints "NAME CPU XCPU WAKEUPS" for the measured stretch.
measure() {
  local name=$1 p c0 c1 x0 x1 s0 s1
  shift
  "$@" >/dev/null 2>&1 &
  p=$!
  sleep "$warmup"
  kill -0 "$p" 2>/dev/null || { echo "bench: $name ended during the warm-up" >&2; exit 1; }
  c0=$(cpu "$p"); x0=$(cpu "$xvfb"); s0=$(switches "$p")
  sleep "$seconds"
  c1=$(cpu "$p"); x1=$(cpu "$xvfb"); s1=$(switches "$p")
  kill "$p"
  wait "$p" 2>/dev/null || true
  awk -v n="$name" -v c0="$c0" -v c1="$c1" -v x0="$x0" -v x1="$x1" -v s0="$s0" -v s1="$s1" -v s="$seconds" \
    'BEGIN { printf "%s %.6f %.6f %.1f\n", n, c1 - c0, x1 - x0, (s1 - s0) / s }'
}

# first_frames W H: the best and the middle of the start times in milliseconds.
first_frames() {
  local i
  for i in $(seq "$starts"); do
    "$build/detonix-first-frame" "$1" "$2" "$build/detonix" -seed "$i" || echo "failed"
  done | sort -n | awk '{ v[NR] = $1 } END { printf "%s %s\n", v[1], v[int((NR + 1) / 2)] }'
}

# row SIZE PROGRAM OWN-CPU X-CPU WAKEUPS [RATIO]: one line of the table, in percent of one core.
row() {
  awk -v size="$1" -v name="$2" -v c="$3" -v x="$4" -v w="$5" -v r="${6:-}" -v s="$seconds" 'BEGIN {
    printf "  %-10s %-8s %8.2f %8.2f %8.2f %11.1f %10s\n", size, name, 100 * c / s, 100 * x / s, 100 * (c + x) / s, w, r }'
}

echo "detonix $(git -C "$(dirname "$0")/.." describe --always --dirty 2>/dev/null || echo '?'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "processor time over ${seconds} s after ${warmup} s, drawing into the root window of Xvfb (depth 24), detonix -seed $seed:"
printf '  %-10s %-8s %8s %8s %8s %11s %10s\n' size program "own %" "X %" "both %" "wake-ups/s" "vs maze"
for size in 1920x1080 3840x2160; do
  start_xvfb "$size"
  # One maze for every run: the games differ in how much happens, and so in their cost.
  read -r _ dc dx dw < <(measure detonix "$build/detonix" -root -seed "$seed")
  read -r _ mc mx mw < <(measure maze "$maze" -root)
  read -r best middle < <(first_frames "${size%x*}" "${size#*x}")
  stop_xvfb
  row "$size" detonix "$dc" "$dx" "$dw" \
    "$(awk -v d="$dc" -v e="$dx" -v m="$mc" -v n="$mx" 'BEGIN { printf "%.2f", (m + n > 0 ? (d + e) / (m + n) : 0) }')"
  row "$size" maze "$mc" "$mx" "$mw"
  printf '  %-10s first full frame through X: best %s ms, middle %s ms of %s starts\n' "$size" "$best" "$middle" "$starts"
done

echo "headless play, 30 virtual minutes (seed 1):"
for size in 1920x1080 3840x2160; do
  summary=$("$build/detonix-headless" play --width "${size%x*}" --height "${size#*x}" --seed 1 --minutes 30 --json | grep '"summary"')
  virtual=$(grep -o '"virtual_seconds":[0-9.]*' <<<"$summary" | cut -d: -f2)
  wall=$(grep -o '"wall_seconds":[0-9.]*' <<<"$summary" | cut -d: -f2)
  awk -v size="$size" -v v="$virtual" -v w="$wall" 'BEGIN {
    printf "  %-10s %.0f virtual s in %.2f s: %.0fx real time\n", size, v, w, (w > 0 ? v / w : 0) }'
done

# DETONIX_BENCH_FILTER picks some of them, as --benchmark_filter does.
echo "Google Benchmark ($build/detonix-bench):"
"$build/detonix-bench" ${DETONIX_BENCH_FILTER:+--benchmark_filter="$DETONIX_BENCH_FILTER"}
