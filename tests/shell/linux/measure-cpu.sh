#!/usr/bin/env bash
# Processor time, wake-ups and peak memory of `detonix -fullscreen` (or MODE, such as -root) and
# of xscreensaver's `maze` hack at 1920 by 1080 on Xvfb, each with the X server's share:
# measure-cpu.sh BUILD-DIR [SECONDS] [MODE]. Wake-ups are the voluntary and involuntary context
# switches of all the program's threads, counted from one second after the start.
# Not part of the tests: a measurement to read, on a machine otherwise at rest.
set -euo pipefail
source "$(dirname "$0")/../harness.sh" measure-cpu
build=$(cd "${1:-build}" && pwd)
seconds=${2:-60}
mode=${3:--fullscreen}
maze=/usr/libexec/xscreensaver/maze
ticks=$(getconf CLK_TCK)
e2e_work
start_xvfb 1920x1080 || exit 1
export XDG_CONFIG_HOME=$work/config

# User plus system seconds a process has used so far.
cpu() { awk -v t="$ticks" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$1/stat"; }
peak() { awk '/VmHWM/ { printf "%.1f MB", $2 / 1024 }' "/proc/$1/status"; }
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }

measure() {
  local name=$1
  shift
  local x0 x1 p c0 c m w0 w
  "$@" >/dev/null 2>&1 &
  p=$!
  sleep 1
  x0=$(cpu "$xvfb")
  c0=$(cpu "$p")
  w0=$(switches "$p")
  sleep "$seconds"
  c=$(echo "$(cpu "$p") - $c0" | bc)
  w=$(($(switches "$p") - w0))
  m=$(peak "$p")
  x1=$(cpu "$xvfb")
  kill "$p"
  wait "$p" 2>/dev/null || true
  awk -v n="$name" -v c="$c" -v x="$(echo "$x1 - $x0" | bc)" -v s="$seconds" -v m="$m" -v w="$w" 'BEGIN {
    printf "%-8s %6.2f s cpu (%.2f %% of a core), X server %6.2f s (%.2f %%), together %.2f %%; %.1f wake-ups a second; peak memory %s\n",
           n, c, 100 * c / s, x, 100 * x / s, 100 * (c + x) / s, w / s, m }'
}

echo "$seconds s at 1920x1080, Xvfb depth 24, $(nproc) cores"
measure detonix "$build/detonix" "$mode"
[ -x "$maze" ] && measure maze "$maze" -root
