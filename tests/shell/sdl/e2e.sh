# Shared by the end-to-end scripts of detonix (sourced): the programs under test, counting
# results, running detonix in the background and comparing a screenshot with the headless board.

# e2e_programs SCRIPT BUILD-DIR: $program, $xtest and $headless, or the script ends (status 1).
e2e_programs() {
  build=$(cd "${2:-build}" && pwd)
  program=$build/detonix
  xtest=$build/tests/detonix-xtest
  headless=$build/detonix-headless
  local p
  for p in "$program" "$xtest" "$headless"; do
    [ -x "$p" ] || { echo "$1: $p is missing; build first" >&2; exit 1; }
  done
}

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# e2e_result SCRIPT: the script's status from its failures.
e2e_result() {
  if [ "$failures" -gt 0 ]; then
    echo "$1: $failures failures" >&2
    exit 1
  fi
  echo "$1: all passed"
}

# start ARGS...: runs detonix in the background (its errors in $work/stderr); its id in $pid.
pids=()
start() {
  "$program" "$@" 2>>"$work/stderr" &
  pid=$!
  pids+=("$pid")
}
# ends_within SECONDS: whether detonix ($pid) ended by then; its status in $status.
ends_within() {
  local _
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }

# cells_match NAME SHOT W H CELL SEED [headless options]: at least 85 % of SHOT's cells are those
# of the headless tool's board of that size and seed (the players have moved a few cells by then).
cells_match() {
  local name=$1 shot=$2 w=$3 h=$4 cell=$5 seed=$6 counts same total
  shift 6
  XDG_CONFIG_HOME=${ref_config:-${XDG_CONFIG_HOME:-}} \
    "$headless" play --width "$w" --height "$h" --seed "$seed" --minutes 0 --png "$work/ref.png" "$@" >/dev/null ||
    { fail "$name: the headless tool failed"; return; }
  counts=$("$xtest" cells "$shot" "$work/ref.png" "$cell") || { fail "$name: cannot compare the pictures"; return; }
  read -r same total <<<"$counts"
  if [ "$total" -gt 0 ] && [ $((same * 100)) -ge $((total * 85)) ]; then
    pass "$name: $same of $total cells as expected"
  else
    cp "$shot" "/tmp/detonix-$name.png" 2>/dev/null
    fail "$name: only $same of $total cells as expected (screenshot kept in /tmp/detonix-$name.png)"
  fi
}
