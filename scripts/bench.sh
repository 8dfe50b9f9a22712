#!/usr/bin/env bash
# `make bench`: detonix against two yardsticks on virtual X servers, in one run.
#   scripts/bench.sh [BUILD-DIR]
# For 1920x1080 and 3840x2160: first a trace of detonix's presents (`detonix -root -seed
# DETONIX_BENCH_SEED`, default 1, alone on an Xvfb of its own, DETONIX_PRESENT_TRACE); then, at the
# same time and each on an Xvfb of its own, detonix as before, xscreensaver's maze hack (`maze
# -root`) and detonix-present-replay, which sends the trace's rectangles at the trace's times and
# does nothing else, the least the same animation needs. Each one's processor time and its X
# server's while they draw into the root window (DETONIX_BENCH_SECONDS, default 120, after
# DETONIX_BENCH_WARMUP, default 10), its wake-ups a second (context switches of all its threads),
# detonix's share against each yardstick, and the load average at the start and the end; then the
# time from the start of `detonix -window-id` until X has every pixel of the window (the best and
# the middle of DETONIX_BENCH_STARTS starts, default 5). Then the headless player's speed (virtual
# time over real time), the Google Benchmark programs and the web page against its floor in
# Chromium (scripts/web-cpu.sh, after building it in BUILD-DIR-web). The figures are only worth reading on a
# machine otherwise at rest. Two minutes, because the maze hack costs what the maze it is drawing
# costs. After the X11 part, the Wayland part (scripts/bench-wayland.sh, skipped without sway);
# DETONIX_BENCH_ONLY=wayland runs that alone.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
[ "${DETONIX_BENCH_ONLY:-}" != wayland ] || exec "$(dirname "$0")/bench-wayland.sh" "$build"
seconds=${DETONIX_BENCH_SECONDS:-120}
warmup=${DETONIX_BENCH_WARMUP:-10}
starts=${DETONIX_BENCH_STARTS:-7}
maze=/usr/libexec/xscreensaver/maze
seed=${DETONIX_BENCH_SEED:-1}
for tool in Xvfb awk; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
done
[ -x "$maze" ] || { echo "bench: $maze is missing (package xscreensaver-data-extra)" >&2; exit 1; }
[ -x "$build/detonix-first-frame" ] || { echo "bench: $build/detonix-first-frame is missing (package libxdamage-dev)" >&2; exit 1; }
replay=$build/detonix-present-replay
[ -x "$replay" ] || { echo "bench: $replay is missing (packages libx11-dev and libxext-dev)" >&2; exit 1; }

# Xvfb, its cleanup and the programs' ($pids) come from the end-to-end scripts' harness.
# shellcheck source=../tests/shell/harness.sh
source "$(dirname "$0")/../tests/shell/harness.sh" bench
# cpu, switches, counters, load and share.
# shellcheck source=bench-measure.sh
source "$(dirname "$0")/bench-measure.sh"
e2e_work
# No user settings and no sound device: the defaults, measured alike everywhere.
export XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy

# record_trace SIZE FILE: detonix's presents on a server of its own, for the warm-up and the measured
# stretch and a few seconds more, so that the replay never runs out of them.
record_trace() {
  local p
  start_xvfb "$1" || exit 1
  DETONIX_PRESENT_TRACE=$2 "$build/detonix" -root -seed "$seed" >/dev/null 2>&1 &
  p=$!
  pids+=("$p")
  sleep $((warmup + seconds + 5))
  kill "$p"
  wait "$p" 2>/dev/null || true
  stop_server "$xvfb"
  [ -s "$2" ] || { echo "bench: detonix wrote no trace of its presents" >&2; exit 1; }
}

# ended NAME WHEN: a program measured side by side ended by itself, and the bench with it; the
# replay says why.
ended() {
  echo "bench: $1 ended $2" >&2
  [ "$1" != replay ] || cat "$work/replay.out" >&2
  exit 1
}

