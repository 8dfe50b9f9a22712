#!/usr/bin/env bash
# Runs one case of the program's command line: cli-test.sh PROGRAM CASE WORKDIR [XML].
set -uo pipefail
source "$(dirname "$0")/../harness.sh" cli-test
program=$1
case=$2
work=$3
xml=${4:-}
rm -rf "$work" && mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config
conf=$XDG_CONFIG_HOME/detonix/detonix.conf
unset XSCREENSAVER_WINDOW DISPLAY

# A case stops at its first failure: what follows in it builds on what went before.
fail() { die "$case: $*"; }
# run EXPECTED-STATUS ARGS...: runs the program, keeps its output in $out and $err.
run() {
  local want=$1
  shift
  "$program" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
  [ "$got" -eq "$want" ] || fail "'$*' ended with status $got, not $want; stderr: $err"
}
# shows OUTPUT OPTION VALUE: --show-settings says OPTION has that value.
shows() {
  awk -v o="$2" -v v="$3" '$1 == o { sub(/^[^ ]+ +/, ""); found = found || $0 == v } END { exit !found }' <<<"$1" ||
    fail "expected '$2 $3' in: $1"
}
has() { grep -qF -- "$2" <<<"$1" || fail "expected '$2' in: $1"; }
hasnt() { ! grep -qF -- "$2" <<<"$1" || fail "did not expect '$2' in: $1"; }

