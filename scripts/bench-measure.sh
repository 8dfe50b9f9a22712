# shellcheck shell=bash
# What scripts/bench.sh and scripts/bench-wayland.sh read of the programs they run: processor time,
# wake-ups, memory, libraries, and the machine's load.

# Seconds of processor time a process has used (all its threads), to the nanosecond: a minute of
# detonix is a dozen clock ticks, too coarse to compare.
cpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%.6f", n / 1e9 }'; }
# Context switches of all its threads so far: each is a wake-up or a preemption.
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n + 0 }'
}
# counters PROGRAM SERVER...: for each pair, the program's processor time, its server's and the
# program's context switches so far, on one line.
counters() {
  while [ $# -gt 0 ]; do
    printf '%s %s %s ' "$(cpu "$1")" "$(cpu "$2")" "$(switches "$1")"
    shift 2
  done
  echo
}
load() { cut -d' ' -f1-3 /proc/loadavg; }
# share A B C D: (A + B) / (C + D), two decimals.
share() { awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN { printf "%.2f", (c + d > 0 ? (a + b) / (c + d) : 0) }'; }

# memory PID BYTES: the process's proportional set size (smaps_rollup), the part of it in mappings of
# anonymous or shared memory of BYTES or more (a window's pictures of BYTES each, wherever they are
# kept: a memfd or System V segment shared with the server, which counts half, or the process's
# own), in kB: "TOTAL PIXELS".
memory() {
  local total
  total=$(awk '/^Pss:/ { print $2 }' /proc/"$1"/smaps_rollup 2>/dev/null)
  awk -v big="$2" -v total="${total:-0}" '
    /^[0-9a-f]+-[0-9a-f]+ / { name = $6; size = 0; next }
    /^Size:/ { size = $2 }
    /^Pss:/ && size * 1024 >= big && (name == "" || name ~ /^\/(memfd:|SYSV|dev\/shm\/)/) { pixels += $2 }
    END { printf "%d %d\n", total, pixels }' /proc/"$1"/smaps 2>/dev/null
}
# gl_libraries PID: the OpenGL, EGL and Mesa libraries mapped in the process (libGL*, libEGL*,
# libGLX*, libgbm, libLLVM, Mesa's drivers in dri/ and swrast), comma-separated, or "none".
gl_libraries() {
  awk '{ n = split($6, part, "/") }
    $6 ~ /\/dri\// || part[n] ~ /^(libGL|libEGL|libGLX|libgbm|libLLVM)|swrast/ { print part[n] }' /proc/"$1"/maps 2>/dev/null |
    sort -u | paste -sd, | grep . || echo none
}