# side_by_side SIZE TRACE: detonix, the maze and the replay of TRACE at once, each on a server of its
# own. Sets $load_start and $load_end, and $measured: "detonix CPU XCPU WAKEUPS maze ... replay ...".
# Leaves detonix's server running for the first frames ($DISPLAY).
side_by_side() {
  local size=$1 trace=$2 names=(detonix maze replay) displays=() servers_here=() ps=() i a b
  for i in 0 1 2; do
    start_xvfb "$size" || exit 1
    displays+=("$DISPLAY")
    servers_here+=("$xvfb")
  done
  DISPLAY=${displays[0]} "$build/detonix" -root -seed "$seed" >/dev/null 2>&1 &
  ps+=("$!")
  DISPLAY=${displays[1]} "$maze" -root >/dev/null 2>&1 &
  ps+=("$!")
  DISPLAY=${displays[2]} "$replay" "$trace" -root >"$work/replay.out" 2>&1 &
  ps+=("$!")
  pids+=("${ps[@]}")
  sleep "$warmup"
  for i in 0 1 2; do
    kill -0 "${ps[$i]}" 2>/dev/null || ended "${names[$i]}" "during the warm-up"
  done
  load_start=$(load)
  a=$(counters "${ps[0]}" "${servers_here[0]}" "${ps[1]}" "${servers_here[1]}" "${ps[2]}" "${servers_here[2]}")
  sleep "$seconds"
  b=$(counters "${ps[0]}" "${servers_here[0]}" "${ps[1]}" "${servers_here[1]}" "${ps[2]}" "${servers_here[2]}")
  load_end=$(load)
  for i in 0 1 2; do
    kill -0 "${ps[$i]}" 2>/dev/null || ended "${names[$i]}" "before the measuring did"
  done
  for i in 0 1 2; do kill "${ps[$i]}" 2>/dev/null || true; done
  for i in 0 1 2; do wait "${ps[$i]}" 2>/dev/null || true; done
  stop_server "${servers_here[1]}"
  stop_server "${servers_here[2]}"
  export DISPLAY=${displays[0]}
  xvfb=${servers_here[0]}
  measured=$(awk -v a="$a" -v b="$b" -v s="$seconds" 'BEGIN {
    n = split(a, x, " "); split(b, y, " ")
    split("detonix maze replay", name, " ")
    for (i = 0; 3 * i < n; i++)
      printf "%s %.6f %.6f %.1f ", name[i + 1], y[3 * i + 1] - x[3 * i + 1], y[3 * i + 2] - x[3 * i + 2], (y[3 * i + 3] - x[3 * i + 3]) / s
  }')
}

# first_frames W H: the best and the middle of the start times in milliseconds.
first_frames() {
  local i
  for i in $(seq "$starts"); do
    "$build/detonix-first-frame" "$1" "$2" "$build/detonix" -seed "$i" || echo "failed"
  done | sort -n | awk '{ v[NR] = $1 } END { printf "%s %s\n", v[1], v[int((NR + 1) / 2)] }'
}

# row SIZE PROGRAM OWN-CPU X-CPU WAKEUPS [RATIO...]: one line of the table, in percent of one core.
row() {
  awk -v size="$1" -v name="$2" -v c="$3" -v x="$4" -v w="$5" -v r="${6:-}" -v q="${7:-}" -v s="$seconds" 'BEGIN {
    line = sprintf("  %-10s %-8s %8.2f %8.2f %8.2f %11.1f %10s %10s", size, name, 100 * c / s, 100 * x / s, 100 * (c + x) / s, w, r, q)
    sub(/ +$/, "", line)
    print line }'
}

echo "detonix $(git -C "$(dirname "$0")/.." describe --always --dirty 2>/dev/null || echo '?'), $(nproc) cores, load $(load)"
echo "processor time over ${seconds} s after ${warmup} s, the three at once, each drawing into the root window of an Xvfb (depth 24) of its own, detonix -seed $seed:"
printf '  %-10s %-8s %8s %8s %8s %11s %10s %10s\n' size program "own %" "X %" "both %" "wake-ups/s" "vs maze" "vs replay"
for size in 1920x1080 3840x2160; do
  trace=$work/presents-$size
  record_trace "$size" "$trace"
  # One maze for every run: the games differ in how much happens, and so in their cost.
  side_by_side "$size" "$trace"
  read -r _ dc dx dw _ mc mx mw _ rc rx rw <<<"$measured"
  read -r best middle < <(first_frames "${size%x*}" "${size#*x}")
  stop_server "$xvfb"
  row "$size" detonix "$dc" "$dx" "$dw" "$(share "$dc" "$dx" "$mc" "$mx")" "$(share "$dc" "$dx" "$rc" "$rx")"
  row "$size" maze "$mc" "$mx" "$mw"
  row "$size" replay "$rc" "$rx" "$rw"
  printf '  %-10s replay: %s (%s lines in the trace)\n' "$size" "$(head -1 "$work/replay.out")" "$(wc -l <"$trace")"
  printf '  %-10s load average at the start %s, at the end %s\n' "$size" "$load_start" "$load_end"
  printf '  %-10s first full frame through X: best %s ms, middle %s ms of %s starts\n' "$size" "$best" "$middle" "$starts"
done

# Status 77: skipped, and it said why.
"$(dirname "$0")/bench-wayland.sh" "$build" || [ $? -eq 77 ]

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
# The web page against its floor in Chromium (scripts/web-cpu.sh), when emscripten can build it.
if "$(dirname "$0")/build-web.sh" "$build-web" >"$work/web-build.log" 2>&1; then
  "$(dirname "$0")/web-cpu.sh" "$build-web" "$seconds"
else
  echo "web page: not measured ($(tail -1 "$work/web-build.log"))"
fi
echo "load at the end $(load)"