case $case in
  no_display)
    # Without a display every mode says so and fails, rather than running off screen for ever.
    for mode in "" -window -fullscreen -root; do
      status=0
      timeout 20 env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$program" $mode >/dev/null 2>"$work/err" || status=$?
      [ "$status" -eq 1 ] || fail "'detonix $mode' without a display: status $status"
      grep -q "display" "$work/err" || fail "'detonix $mode' did not say why: $(cat "$work/err")"
    done
    ;;
  help)
    for h in -h --help -help; do
      run 0 "$h"
      has "$out" "-fullscreen"
      has "$out" "-window-id ID"
      has "$out" "--save-settings"
      [ -z "$err" ] || fail "$h wrote to stderr: $err"
    done
    run 0 --version
    grep -qxE "detonix [0-9]+\.[0-9]+\.[0-9]+" <<<"$out" || fail "--version said: $out"
    # Output lost to a full disk is a failure, not a silent success...
    for args in --help --show-settings; do
      "$program" "$args" >/dev/full 2>"$work/err" && fail "'$args' on a full standard output ended with status 0"
      grep -q "cannot write standard output" "$work/err" || fail "'$args' did not say why: $(cat "$work/err")"
    done
    # ...but a save is done once the file is: only its listing is lost, which is said.
    "$program" --save-settings -speed 200 >/dev/full 2>"$work/err" || fail "a save on a full standard output failed"
    grep -q "saved to $conf, but standard output could not be written" "$work/err" || fail "said: $(cat "$work/err")"
    grep -qx "PlayerSpeed=200" "$conf" || fail "the file lacks PlayerSpeed=200: $(cat "$conf")"
    ;;
  bad_option)
    # One line names the problem, the next points to --help; the whole usage is not repeated.
    run 2 -fullscreen -bogus
    [ "$err" = "detonix: unknown option '-bogus'"$'\n'"Try 'detonix --help'." ] || fail "-bogus said: $err"
    for args in "/p" "/p 0" "/p notanumber" "-speed 0" "-speed fast" "-player1 Nobody" \
                "-fixed-blocks 1" "--save-settings --show-settings" "-window-id"; do
      # shellcheck disable=SC2086
      run 2 $args
      [ "$(wc -l <<<"$err")" -eq 2 ] && has "$err" "Try 'detonix --help'." || fail "'$args' said: $err"
      [ -z "$out" ] || fail "'$args' wrote to stdout: $out"
    done
    # A bad window id from xscreensaver is refused the same way.
    XSCREENSAVER_WINDOW=junk run 2 -root
    # What is no setting cannot be saved, and nothing of the rest is saved with it.
    for extra in "-scale 2" "--seed 5" "-fullscreen"; do
      # shellcheck disable=SC2086
      run 2 --save-settings -speed 200 $extra
      has "$err" "'${extra% *}' cannot be saved"
      [ ! -e "$conf" ] || fail "--save-settings $extra wrote the file: $(cat "$conf")"
    done
    ;;
  settings_round_trip)
    run 0 --show-settings
    has "$out" "Settings file: $conf (not there: the defaults apply)"
    settings=$(grep -c '^-' <<<"$out")
    shows "$out" -speed "150 (Normal)"
    shows "$out" -player2 "Tavvy"
    [ ! -e "$conf" ] || fail "showing the settings created the file"

    run 0 --save-settings -speed 200 --player1 murvex -sound -force-maze 10 -powerups 45 -fixed-blocks 0.35
    grep -qx "PlayerSpeed=200" "$conf" || fail "the file lacks PlayerSpeed=200: $(cat "$conf")"
    [ "$(grep -c '=' "$conf")" -eq "$settings" ] || fail "the file should hold all $settings values: $(cat "$conf")"

    run 0 --show-settings
    for line in "-speed;200 (Slow)" "-player1;Murvex" "-player2;Tavvy" "-sound;on" "-force-maze;on" \
                "-force-interval;10" "-powerups;45" "-fixed-blocks;0.35" "-destructible-blocks;0.15"; do
      shows "$out" "${line%%;*}" "${line#*;}"
    done
    hasnt "$out" "not there"

    # A second save changes only what it names.
    run 0 --save-settings -player2 Olandrix -no-sound
    run 0 --show-settings
    shows "$out" -speed "200 (Slow)"
    shows "$out" -player2 "Olandrix"
    shows "$out" -sound "off"
    shows "$out" -force-interval "10"

    # Values the options would refuse give way to the defaults, each said once (but not one the command
    # line gives anyway); a save keeps those it is not asked to change as they were.
    printf 'PerBlocksLeft=5\nPerOfEBlocks=-2\nPerOfPUps=-1\nForceInterval=99999\nP1ImageIndex=7\n' >"$conf"
    run 0 --show-settings
    has "$err" "detonix: the settings file's PerBlocksLeft=5 is out of range (a fraction, 0 to 0.5); the default 0.4 applies"
    has "$err" "detonix: the settings file's P1ImageIndex=7 is out of range (0, 6, 12 or 18); the default 0 applies"
    [ "$(grep -c "out of range" <<<"$err")" -eq 5 ] || fail "one line for each refused value: $err"
    shows "$out" -fixed-blocks "0.4"
    shows "$out" -force-interval "5"
    run 0 --save-settings -powerups 45
    [ "$(grep -c "out of range" <<<"$err")" -eq 4 ] || fail "one line for each refused value not given: $err"
    hasnt "$err" "PerOfPUps"
    grep -qx "PerBlocksLeft=5" "$conf" || fail "a value the save was not asked to change was lost: $(cat "$conf")"
    grep -qx "ForceInterval=99999" "$conf" || fail "a value the save was not asked to change was lost: $(cat "$conf")"
    grep -qx "PerOfPUps=45" "$conf" || fail "the value asked for was not saved: $(cat "$conf")"
    ;;
  overrides_win)
    run 0 --save-settings -speed 300 -sound -fixed-blocks 0.3
    run 0 --show-settings -speed 120 -no-sound --player1 Tavvy
    shows "$out" -speed "120 (Fast)"
    shows "$out" -sound "off"
    shows "$out" -player1 "Tavvy"
    has "$out" "With the settings given on the command line on top"
    grep -qx "PlayerSpeed=300" "$conf" || fail "showing with options must not write them"
    grep -qx "Sounds=1" "$conf" || fail "showing with options must not write them"
    # Under xscreensaver what plays is its window's choice or the default; the file gives the densities.
    XSCREENSAVER_WINDOW=0x400008 run 0 --show-settings -player1 Tavvy
    shows "$out" -speed "150 (Normal)"
    shows "$out" -sound "off"
    shows "$out" -player1 "Tavvy"
    shows "$out" -fixed-blocks "0.3"
    ;;
  unwritable_settings)
    # The settings folder's place is taken by a plain file: nothing can be written there.
    rm -rf "$XDG_CONFIG_HOME" && echo "not a folder" >"$XDG_CONFIG_HOME"
    run 1 --save-settings -speed 200
    has "$err" "could not write the settings file $conf: Not a directory"
    run 0 --show-settings
    shows "$out" -speed "150 (Normal)"
    # A file there that cannot be read (a folder stands in its place) is said to be so, and fails.
    rm -f "$XDG_CONFIG_HOME" && mkdir -p "$conf"
    run 1 --show-settings
    has "$err" "could not read the settings file $conf: Is a directory"
    shows "$out" -speed "150 (Normal)"
    # One far too large is said to be so, once, by a save too (which reads it three times).
    rm -rf "$conf" && head -c 70000 /dev/zero | tr '\0' '#' >"$conf"
    run 1 --show-settings
    [ "$(grep -c "is larger than" <<<"$err")" -eq 1 ] || fail "the size warning, once: $err"
    run 1 --save-settings -speed 200
    [ "$(grep -c "is larger than" <<<"$err")" -eq 1 ] || fail "the size warning, once: $err"
    # A file no one may write stays as it is, even for root (for whom the system would replace it).
    echo "PlayerSpeed=300" >"$conf" && chmod 0444 "$conf"
    run 1 --save-settings -speed 200
    has "$err" "the settings file $conf is read-only; it is left as it was"
    [ "$(cat "$conf")" = "PlayerSpeed=300" ] || fail "the read-only file was changed: $(cat "$conf")"
    # No place at all for the file.
    out=$(env -u HOME -u XDG_CONFIG_HOME "$program" --save-settings -speed 200 2>&1)
    [ $? -eq 1 ] || fail "saving without HOME should fail"
    has "$out" "nowhere to save the settings"
    ;;
  concurrent_save)
    # Another process in the middle of its save, having read the file, holds the lock; a save
    # started now waits for it, and so builds on the file as the other one leaves it.
    run 0 --save-settings -speed 200
    before=$(cat "$conf")
    exec 9>"$conf.lock"
    flock 9
    "$program" --save-settings -sound >"$work/out" 2>"$work/err" 9>&- &
    saver=$!
    for _ in $(seq 200); do  # until it waits for the lock, or (were there none) has finished
      grep -qE -- "-> FLOCK +ADVISORY +WRITE +$saver " /proc/locks 2>/dev/null && break
      kill -0 "$saver" 2>/dev/null || break
      sleep 0.05
    done
    sed 's/^PlayerSpeed=.*/PlayerSpeed=300/' <<<"$before" >"$conf.new" && mv "$conf.new" "$conf"
    exec 9>&-
    wait "$saver" || fail "the waiting save failed: $(cat "$work/err")"
    has "$(cat "$work/out")" "Saved to $conf"
    grep -qx "PlayerSpeed=300" "$conf" || fail "the other process's change was lost: $(cat "$conf")"
    grep -qx "Sounds=1" "$conf" || fail "the waiting save's change was lost: $(cat "$conf")"
    ;;
  xscreensaver_options)
    # Every switch the options file can put on a command line is accepted...
    [ -r "$xml" ] || fail "no options file given"
    grep -q '<screensaver name="detonix"' "$xml" || fail "the options file does not name detonix"
    grep -q '<command arg="--root"/>' "$xml" || fail "the options file does not ask for --root"
    switches=$(grep -o 'arg-\(un\)\?set="[^"]*"' "$xml" | sed 's/^arg-[a-z]*="//; s/"$//')
    [ "$(wc -l <<<"$switches")" -ge 17 ] || fail "too few switches found: $switches"
    while read -r a; do
      # shellcheck disable=SC2086
      run 0 --show-settings $a
    done <<<"$switches"
    # ...and so is every number within its spin box's range.
    numbers=$(tr '\n' ' ' <"$xml" | grep -o '<number [^>]*>')
    [ -n "$numbers" ] || fail "no spin box found"
    run 0 --show-settings
    defaults_shown=$out
    while read -r line; do
      arg=$(grep -o 'arg="[^"]*"' <<<"$line" | sed 's/^arg="//; s/"$//')
      low=$(grep -o 'low="[^"]*"' <<<"$line" | tr -dc 0-9)
      high=$(grep -o 'high="[^"]*"' <<<"$line" | tr -dc 0-9)
      default=$(grep -o 'default="[^"]*"' <<<"$line" | tr -dc 0-9)
      option=${arg%% *}
      option=${option#-}  # shown with one dash
      for v in "$low" "$high" "$default"; do
        # shellcheck disable=SC2086
        run 0 --show-settings ${arg/\%/$v}
        shows "$out" "$option" "$v"
      done
      # xscreensaver passes nothing for a spin box at its default: the program's default must be it.
      shows "$defaults_shown" "$option" "$default"
    done <<<"$numbers"
    # Where the command line names none of a menu's items, xscreensaver's window shows the first;
    # so the program's own defaults must be what the window then shows: each menu's first item and
    # the boxes off.
    out=$defaults_shown
    defaults=$(awk '/<select id=/ { match($0, /id="[^"]*"/); id = substr($0, RSTART + 4, RLENGTH - 5); first = 1 }
                    /<option/ && first { match($0, /: [^"]*"/); print id, substr($0, RSTART + 2, RLENGTH - 3); first = 0 }' "$xml")
    [ -n "$defaults" ] || fail "no menu found"
    while read -r id label; do
      grep -qE -- "^-$id +(.* )?\(?$label\)?\$" <<<"$out" || fail "-$id should show $label by default: $out"
    done <<<"$defaults"
    shows "$out" -sound "off"
    shows "$out" -force-maze "off"
    ;;
  *)
    fail "no such case"
    ;;
esac
pass "$case"
summary
