# shellcheck shell=bash
# What the idle watcher's end-to-end scripts share (sourced with the script's name): the harness,
# the watcher run in the background, and what it started.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh" "$1"

# idle_programs BUILD-DIR: $watcher and $inhibitor, or the script ends (status 1).
idle_programs() {
  build=$(cd "${1:-build}" && pwd)
  watcher=$build/detonix-idle
  inhibitor=$build/tests/detonix-idle-inhibitor
  [ -x "$watcher" ] && [ -x "$inhibitor" ] && [ -x "$build/detonix" ] ||
    { echo "$e2e_name: detonix, detonix-idle or detonix-idle-inhibitor is missing; build first" >&2; exit 1; }
  export SDL_AUDIODRIVER=dummy
}

# watch ARGS...: the watcher in the background ($wpid), its messages in $work/idle.log; returns once
# it watches (status 1 when it ended instead).
watch() {
  local _ before
  before=$(grep -c "watching" "$work/idle.log" 2>/dev/null)
  "$watcher" "$@" 2>>"$work/idle.log" &
  wpid=$!
  pids+=("$wpid")
  for _ in $(seq 50); do
    [ "$(grep -c "watching" "$work/idle.log")" -gt "${before:-0}" ] && return 0
    kill -0 "$wpid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# saver: the id of the saver the watcher started and that plays, if any.
saver() { pgrep -P "$wpid" -f -- ' -fullscreen$'; }
# starts_within SECONDS: whether a saver plays by then.
starts_within() {
  local _
  for _ in $(seq $(($1 * 10))); do [ -n "$(saver)" ] && return 0; sleep 0.1; done
  return 1
}
# gone_within SECONDS ID: whether the process ID (any, not only a child) is gone by then.
gone_within() {
  local _
  for _ in $(seq $(($1 * 10))); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
# held_off SECONDS CHECK [COMMAND...]: no saver for that long (COMMAND run every second, as input).
held_off() {
  local seconds=$1 check=$2 _
  shift 2
  for _ in $(seq "$seconds"); do
    [ -z "$(saver)" ] || { fail "$check: started all the same"; return 1; }
    [ $# -eq 0 ] || "$@"
    sleep 1
  done
  pass "$check"
}
