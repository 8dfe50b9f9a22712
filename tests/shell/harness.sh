# shellcheck shell=bash
# Shared by the end-to-end scripts (sourced with the script's name: `source harness.sh NAME`):
# skipping, counting the checks, the servers they run on (Xvfb, Xorg's dummy driver, a headless
# sway, Wine) and their cleanup, running detonix in the background and waiting for it, and
# comparing a screenshot with the headless tool's board.

e2e_name=${1:?the script sourcing this names itself}
harness_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# skip REASON: the test cannot run here; status 77, which CTest counts as skipped.
skip() { echo "$e2e_name: skipped: $*" >&2; exit 77; }
# need COMMAND...: skipped unless every command is installed.
need() {
  local c
  for c in "$@"; do command -v "$c" >/dev/null || skip "$c is not installed (scripts/bootstrap.sh installs it)"; done
}

passed=0
failed=0
pass() { echo "ok: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*" >&2; failed=$((failed + 1)); }
# record STATUS CHECK: a check by a command's status, 0 passing.
record() { if [ "$1" -eq 0 ]; then pass "$2"; else fail "$2"; fi; }
# summary: the one line that counts the checks; the script ends, failing if any check did.
summary() {
  echo "$e2e_name: $passed passed, $failed failed"
  [ "$failed" -eq 0 ] || exit 1
  exit 0
}
# die CHECK: a failure that leaves nothing else to check; the end of $die_log, if any, with it.
die() {
  echo "FAIL: $*" >&2
  failed=$((failed + 1))
  if [ -n "${die_log:-}" ] && [ -f "$die_log" ]; then
    echo "--- $die_log:" >&2
    tail -n 40 "$die_log" >&2
  fi
  summary
}

# e2e_programs BUILD-DIR: $build, $program, $xtest and $headless, or the script ends (status 1).
e2e_programs() {
  build=$(cd "${1:-build}" && pwd)
  program=$build/detonix
  xtest=$build/tests/detonix-xtest
  headless=$build/detonix-headless
  local p
  for p in "$program" "$xtest" "$headless"; do
    [ -x "$p" ] || { echo "$e2e_name: $p is missing; build first" >&2; exit 1; }
  done
}

# e2e_work [FOLDER]: the scratch folder $work (a new one by default). When the script ends it is
# removed, after the programs in $pids and then the servers in $servers have been ended.
pids=()
servers=()
pid=
e2e_work() {
  work=${1:-$(mktemp -d)}
  trap e2e_cleanup EXIT
}
e2e_cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${servers[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null
  rm -rf "$work"
}
# stop_server ID: ends a server now, as when it goes away.
stop_server() {
  local s kept=()
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  for s in "${servers[@]}"; do [ "$s" = "$1" ] || kept+=("$s"); done
  servers=("${kept[@]}")
}

# start_xvfb SIZE [OPTION...]: a virtual X server of SIZE (WxH) at depth 24 for what follows: its
# $DISPLAY exported, its id in $xvfb. Status 1, saying why, when it does not start.
# -noreset: without it the server resets, pointer and all, whenever its last client leaves.
start_xvfb() {
  local _
  rm -f "$work/display"
  local size=$1
  [[ $size == *x*x* ]] || size=${size}x24  # WxH, or WxHxDEPTH
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset "${@:2}" 3>"$work/display" 2>>"$work/xvfb.log" &
  xvfb=$!
  servers+=("$xvfb")
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "$e2e_name: Xvfb did not start: $(cat "$work/xvfb.log")" >&2; return 1; }
  export DISPLAY=:$(cat "$work/display")
}

# start_xorg_dummy WIDTH HEIGHT MODELINE...: Xorg on its dummy driver, a screen of WIDTH by HEIGHT
# whose outputs may take the modes given, for what follows ($DISPLAY). Skipped unless root, and
# when it does not start. No input devices of the machine's own: only the core and XTEST ones,
# which xdotool drives.
start_xorg_dummy() {
  local _
  [ "$(id -u)" -eq 0 ] || skip "Xorg with the dummy driver needs root"
  need Xorg
  ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1 ||
    skip "the Xorg dummy driver is not installed (xserver-xorg-video-dummy)"
  mkdir "$work/empty"
  {
    cat <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
CONF
    printf '  Modeline %s\n' "${@:3}"
    cat <<CONF
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $1 $2
  EndSubSection
EndSection
CONF
  } >"$work/xorg.conf"
  # -noreset: the layout would be forgotten when a client disconnects.
  Xorg -displayfd 3 -config "$work/xorg.conf" -configdir "$work/empty" -logfile "$work/xorg.log" -noreset \
    -nolisten tcp -novtswitch -sharevts 3>"$work/display" 2>"$work/xorg.err" &
  servers+=("$!")
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || skip "Xorg did not start: $(tail -3 "$work/xorg.err")"
  export DISPLAY=:$(cat "$work/display")
}

