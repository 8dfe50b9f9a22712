#!/usr/bin/env bash
# Processor time and peak memory of `detonix -fullscreen` and of xscreensaver's `maze` hack at
# 1920 by 1080 on Xvfb, each with the X server's share: measure-cpu.sh BUILD-DIR [SECONDS].
# Not part of the tests: a measurement to read, on a machine otherwise at rest.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-60}
maze=/usr/libexec/xscreensaver/maze
ticks=$(getconf CLK_TCK)
work=$(mktemp -d)
xvfb=
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export XDG_CONFIG_HOME=$work/config

# User plus system seconds a process has used so far.
cpu() { awk -v t="$ticks" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$1/stat"; }
peak() { awk '/VmHWM/ { printf "%.1f MB", $2 / 1024 }' "/proc/$1/status"; }

measure() {
  local name=$1
  shift
  local x0 x1 p c m
  x0=$(cpu "$xvfb")
  "$@" >/dev/null 2>&1 &
  p=$!
  sleep "$seconds"
  c=$(cpu "$p")
  m=$(peak "$p")
  x1=$(cpu "$xvfb")
  kill "$p"
  wait "$p" 2>/dev/null || true
  awk -v n="$name" -v c="$c" -v x="$(echo "$x1 - $x0" | bc)" -v s="$seconds" -v m="$m" 'BEGIN {
    printf "%-8s %6.2f s cpu (%.2f %% of a core), X server %6.2f s (%.2f %%), together %.2f %%; peak memory %s\n",
           n, c, 100 * c / s, x, 100 * x / s, 100 * (c + x) / s, m }'
}

echo "$seconds s at 1920x1080, Xvfb depth 24, $(nproc) cores"
measure detonix "$build/detonix" -fullscreen
[ -x "$maze" ] && measure maze "$maze" -root
