#!/usr/bin/env bash
# The Wayland part of `make bench`: scripts/bench.sh runs it after the X11 part, and it runs alone
# (`DETONIX_BENCH_ONLY=wayland make bench`, or scripts/bench-wayland.sh [BUILD-DIR]).
# At 1920x1080 on a headless sway (pixman renderer), at output scale 1 and then 2: first a trace of
# detonix's presents (`detonix -fullscreen -seed DETONIX_BENCH_SEED`, default 1, alone on a sway of
# its own, DETONIX_PRESENT_TRACE); then three at once: detonix -fullscreen on a sway of its own,
# detonix-wayland-replay of that trace on another (the floor: the same rectangles at the same times
# through two wl_shm buffers, nothing drawn), and detonix -root on an Xvfb of the same size (with
# -scale 2 at scale 2: the same board, the same game), with a fourth sway beside them that has no
# client (the compositor's own cost: its headless output ticks). For each, over DETONIX_BENCH_SECONDS (default
# 120) after DETONIX_BENCH_WARMUP (default 10): its processor time and its server's (all threads),
# its wake-ups a second, detonix's share against the replay and against X11, its memory beyond the
# window's pixels and the GL, EGL or Mesa libraries it has mapped; the load average at the start and
# the end; and the targets of the Wayland back end, met or not (reported, never a failure). Skipped
# (status 77), and says so, where sway is missing.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${DETONIX_BENCH_SECONDS:-120}
warmup=${DETONIX_BENCH_WARMUP:-10}
seed=${DETONIX_BENCH_SEED:-1}
size=1920x1080
# skip, the servers and their cleanup ($pids, $servers) come from the end-to-end scripts' harness.
# shellcheck source=../tests/shell/harness.sh
source "$(dirname "$0")/../tests/shell/harness.sh" bench-wayland
# shellcheck source=bench-measure.sh
source "$(dirname "$0")/bench-measure.sh"
command -v sway >/dev/null || skip "sway is not installed (scripts/bootstrap.sh installs it): no Wayland figures"
if [ "$(id -u)" -eq 0 ] && ! command -v setpriv >/dev/null; then skip "setpriv is missing, and sway will not run as root"; fi
for tool in Xvfb swaymsg awk; do
  command -v "$tool" >/dev/null || { echo "bench-wayland: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
done
replay=$build/detonix-wayland-replay
[ -x "$replay" ] || { echo "bench-wayland: $replay is missing (packages libwayland-dev and wayland-protocols)" >&2; exit 1; }
[ -x "$build/detonix" ] || { echo "bench-wayland: $build/detonix is missing; build first" >&2; exit 1; }
e2e_work
base=$work
sways=0
chmod 755 "$base"  # sway may run as another user (nobody), in folders below this one
# No user settings and no sound device: the defaults, measured alike everywhere.
export XDG_CONFIG_HOME=$base/config SDL_AUDIODRIVER=dummy
# A window's picture at the output's pixels, in bytes.
picture=$((${size%x*} * ${size#*x} * 4))

# sway_at SCALE: a headless sway of $size at output scale SCALE, in a folder of its own: its id in
# $sway, what its clients need in their environment in $sway_env. They are started with `env -u
# DISPLAY`, with no X11 display to fall back on, and so that $! is theirs.
sway_at() {
  local work=$base/sway-$((++sways)) ipc _  # start_sway keeps its files in $work
  mkdir "$work"
  start_sway "$size" || exit 1
  sway=${servers[-1]}
  sway_env=(XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_DISPLAY")
  unset WAYLAND_DISPLAY
  [ "$1" = 1 ] && return 0
  # Its IPC socket may come a moment after its Wayland one.
  for _ in $(seq 50); do
    ipc=("$runtime"/sway-ipc.*.sock)
    [ -S "${ipc[0]}" ] && SWAYSOCK=${ipc[0]} swaymsg output HEADLESS-1 scale "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "bench-wayland: sway's output cannot be set to scale $1: $(tail -3 "$work/sway.log")" >&2
  exit 1
}

# record_trace SCALE FILE: detonix's presents, full screen on a sway of its own, for the warm-up and
# the measured stretch and a few seconds more, so that the replay never runs out of them.
record_trace() {
  local p
  sway_at "$1"
  env -u DISPLAY "${sway_env[@]}" DETONIX_PRESENT_TRACE="$2" "$build/detonix" -fullscreen -seed "$seed" \
    >/dev/null 2>"$base/record.err" &
  p=$!
  pids+=("$p")
  sleep $((warmup + seconds + 5))
  kill -0 "$p" 2>/dev/null ||
    { echo "bench-wayland: detonix -fullscreen ended while its presents were recorded: $(tail -3 "$base/record.err")" >&2; exit 1; }
  kill "$p"
  wait "$p" 2>/dev/null || true
  stop_server "$sway"
  [ -s "$2" ] || { echo "bench-wayland: detonix wrote no trace of its presents on Wayland" >&2; exit 1; }
}

# ended NAME WHEN: a program measured side by side ended by itself, and the bench with it.
ended() {
  echo "bench-wayland: $1 ended $2:" >&2
  cat "$base/$1.out" >&2
  exit 1
}

# side_by_side SCALE TRACE: detonix on sway, the replay of TRACE on another sway and detonix on an
# Xvfb, at once, and a sway with no client: what the compositor costs by itself (its headless output
# ticks at its refresh rate). Sets $load_start, $load_end, $measured ("NAME CPU SERVER-CPU WAKEUPS" for
# each, the idle sway's twice its own and its wake-ups),
# $memory ("TOTAL PIXELS" in kB for each) and $libraries (one word for each).
side_by_side() {
  local scale=$1 trace=$2 names=(detonix replay x11) here=() ps=() i a b scaled=()
  [ "$scale" = 1 ] || scaled=(-scale "$scale")
  sway_at "$scale"
  here+=("$sway")
  env -u DISPLAY "${sway_env[@]}" "$build/detonix" -fullscreen -seed "$seed" >"$base/detonix.out" 2>&1 &
  ps+=("$!")
  sway_at "$scale"
  here+=("$sway")
  env -u DISPLAY "${sway_env[@]}" "$replay" "$trace" >"$base/replay.out" 2>&1 &
  ps+=("$!")
  start_xvfb "$size" || exit 1
  here+=("$xvfb")
  env -u WAYLAND_DISPLAY "$build/detonix" -root -seed "$seed" "${scaled[@]}" >"$base/x11.out" 2>&1 &
  ps+=("$!")
  pids+=("${ps[@]}")
  sway_at "$scale"
  here+=("$sway")
  sleep "$warmup"
  for i in 0 1 2; do
    kill -0 "${ps[$i]}" 2>/dev/null || ended "${names[$i]}" "during the warm-up"
  done
  load_start=$(load)
  a=$(counters "${ps[0]}" "${here[0]}" "${ps[1]}" "${here[1]}" "${ps[2]}" "${here[2]}" "${here[3]}" "${here[3]}")
  sleep "$seconds"
  b=$(counters "${ps[0]}" "${here[0]}" "${ps[1]}" "${here[1]}" "${ps[2]}" "${here[2]}" "${here[3]}" "${here[3]}")
  load_end=$(load)
  memory=$(for i in 0 1 2; do memory "${ps[$i]}" "$picture"; done | paste -sd' ')
  libraries=$(for i in 0 1 2; do gl_libraries "${ps[$i]}"; done | paste -sd' ')
  for i in 0 1 2; do
    kill -0 "${ps[$i]}" 2>/dev/null || ended "${names[$i]}" "before the measuring did"
  done
  for i in 0 1 2; do kill "${ps[$i]}" 2>/dev/null || true; done
  for i in 0 1 2; do wait "${ps[$i]}" 2>/dev/null || true; done
  for i in 0 1 2 3; do stop_server "${here[$i]}"; done
  measured=$(awk -v a="$a" -v b="$b" -v s="$seconds" 'BEGIN {
    n = split(a, x, " "); split(b, y, " ")
    split("detonix replay x11 sway", name, " ")
    for (i = 0; 3 * i < n; i++)
      printf "%s %.6f %.6f %.1f ", name[i + 1], y[3 * i + 1] - x[3 * i + 1], y[3 * i + 2] - x[3 * i + 2], (y[3 * i + 3] - x[3 * i + 3]) / s
  }')
}

# row SCALE PROGRAM OWN-CPU SERVER-CPU WAKEUPS [RATIO...]: one line of the table, in percent of one core.
row() {
  awk -v scale="$1" -v name="$2" -v c="$3" -v x="$4" -v w="$5" -v r="${6:-}" -v q="${7:-}" -v s="$seconds" 'BEGIN {
    line = sprintf("  %-6s %-8s %8.2f %9.2f %8.2f %11.1f %10s %10s", scale, name, 100 * c / s, 100 * x / s, 100 * (c + x) / s, w, r, q)
    sub(/ +$/, "", line)
    print line }'
}
# mb KB: in megabytes, one decimal.
mb() { awk -v k="$1" 'BEGIN { printf "%.1f MB", k / 1024 }'; }
# beyond TOTAL PIXELS: the memory beyond the window's pixels, and what it was taken from.
beyond() { printf '%s (PSS %s, of which %s in pictures)' "$(mb $(($1 - $2)))" "$(mb "$1")" "$(mb "$2")"; }
# target WHAT LIMIT-TEXT MET: one target's line.
target() { printf '    %-52s %-10s %s\n' "$1" "$2" "$([ "$3" = 1 ] && echo met || echo missed)"; }

echo "Wayland: detonix $(git -C "$(dirname "$0")/.." describe --always --dirty 2>/dev/null || echo '?'), $(nproc) cores, load $(load)"
echo "processor time over ${seconds} s after ${warmup} s at ${size}, the three at once: detonix -fullscreen (detonix)"
echo "and detonix-wayland-replay of its trace (replay) each on a headless sway of its own (pixman), and"
echo "detonix -root (x11) on an Xvfb of its own (-scale 2 at scale 2); detonix -seed $seed; server: sway or Xvfb"
printf '  %-6s %-8s %8s %9s %8s %11s %10s %10s\n' scale program "own %" "server %" "both %" "wake-ups/s" "vs replay" "vs x11"
for scale in 1 2; do
  trace=$base/presents-$scale
  record_trace "$scale" "$trace"
  side_by_side "$scale" "$trace"
  read -r _ dc dx dw _ rc rx rw _ xc xx xw _ ic _ iw <<<"$measured"
  read -r dt dp rt rp xt xp <<<"$memory"
  read -r dl rl xl <<<"$libraries"
  vs_replay=$(share "$dc" "$dx" "$rc" "$rx")
  vs_x11=$(share "$dc" "$dx" "$xc" "$xx")
  row "$scale" detonix "$dc" "$dx" "$dw" "$vs_replay" "$vs_x11"
  row "$scale" replay "$rc" "$rx" "$rw"
  row "$scale" x11 "$xc" "$xx" "$xw"
  awk -v scale="$scale" -v c="$ic" -v w="$iw" -v s="$seconds" 'BEGIN {
    printf "  %-6s a sway with no client: %.2f %% of a core, %.1f wake-ups/s\n", scale, 100 * c / s, w }'
  printf '  %-6s replay: %s (%s lines in the trace)\n' "$scale" "$(head -1 "$base/replay.out")" "$(wc -l <"$trace")"
  printf '  %-6s PSS beyond the window'"'"'s pixels (%s x 4 bytes a picture), at the end:\n' "$scale" "$size"
  printf '    detonix %s\n    replay  %s\n    x11     %s\n' "$(beyond "$dt" "$dp")" "$(beyond "$rt" "$rp")" \
    "$(beyond "$xt" "$xp")"
  printf '  %-6s GL, EGL or Mesa libraries mapped: detonix %s; replay %s; x11 %s\n' "$scale" "$dl" "$rl" "$xl"
  printf '  %-6s load average at the start %s, at the end %s\n' "$scale" "$load_start" "$load_end"
  printf '  %-6s targets:\n' "$scale"
  target "(detonix + sway) / (replay + sway): $vs_replay" "<= 1.2" "$(awk -v r="$vs_replay" 'BEGIN { print (r <= 1.2) }')"
  target "(detonix + sway) / (x11 + Xvfb): $vs_x11" "<= 2" "$(awk -v r="$vs_x11" 'BEGIN { print (r <= 2) }')"
  target "detonix's wake-ups a second: $dw" "<= 12" "$(awk -v w="$dw" 'BEGIN { print (w <= 12) }')"
  target "GL, EGL or Mesa libraries mapped in detonix" none "$([ "$dl" = none ] && echo 1 || echo 0)"
  target "detonix's PSS beyond the window's pixels: $(mb $((dt - dp)))" "<= 4 MB" "$(((dt - dp) <= 4096 ? 1 : 0))"
done