# start_sway SIZE: a headless sway with one output of SIZE (WxH) and floating windows without
# borders at its corner, for what follows ($WAYLAND_DISPLAY; $XDG_RUNTIME_DIR is $runtime).
# Skipped when it does not start. sway refuses to run as root: there it runs as nobody (setpriv
# execs, so its id is sway's); the clients run as the caller, and root may use nobody's socket.
start_sway() {
  local as_sway=() display='' _
  need sway
  if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || skip "setpriv is missing, and sway will not run as root"
    as_sway=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  chmod 755 "$work"
  runtime=$work/runtime
  mkdir -m 0700 "$runtime"
  [ ${#as_sway[@]} -gt 0 ] && chown nobody "$runtime"
  cat >"$work/sway.conf" <<CONF
output HEADLESS-1 resolution $1 position 0 0
xwayland disable
default_border none
default_floating_border none
for_window [app_id=".*"] floating enable, move position 0 0
CONF
  chmod 644 "$work/sway.conf"
  "${as_sway[@]}" env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$runtime" HOME="$runtime" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  servers+=("$!")
  for _ in $(seq 50); do
    display=$(cd "$runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -1)
    [ -n "$display" ] && break
    sleep 0.1
  done
  [ -n "$display" ] || skip "sway did not start: $(tail -3 "$work/sway.log")"
  export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$display
}

# Wine's own programs, and wine_prefix: a throw-away Wine prefix for the rest of the script
# ($WINEPREFIX), ended and removed when it ends.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
wine_prefix() {
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/detonix-wine.XXXXXX")
  export WINEPREFIX
  trap 'WINEPREFIX=$WINEPREFIX "$wineserver" -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
}
# win_build FOLDER TARGET...: the targets cross-built for Windows with mingw-w64 (Release) in FOLDER.
win_build() {
  local dir=$1
  shift
  mkdir -p "$dir"
  cmake -S "$harness_root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$harness_root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >"$dir/configure.log" 2>&1 &&
    cmake --build "$dir" -j "${JOBS:-2}" --target "$@" || { tail -20 "$dir/configure.log"; return 1; }
}

# start ARGS...: runs detonix in the background (its errors in $work/stderr); its id in $pid.
start() {
  "$program" "$@" 2>>"$work/stderr" &
  pid=$!
  pids+=("$pid")
}
# ends_within SECONDS [ID]: whether the process ID (by default detonix, $pid, which is then
# forgotten) ended by then; its status in $status.
ends_within() {
  local p=${2:-$pid} _
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$p" 2>/dev/null; then
      wait "$p"
      status=$?
      [ -n "${2:-}" ] || pid=
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# wait_for ID SECONDS: the status of the process ID when it ends, or 124 when it is ended after
# SECONDS.
wait_for() {
  ends_within "$2" "$1" && return "$status"
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  return 124
}
# stop: ends detonix ($pid), if it runs.
stop() {
  [ -n "$pid" ] && { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
  pid=
}

# cells_match NAME SHOT W H CELL SEED [headless options]: at least 85 % of SHOT's cells are those
# of the headless tool's board of that size and seed (the players have moved a few cells by then).
cells_match() {
  local name=$1 shot=$2 w=$3 h=$4 cell=$5 seed=$6 counts same total
  shift 6
  XDG_CONFIG_HOME=${ref_config:-${XDG_CONFIG_HOME:-}} \
    "$headless" play --width "$w" --height "$h" --seed "$seed" --minutes 0 --png "$work/ref.png" "$@" >/dev/null ||
    { fail "$name: the headless tool failed"; return; }
  counts=$("$xtest" cells "$shot" "$work/ref.png" "$cell" ${cell_tolerance:-0}) || { fail "$name: cannot compare the pictures"; return; }
  read -r same total <<<"$counts"
  if [ "$total" -gt 0 ] && [ $((same * 100)) -ge $((total * 85)) ]; then
    pass "$name: $same of $total cells as expected"
  else
    cp "$shot" "/tmp/detonix-$name.png" 2>/dev/null
    fail "$name: only $same of $total cells as expected (screenshot kept in /tmp/detonix-$name.png)"
  fi
}
