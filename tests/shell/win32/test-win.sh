#!/usr/bin/env bash
# Builds detonix.scr and its Windows test programs with the mingw-w64 cross compiler and tests
# them under Wine on a virtual display: one throw-away Wine prefix for the whole run, screenshots
# in the build's artifacts folder. CTest runs it as the test wine.scr (ctest -L wine).
# The last line is "test-win: N passed, N failed"; the exit status is non-zero on any failure, 77
# when the tools are missing (scripts/bootstrap.sh installs them).
set -uo pipefail
source "$(dirname "$0")/../harness.sh" test-win
root=$harness_root
build=${BUILD_WIN:-$root/build-win}

if [ "${1:-}" != "--inside" ]; then
  need x86_64-w64-mingw32-g++-posix "$wine" Xvfb xdotool import identify convert wixl msiinfo
  echo "Building detonix.scr and its Windows test programs in $build"
  win_build "$build" wine-tests || die "cannot build $build"
  wine_prefix
  timeout -k 10 900 "$0" --inside "$build"
  status=$?
  [ "$status" -eq 124 ] && die "the Wine tests ran out of time"
  exit $status
fi

# ---- Inside a virtual display, with WINEPREFIX set to the run's own prefix. ----
build=$2
e2e_work
start_xvfb 1024x768 || exit 1
# A second mode, which the display's mode changes to while the saver runs.
xrandr --newmode 800x600 0 800 0 0 0 600 0 0 0 && xrandr --addmode screen 800x600
artifacts=$build/artifacts
logs=$artifacts/logs
mkdir -p "$artifacts" "$logs"
rm -f "$artifacts"/*.png "$logs"/*.log
export WINEDEBUG=-all
# Keeps the first run from offering to install .NET and Gecko, and from probing for sound.
export WINEDLLOVERRIDES="mscoree,mshtml=,winealsa.drv="

# Runs a test program whose lines start with PASS or FAIL, and counts them.
run_cases() {  # NAME COMMAND...
  local name=$1 out rc verdict rest f=0
  shift
  out=$("$@" 2>>"$logs/wine.log")
  rc=$?
  out=$(tr -d '\r' <<<"$out")
  while read -r verdict rest; do
    [ "$verdict" = PASS ]; record $? "$name: $rest"
    [ "$verdict" = PASS ] || f=$((f + 1))
  done < <(grep -E '^(PASS|FAIL) ' <<<"$out")
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then record 1 "$name (exit status $rc)"; fi
}

# Runs a GoogleTest program and counts its cases; a failure's report goes to the output.
run_gtest() {  # NAME COMMAND...
  local name=$1 out rc verdict case p=0 f=0
  shift
  out=$("$@" 2>>"$logs/wine.log" | tr -d '\r')
  rc=$?
  echo "$out" >"$logs/$name.log"
  while read -r verdict case; do
    if [ "$verdict" = OK ]; then pass "$name: $case"; p=$((p + 1)); else fail "$name: $case"; f=$((f + 1)); fi
  done < <(sed -nE 's/^\[ +(OK|FAILED) +\] (.*) \([0-9]+ ms\)$/\1 \2/p' <<<"$out")
  if [ "$f" -ne 0 ]; then echo "$out"; fi
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then record 1 "$name (exit status $rc)"; echo "$out"; fi
  if [ "$p" -eq 0 ] && [ "$f" -eq 0 ] && [ "$rc" -eq 0 ]; then record 1 "$name ran no test"; fi
}

# No step may hang the run: each Windows program gets two minutes at most.
win() { timeout -k 5 120 "$wine" "$@" 2>>"$logs/wine.log" | tr -d '\r'; }
testhost() { win 'C:\detonix\detonix-testhost.exe' "$@"; }
scr='C:\detonix\detonix.scr'
key='HKCU\software\Vantrel_Progs\DetonixSaver'

start_scr() {  # ARGS...: starts the saver in the background; its pid in $scr_pid
  "$wine" "$scr" "$@" 2>>"$logs/wine.log" &
  scr_pid=$!
}

# A value as shown: without the '&' that marks an access key.
dialog_value() { grep "^$1=" <<<"$state" | head -1 | cut -d= -f2- | tr -d '&'; }

# The saver's visible windows on the X server, "x,y,w,h " each, in order.
saver_windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Detonix$'); do
    xdotool getwindowgeometry --shell "$w" | awk -F= '{ v[$1] = $2 } END { print v["X"] "," v["Y"] "," v["WIDTH"] "," v["HEIGHT"] }'
  done | sort | tr '\n' ' '
}

screenshot() {  # FILE [WINDOW-ID]
  import -window "${2:-root}" "$artifacts/$1" 2>>"$logs/wine.log"
}

# More than a handful of colours: a board, not a black or blank screen.
colourful() {  # FILE
  local n
  n=$(identify -format '%k' "$artifacts/$1" 2>/dev/null || echo 0)
  echo "  $1: $n colours"
  [ "${n:-0}" -gt 8 ]
}

echo "Preparing the Wine prefix $WINEPREFIX"
"$wineserver" -p 2>/dev/null  # one server for the whole run
"$wine" wineboot -i >>"$logs/wine.log" 2>&1
# Without a window manager, closing a full-screen popup waits for one unless Wine manages none.
win reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
# A crash ends the program at once instead of waiting in the debugger.
win reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d false /f >/dev/null
mkdir -p "$WINEPREFIX/drive_c/detonix"
cp "$build/detonix.scr" "$build"/tests/*.exe "$WINEPREFIX/drive_c/detonix/"
waves=$(LC_ALL=C grep -a -o -P '(?s)RIFF.{4}WAVEfmt ' "$build/detonix.scr" | wc -l)
[ "$waves" = 1 ]; record $? "detonix.scr holds the explosion wave once ($waves)"

# One version everywhere: the version resource, the manifest and the MSI carry the project's.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
resources=$(x86_64-w64-mingw32-windres -J coff -i "$build/detonix.scr" -O rc 2>>"$logs/wine.log")
seen="$(grep -E '^ *(FILEVERSION|PRODUCTVERSION) ' <<<"$resources" | tr -d ' ' | tr '\n' ';')"
seen+="$(grep -oE '"(FileVersion|ProductVersion)", "[^"]*"' <<<"$resources" | tr -d ' ' | tr '\n' ';')"
seen+="manifest $(grep -a -o 'name="VantrelProgs.Detonix.ScreenSaver" version="[0-9.]*"' "$build/detonix.scr" | sed 's/.*version=//');"
seen+="MSI $(msiinfo export "$build/detonix.msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')"
IFS=. read -r major minor patch <<<"$version"
want="FILEVERSION$major,$minor,$patch,0;PRODUCTVERSION$major,$minor,$patch,0;"
want+="\"FileVersion\",\"$version\";\"ProductVersion\",\"$version\";manifest \"$version.0\";MSI $version"
echo "  $seen"
[ "$seen" = "$want" ]; record $? "detonix.scr and detonix.msi carry the version $version"
# The settings page's controls and labels each have an Alt key (the letter after '&'), none twice.
keys=$(grep -oE '^ *[A-Z]+ "[^"]*&[^"&]' <<<"$resources" | sed 's/.*&//' | tr '[:upper:]' '[:lower:]' | tr -d '\n')
[ ${#keys} = 10 ] && [ -z "$(fold -w1 <<<"$keys" | sort | uniq -d)" ]; record $? "the dialog's ten access keys, none twice ($keys)"

# The icon in detonix.scr: each size drawn for it, 32 bits with an alpha channel (smooth edges:
# values between clear and opaque) whose clear pixels the AND mask marks too, the 256-pixel one a
# PNG; the group as Windows reads it from the file.
icons=$(/usr/bin/python3 - "$build/detonix.scr" <<'PY'
import struct, sys
pe = open(sys.argv[1], "rb").read()
head = struct.unpack_from("<I", pe, 0x3C)[0]
count, optional = struct.unpack_from("<H12xH", pe, head + 6)
for i in range(count):
    name, _, rva, _, raw = struct.unpack_from("<8sIIII", pe, head + 24 + optional + 40 * i)
    if name.rstrip(b"\0") == b".rsrc":
        break
def entries(at):  # a resource directory's entries: id -> offset
    named, ids = struct.unpack_from("<12xHH", pe, raw + at)
    return dict(struct.unpack_from("<II", pe, raw + at + 16 + 8 * i) for i in range(named + ids))
def resource(kind, ident):
    language = entries(entries(entries(0)[kind] & 0x7FFFFFFF)[ident] & 0x7FFFFFFF)
    data, length = struct.unpack_from("<II", pe, raw + next(iter(language.values())))
    return pe[raw + data - rva:raw + data - rva + length]
group = resource(14, 1)
for i in range(struct.unpack_from("<H", group, 4)[0]):
    width, _, _, _, _, bits, _, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
    size, image = width or 256, resource(3, ident)
    if image.startswith(b"\x89PNG"):
        kind = "png" if struct.unpack_from(">IIBB", image, 16) == (size, size, 8, 6) else "bad"
    else:
        row = (size + 31) // 32 * 4
        alpha = image[43:40 + 4 * size * size:4]
        mask = image[40 + 4 * size * size:]
        clear = [mask[p // size * row + p % size // 8] >> (7 - p % size % 8) & 1 for p in range(size * size)]
        smooth = any(0 < a < 255 for a in alpha)
        ok = struct.unpack_from("<4xii2xH", image) == (size, 2 * size, 32) and 0 in alpha and 255 in alpha and smooth
        kind = "alpha" if ok and clear == [a == 0 for a in alpha] else "bad"
    print(f"{size}:{bits}:{kind}", end=" ")
PY
)
echo "  icon: $icons"
[ "$icons" = "256:32:png 64:32:alpha 48:32:alpha 40:32:alpha 32:32:alpha 24:32:alpha 20:32:alpha 16:32:alpha " ]
record $? "detonix.scr's icon: 16 to 256 pixels, each with its smooth alpha and mask, 256 as PNG"
sections=$(x86_64-w64-mingw32-objdump -h "$build/detonix.scr" | awk '$2 ~ /^\.debug/ {print $2}' | tr '\n' ' ')
[ -z "$sections" ]; record $? "the Release detonix.scr has no debug sections ($(stat -c %s "$build/detonix.scr") bytes) $sections"
properties=$(msiinfo export "$build/detonix.msi" Property | tr -d '\r')
grep -qx $'ARPNOMODIFY\t1' <<<"$properties" && grep -qx $'ARPNOREPAIR\t1' <<<"$properties"
record $? "the MSI's uninstall entry offers no Modify and no Repair"

echo "== In-process cases (GoogleTest)"
for program in "$build"/tests/*_tests.exe; do
  name=$(basename "$program" .exe)
  DETONIX_TEST_ARTIFACTS="Z:${artifacts//\//\\}" run_gtest "$name" win "C:\\detonix\\$name.exe"
done
[ -s "$artifacts/preview.png" ]; record $? "win_shell_tests: the preview's board saved as $artifacts/preview.png"
win reg delete 'HKCU\software\Vantrel_Progs' /f >/dev/null 2>&1

echo "== Preview inside a host window"
run_cases "preview 152x112" testhost preview "$scr" 152 112
run_cases "preview 10x112" testhost preview "$scr" 10 112
out=$(testhost preview-orphan "$scr")
orphan=$(sed -n 's/^PID \([0-9]*\).*/\1/p' <<<"$out")
grep -E '^(PASS|FAIL) ' <<<"$out" | sed 's/^/  /'
grep -q '^FAIL' <<<"$out"; record $((1 - $?)) "preview: a host that ends without destroying its window"
if [ -n "$orphan" ]; then
  run_cases "preview orphaned" testhost wait-exit "$orphan" 5000
else
  record 1 "preview orphaned: the saver's process id"
fi

echo "== Requests that end at once without a window"
run_cases "/p 0" testhost expect-exit 5000 "$scr" /p 0
run_cases "/p abc" testhost expect-exit 5000 "$scr" /p abc
run_cases "/p alone" testhost expect-exit 5000 "$scr" /p
run_cases "/p:handle" testhost expect-exit 5000 "$scr" /p:123
run_cases "/saver" testhost expect-exit 5000 "$scr" /saver
run_cases "/s1" testhost expect-exit 5000 "$scr" /s1
run_cases "/x" testhost expect-exit 5000 "$scr" /x
run_cases "/a on NT" testhost expect-exit 5000 "$scr" /a HOST

echo "== Full-screen saver"
# The server keeps its state between clients (-noreset), so the pointer stays where it is put.
xdotool mousemove 500 400
[ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:500 y:400" ]; record $? "the pointer stays at 500,400 for the 20-pixel cases"
start_scr /s
found=$(testhost find-class TZepsScreenSaver 10000)
echo "  $found"
grep -q 'rect=0,0,1024,768 .*caption=Detonix' <<<"$found"; record $? "/s: a full-screen window of class TZepsScreenSaver, caption Detonix"
grep -q ' style=9.000000 ' <<<"$found"; record $? "/s: a borderless popup"
grep -q ' taskbar=0 ' <<<"$found"; record $? "/s: no task bar button"
sleep 2
screenshot saver.png
colourful saver.png; record $? "/s: the screen shows a board ($artifacts/saver.png)"
run_cases "second /s" testhost expect-exit 5000 "$scr" /s
testhost find-class TZepsScreenSaver >/dev/null; record $? "second /s: the first saver runs on"
xdotool mousemove 520 420
sleep 1
testhost find-class TZepsScreenSaver >/dev/null; record $? "/s: a 20-pixel movement leaves the saver running"
xdotool mousemove 521 400
testhost wait-gone TZepsScreenSaver 5000; record $? "/s: a 21-pixel movement closes the saver"
wait_for "$scr_pid" 10; record $? "/s: the program ends with its window"

# Also the wheel turned (5) and tilted (6), and an X button (8).
for input in "key Shift_L" "key a" "click 1" "click 5" "click 6" "click 8"; do
  xdotool mousemove 500 400
  start_scr /s
  testhost find-class TZepsScreenSaver 10000 >/dev/null
  sleep 1
  xdotool $input
  testhost wait-gone TZepsScreenSaver 5000; record $? "/s: xdotool $input closes the saver"
  wait_for "$scr_pid" 10 >/dev/null
done

echo "== Another program's window"
# A program started over the saver takes the keyboard: the saver ends rather than hide it.
xdotool mousemove 500 400
start_scr /s
testhost find-class TZepsScreenSaver 10000 >/dev/null
sleep 1
"$wine" notepad 2>>"$logs/wine.log" &
notepad_pid=$!
testhost wait-gone TZepsScreenSaver 5000; record $? "/s: a program taking the foreground closes the saver"
wait_for "$scr_pid" 10 >/dev/null
# That program's window asks for the settings: the dialog is its own, centred on it, and disables it.
notepad=$(testhost find-class Notepad 10000)
hwnd=$(sed -n 's/.* hwnd=\([-0-9]*\) .*/\1/p' <<<"$notepad")
IFS=, read -r x y w h <<<"$(sed -n 's/.* rect=\([^ ]*\) .*/\1/p' <<<"$notepad")"
for form in "/c:$hwnd" "/c $hwnd"; do
  start_scr $form
  state=$(testhost dialog-state 10000)
  IFS=, read -r dx dy dw dh <<<"$(dialog_value rect)"
  off_x=$((2 * dx + dw - 2 * x - w)) off_y=$((2 * dy + dh - 2 * y - h))
  echo "  dialog at $(dialog_value rect), owner $(dialog_value owner); ${notepad#FOUND }"
  [ -n "$hwnd" ] && [ "$(dialog_value owner)" = "$hwnd" ] && [ "${off_x#-}" -le 1 ] && [ "${off_y#-}" -le 1 ] &&
    testhost find-class Notepad | grep -q ' enabled=0 '
  record $? "$form: the dialog is owned by that window, centred on it, and disables it"
  testhost dialog-click 2
  wait_for "$scr_pid" 10 >/dev/null
done
testhost find-class Notepad | grep -q ' enabled=1 '; record $? "/c <handle>: Cancel enables the window again"
kill "$notepad_pid"; wait "$notepad_pid" 2>/dev/null

echo "== The foreground afterwards"
# The saver gives the front back to the program it covered only when the user's input ended it;
# a program that came to the front keeps it.
for end in key program; do
  "$wine" regedit 2>>"$logs/wine.log" &
  previous_pid=$! other_pid=
  testhost find-class RegEdit_RegEdit 10000 >/dev/null
  xdotool mousemove 500 400
  start_scr /s
  testhost find-class TZepsScreenSaver 10000 >/dev/null
  sleep 1
  if [ "$end" = key ]; then
    xdotool key a
    want=RegEdit_RegEdit
  else
    "$wine" notepad 2>>"$logs/wine.log" &
    other_pid=$!
    want=Notepad
  fi
  wait_for "$scr_pid" 10; record $? "ended by a $end: the saver ends"
  sleep 1
  front=$(testhost foreground)
  [ "$front" = "$want" ]; record $? "ended by a $end: $front is in front"
  kill "$previous_pid" $other_pid 2>/dev/null
  wait "$previous_pid" $other_pid 2>/dev/null
done

echo "== A new display mode while the saver runs"
xdotool mousemove 500 400
WINEDEBUG=+debugstr "$wine" "$scr" /s 2>"$logs/saver-modes.log" &
scr_pid=$!
testhost find-class TZepsScreenSaver 10000 >/dev/null
sleep 1
for mode in 800x600:26x20 1024x768:34x25; do
  size=${mode%:*}
  testhost display-mode "${size%x*}" "${size#*x}"; record $? "the display's mode changes to $size"
  sleep 2
  windows=$(saver_windows)
  cells=$(grep -o 'detonix saver: [^\]*' "$logs/saver-modes.log" | tail -1)
  echo "  window $windows; $cells"
  [ "$windows" = "0,0,${size/x/,} " ] && [ "$cells" = "detonix saver: ${mode#*:} cells of 30 pixels on $size at 96 dpi" ]
  record $? "mode $size: the saver's window covers it, with a new board of its size"
done
screenshot saver-modes.png
colourful saver-modes.png; record $? "the mode changed twice: a board on the screen"
xdotool key a
wait_for "$scr_pid" 10; record $? "the mode changed twice: a key ends the saver"

echo "== Settings dialog"
start_scr /c
state=$(testhost dialog-state 10000)
echo "$state" >"$logs/dialog-defaults.txt"
[ "$(dialog_value client)" = 384x311 ]; record $? "/c: the dialog's client area is 384 x 311"
testhost find-class '#32770' | grep -q ' taskbar=0 '; record $? "/c: no task bar button"
[ "$(dialog_value place1000)" = 8,8,369,265 ] && [ "$(dialog_value place1)" = 112,280,75,25 ] &&
  [ "$(dialog_value place2)" = 192,280,75,25 ]; record $? "/c: page control, OK and Cancel at their places"
[ "$(dialog_value speed)" = Normal ] && [ "$(dialog_value player1)" = Quorin ] &&
  [ "$(dialog_value player2)" = Tavvy ]; record $? "/c: no stored settings show Normal, Quorin and Tavvy"
[ "$(dialog_value forcemaze)$(dialog_value sounds)" = 00 ] && [ "$(dialog_value interval)" = 5 ] &&
  [ "$(dialog_value interval_enabled)$(dialog_value minutes_enabled)" = 00 ]
record $? "/c: both boxes clear, the interval field greyed showing 5"
[ "$(dialog_value osver)" = "Windows NT" ] && [[ "$(dialog_value osbuild)" == "Build 6.1.7601"* ]] &&
  [[ "$(dialog_value mem)" =~ ^Total\ Memory:\ [0-9][0-9,]*\ KB$ ]]
record $? "/c: About texts: $(dialog_value osver), $(dialog_value osbuild), $(dialog_value mem)"
[ "$(dialog_value version)" = "Version $version" ] && [ "$(dialog_value licence)" = "Free software under the MIT licence" ]
record $? "/c: About shows \"$(dialog_value version)\" and \"$(dialog_value licence)\""
win_id=$(xdotool search --name 'Detonix Screen Saver Settings' | head -1)
screenshot dialog-settings.png "$win_id"
testhost dialog-page 1; sleep 0.5
screenshot dialog-about.png "$win_id"
testhost dialog-page 0
page_becomes() {  # PAGE: the dialog shows page PAGE within about three seconds (Wine may be slow)
  local _
  for _ in $(seq 10); do
    [ "$(testhost dialog-state | grep '^page=')" = "page=$1" ] && return 0
    sleep 0.3
  done
  return 1
}
xdotool windowfocus --sync "$win_id" key ctrl+Tab
page_becomes 1 && xdotool key ctrl+shift+Tab && page_becomes 0
record $? "/c: Ctrl+Tab and Ctrl+Shift+Tab switch the pages"
testhost dialog-click 1121  # force a new maze
sleep 0.3
state=$(testhost dialog-state)
[ "$(dialog_value interval_enabled)$(dialog_value minutes_enabled)" = 11 ]; record $? "/c: ticking the force-maze box enables the interval"
testhost dialog-click 1125; testhost dialog-select 1113 2; testhost dialog-click 1101
testhost dialog-click 2  # Cancel
wait_for "$scr_pid" 10; record $? "/c: Cancel closes the dialog and ends the program"
win reg query "$key" >/dev/null 2>&1; record $((1 - $?)) "/c: Cancel after changes writes nothing"

start_scr  # no argument: the dialog too
testhost dialog-state 10000 >/dev/null; record $? "no argument: the settings dialog opens"
testhost dialog-click 1121
testhost dialog-set-text 1122 12
testhost dialog-click 1105  # Very Slow
testhost dialog-select 1114 3  # Olandrix for player 2
testhost dialog-click 1125
testhost dialog-click 1  # OK
wait_for "$scr_pid" 10; record $? "OK closes the dialog and ends the program"
values=$(win reg query "$key")
echo "$values" >"$logs/registry-after-ok.txt"
expect_value() { grep -qiE "^\s*$1\s+$2\s+$3\s*$" <<<"$values"; }
expect_value PerBlocksLeft REG_BINARY 9A9999999999D93F && expect_value PerOfEBlocks REG_BINARY 333333333333C33F &&
  expect_value PerOfPUps REG_DWORD 0x1e && expect_value P1ImageIndex REG_DWORD 0x0 &&
  expect_value P2ImageIndex REG_DWORD 0x12 && expect_value PlayerSpeed REG_DWORD 0x12c &&
  expect_value ForceMaze REG_DWORD 0x1 && expect_value ForceInterval REG_DWORD 0xc && expect_value Sounds REG_DWORD 0x1
record $? "OK writes every value (see logs/registry-after-ok.txt)"

start_scr /c
state=$(testhost dialog-state 10000)
[ "$(dialog_value speed)$(dialog_value player2)$(dialog_value forcemaze)$(dialog_value interval)$(dialog_value sounds)" = \
  "Very SlowOlandrix1121" ]; record $? "/c: the dialog shows what OK wrote"
testhost dialog-click 1121; testhost dialog-click 1103
testhost dialog-close
wait_for "$scr_pid" 10; record $? "/c: the close box ends the program"
[ "$(win reg query "$key")" = "$values" ]; record $? "/c: the close box writes nothing"

echo "== Sound request with sound effects on"
WINEDEBUG=+debugstr "$wine" "$scr" /s 2>"$logs/sound.log" &
scr_pid=$!
testhost find-class TZepsScreenSaver 10000 >/dev/null
for ((i = 0; i < 60; i++)); do
  grep -q 'detonix sound: waveOutGetNumDevs' "$logs/sound.log" && break
  sleep 1
done
xdotool key Escape
wait_for "$scr_pid" 10 >/dev/null
grep -q 'detonix sound: waveOutGetNumDevs 0, stays silent' "$logs/sound.log" &&
  ! grep -q 'detonix sound: worker started' "$logs/sound.log"
record $? "/s: an explosion asks for the sound, and without a wave device no worker starts"

echo "== Wrongly typed registry values"
win reg add "$key" /v PlayerSpeed /t REG_SZ /d fast /f >/dev/null
win reg add "$key" /v PerBlocksLeft /t REG_DWORD /d 5 /f >/dev/null
win reg add "$key" /v P2ImageIndex /t REG_BINARY /d 0102 /f >/dev/null
win reg add "$key" /v ForceMaze /t REG_SZ /d yes /f >/dev/null
win reg add "$key" /v ForceInterval /t REG_DWORD /d 120 /f >/dev/null
start_scr /c
state=$(testhost dialog-state 10000)
[ "$(dialog_value speed)$(dialog_value player2)$(dialog_value forcemaze)" = "NormalTavvy0" ]
record $? "wrong types: the dialog shows the defaults"
[ "$(dialog_value interval)" = 60 ]; record $? "a stored interval of 120 shows as 60, the field's maximum"
testhost dialog-click 2
wait_for "$scr_pid" 10 >/dev/null
start_scr /s
testhost find-class TZepsScreenSaver 10000 >/dev/null; record $? "wrong types: the saver runs"
sleep 2
xdotool key a
wait_for "$scr_pid" 10; record $? "wrong types: the saver ends normally when closed"

echo "== A stored density that could make no maze"
win reg add "$key" /v PerBlocksLeft /t REG_BINARY /d 000000000000F03F /f >/dev/null  # 1.0: no floor left
start_scr /s
testhost find-class TZepsScreenSaver 10000 >/dev/null && sleep 2 && ! testhost message-box 1000 >/dev/null
record $? "/s: fixed blocks of 1.0 play as the default, without a message"
xdotool key a
wait_for "$scr_pid" 10; record $? "/s: and it ends normally"
win reg delete 'HKCU\software\Vantrel_Progs' /f >/dev/null 2>&1

echo "== The interval of a forced maze"
win reg add "$key" /v ForceInterval /t REG_DWORD /d 0 /f >/dev/null
start_scr /c
state=$(testhost dialog-state 10000)
testhost dialog-click 1
wait_for "$scr_pid" 10 >/dev/null
values=$(win reg query "$key")
[ "$(dialog_value forcemaze)$(dialog_value interval)" = 00 ] && expect_value ForceMaze REG_DWORD 0x0 &&
  expect_value ForceInterval REG_DWORD 0x0
record $? "unticked: a stored 0 minutes shows as 0, and OK keeps it"
start_scr /c
testhost dialog-state 10000 >/dev/null
xdotool windowfocus --sync "$(xdotool search --name 'Detonix Screen Saver Settings' | head -1)" key alt+t; sleep 0.3
state=$(testhost dialog-state)
[ "$(dialog_value forcemaze)$(dialog_value interval_enabled) $(dialog_value interval)" = "11 1" ]
record $? "Alt+T ticks the force-maze box, and 0 minutes show as 1"
xdotool key alt+m Down; sleep 0.3
state=$(testhost dialog-state)
[ "$(dialog_value focus) $(dialog_value interval)" = "1122 1" ]; record $? "Alt+M goes to the minutes, whose arrows stop at 1"
testhost dialog-set-text 1122 0
testhost dialog-click 1
wait_for "$scr_pid" 10 >/dev/null
values=$(win reg query "$key")
expect_value ForceMaze REG_DWORD 0x1 && expect_value ForceInterval REG_DWORD 0x1; record $? "ticked: 0 typed and OK write 1 minute"
win reg delete 'HKCU\software\Vantrel_Progs' /f >/dev/null 2>&1

echo "== The Windows 95 family"
win reg add 'HKCU\Software\Wine\AppDefaults\detonix.scr' /v Version /t REG_SZ /d win98 /f >/dev/null
start_scr /c
state=$(testhost dialog-state 10000)
[ "$(dialog_value osver)" = "Windows 98" ] && [[ "$(dialog_value osbuild)" == "Build 4.10."* ]]
record $? "win98: About reads $(dialog_value osver), $(dialog_value osbuild)"
testhost dialog-click 2
wait_for "$scr_pid" 10 >/dev/null
run_cases "/a on the 95 family" testhost expect-exit 10000 "$scr" /a HOST
win reg delete 'HKCU\Software\Wine\AppDefaults\detonix.scr' /f >/dev/null 2>&1

echo "== The version Windows really has"
win reg add 'HKCU\Software\Wine\AppDefaults\detonix.scr' /v Version /t REG_SZ /d win10 /f >/dev/null
start_scr /c
state=$(testhost dialog-state 10000)
[[ "$(dialog_value osbuild)" == "Build 10.0."* ]]; record $? "win10: About reads $(dialog_value osver), $(dialog_value osbuild)"
testhost dialog-click 2
wait_for "$scr_pid" 10 >/dev/null
win reg delete 'HKCU\Software\Wine\AppDefaults\detonix.scr' /f >/dev/null 2>&1

set_dpi() {  # DPI: the display scale of the prefix, for the programs started from now on
  win reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  win reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
    /t REG_DWORD /d "$1" /f >/dev/null
  "$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null
  "$wineserver" -p 2>/dev/null
}

echo "== At 150 % (144 dpi)"
set_dpi 144
xdotool mousemove 500 400
WINEDEBUG=+debugstr "$wine" "$scr" /s 2>"$logs/saver-144dpi.log" &
scr_pid=$!
testhost find-class TZepsScreenSaver 10000 | grep -q 'rect=0,0,1024,768 '; record $? "144 dpi: the saver covers the screen's 1024 x 768 real pixels"
sleep 2
screenshot saver-144dpi.png
xdotool key a
wait_for "$scr_pid" 10 >/dev/null
cells=$(grep -o 'detonix saver: [^\]*' "$logs/saver-144dpi.log" | head -1)
echo "  $cells"
[[ "$cells" == "detonix saver: 22x17 cells of 45 pixels on 1024x768 at 144 dpi" ]]; record $? "144 dpi: a board of 45-pixel cells"
start_scr /c
state=$(testhost dialog-state 10000)
echo "$state" >"$logs/dialog-144dpi.txt"
[ "$(dialog_value client)" = 576x467 ] && [ "$(dialog_value place1000)" = 12,12,554,398 ] &&
  [ "$(dialog_value place1)" = 168,420,113,38 ] && [ "$(dialog_value place1100)" = 12,12,170,182 ]
record $? "144 dpi: the dialog and its controls at one and a half times their places (logs/dialog-144dpi.txt)"
win_id=$(xdotool search --name 'Detonix Screen Saver Settings' | head -1)
screenshot dialog-settings-144dpi.png "$win_id"
testhost dialog-page 1; sleep 0.5
screenshot dialog-about-144dpi.png "$win_id"
testhost dialog-click 2
wait_for "$scr_pid" 10 >/dev/null
set_dpi 96

# Two monitors side by side: a display of its own, 4020 x 1080, split in two by xrandr; with
# UseXRandR off Wine lists the monitors as the X server's Xinerama does. Every program started
# from here on runs on it, so the prefix's server is restarted around the block.
two_monitors() {
  echo "== Two monitors"
  local old_display=$DISPLAY old_xvfb=$xvfb shot cells
  if ! start_xvfb 4020x1080 || ! xrandr --setmonitor LEFT 1920/508x1080/286+0+0 screen ||
     ! xrandr --setmonitor RIGHT 1920/508x1080/286+1920+0 none; then
    echo "SKIP two monitors: no second virtual display of 4020 x 1080 with two xrandr monitors"
    stop_server "$xvfb"
    export DISPLAY=$old_display
    xvfb=$old_xvfb
    return
  fi
  "$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null
  "$wineserver" -p 2>/dev/null
  win reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null
  "$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null; "$wineserver" -p 2>/dev/null

  xdotool mousemove 1900 540
  WINEDEBUG=+debugstr "$wine" "$scr" /s 2>"$logs/saver-two-monitors.log" &
  scr_pid=$!
  testhost find-class TZepsScreenSaver 10000 >/dev/null; record $? "two monitors: /s shows the saver"
  sleep 3
  screenshot saver-two-monitors.png
  for half in left:1920x1080+0+0 right:1920x1080+1920+0; do
    shot=saver-two-monitors-${half%%:*}.png
    convert "$artifacts/saver-two-monitors.png" -crop "${half#*:}" +repage "$artifacts/$shot"
    colourful "$shot"; record $? "two monitors: the ${half%%:*} monitor shows a board ($artifacts/$shot)"
  done
  cells=$(grep -o 'detonix saver: [^\]*' "$logs/saver-two-monitors.log")
  echo "$cells" | sed 's/^/  /'
  [ "$(grep -c '^detonix saver: 64x36 cells of 30 pixels on 1920x1080 at 96 dpi$' <<<"$cells")" = 2 ]
  record $? "two monitors: a board of 64 x 36 cells on each"
  run_cases "two monitors: second /s" testhost expect-exit 5000 "$scr" /s
  xdotool key a
  testhost wait-gone TZepsScreenSaver 5000; record $? "two monitors: a key closes both windows"
  wait_for "$scr_pid" 10; record $? "two monitors: the program ends"

  # A third monitor too small for any maze: it stays covered, black, with the reason written on
  # it; the others play, no box hides them, and input ends all three.
  if xrandr --setmonitor SMALL 180/48x150/40+3840+0 none; then
    "$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null; "$wineserver" -p 2>/dev/null
    xdotool mousemove 1900 540
    WINEDEBUG=+debugstr "$wine" "$scr" /s 2>"$logs/saver-small-monitor.log" &
    scr_pid=$!
    testhost find-class TZepsScreenSaver 10000 >/dev/null
    sleep 3
    windows=$(saver_windows)
    echo "  windows: $windows"
    [ "$windows" = "0,0,1920,1080 1920,0,1920,1080 3840,0,180,150 " ]; record $? "a monitor too small: a window on each of the three"
    screenshot saver-small-monitor.png
    for part in left:1920x1080+0+0 right:1920x1080+1920+0; do
      shot=saver-small-monitor-${part%%:*}.png
      convert "$artifacts/saver-small-monitor.png" -crop "${part#*:}" +repage "$artifacts/$shot"
      colourful "$shot"; record $? "a monitor too small: the ${part%%:*} one plays ($artifacts/$shot)"
    done
    convert "$artifacts/saver-small-monitor.png" -crop 180x150+3840+0 +repage "$artifacts/saver-small-monitor-small.png"
    type=$(identify -format '%[type] %k' "$artifacts/saver-small-monitor-small.png")
    grep -q 'detonix: Board too small: 6 by 5 cells, at least 8 by 8' "$logs/saver-small-monitor.log" &&
      [[ "$type" == Grayscale* && "${type#* }" -gt 2 ]]
    record $? "a monitor too small: its black board says why ($type; $artifacts/saver-small-monitor-small.png)"
    ! testhost message-box 1000 >/dev/null; record $? "a monitor too small: no message box"
    xdotool key a
    testhost wait-gone TZepsScreenSaver 5000; record $? "a monitor too small: a key closes all three windows"
    wait_for "$scr_pid" 10; record $? "a monitor too small: the program ends"
  else
    record 1 "a third xrandr monitor of 180 x 150"
  fi

  win reg delete 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /f >/dev/null 2>&1
  "$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null
  export DISPLAY=$old_display
  stop_server "$xvfb"
  xvfb=$old_xvfb
  "$wineserver" -p 2>/dev/null
}
two_monitors

echo "== The MSI package"
win reg add "$key" /v PlayerSpeed /t REG_DWORD /d 300 /f >/dev/null
cp "$build/detonix.msi" "$WINEPREFIX/drive_c/detonix/"
installed=$WINEPREFIX/drive_c/windows/system32/detonix.scr
win msiexec /i 'C:\detonix\detonix.msi' /qn; record $? "msiexec /i detonix.msi"
cmp -s "$installed" "$build/detonix.scr"; record $? "the saver is in the system folder"
# Registry queries are read to the end: grep -q would stop at the match, and the writer's broken
# pipe fail the test.
win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep 'Detonix Screen Saver' >/dev/null
record $? "an uninstall entry names it"
code=$(sed -n 's/^ProductCode\t//p' <<<"$properties")
entry=$(win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\'"$code")
grep -qiE '^\s*NoModify\s+REG_DWORD\s+0x1\s*$' <<<"$entry" && grep -qiE '^\s*NoRepair\s+REG_DWORD\s+0x1\s*$' <<<"$entry"
record $? "the uninstall entry offers removing only (NoModify, NoRepair)"
"$wine" 'C:\windows\system32\detonix.scr' /s 2>>"$logs/wine.log" &
scr_pid=$!
testhost find-class TZepsScreenSaver 10000 >/dev/null; record $? "the installed saver runs full screen (/s)"
sleep 1; xdotool key a
wait_for "$scr_pid" 10; record $? "the installed saver ends on a key"
"$wine" 'C:\windows\system32\detonix.scr' /c 2>>"$logs/wine.log" &
scr_pid=$!
state=$(testhost dialog-state 10000)
[ "$(dialog_value speed)" = "Very Slow" ]; record $? "the installed saver's dialog (/c) shows the stored settings"
testhost dialog-click 2
wait_for "$scr_pid" 10 >/dev/null
win msiexec /x 'C:\detonix\detonix.msi' /qn; record $? "msiexec /x detonix.msi"
[ ! -e "$installed" ]; record $? "uninstalling removes the saver"
win reg query "$key" /v PlayerSpeed | grep -i '0x12c' >/dev/null; record $? "the settings survive uninstalling"
win reg delete 'HKCU\software\Vantrel_Progs' /f >/dev/null 2>&1

# A newer MSI replaces the older one (one uninstall entry, the new file, the settings kept) and an
# older one refuses to install over it. The newer one is this saver with a few bytes appended, so
# its file can be told apart, packed as the next version.
msi_upgrade() {
  local version next down uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
  local installed=$WINEPREFIX/drive_c/windows/system32/detonix.scr newer=$build/artifacts/upgrade
  local ico=$build/src/shell/win32/assets/detonix.ico
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  next=${version%.*}.$((${version##*.} + 1))
  mkdir -p "$newer"
  { cat "$build/detonix.scr"; echo "detonix $next upgrade test"; } >"$newer/detonix.scr"
  "$root/scripts/build-msi.sh" "$root/src/shell/win32/detonix.wxs" "$newer/detonix.scr" "$ico" \
    "$newer/detonix-$next.msi" "$next"
  record $? "an MSI of version $next"
  msiinfo export "$newer/detonix-$next.msi" Upgrade | tr -d '\r' >"$logs/msi-upgrade-table.txt"
  grep -q 'WIX_UPGRADE_DETECTED' "$logs/msi-upgrade-table.txt" && grep -q 'WIX_DOWNGRADE_DETECTED' "$logs/msi-upgrade-table.txt"
  record $? "the MSI's Upgrade table finds older and newer versions (logs/msi-upgrade-table.txt)"
  cp "$newer/detonix-$next.msi" "$WINEPREFIX/drive_c/detonix/"
  entries() {  # the uninstall entries named Detonix, "name version" each
    win reg query "$uninstall" /s | awk '
      $1 == "DisplayName" && $3 == "Detonix" { name = $3 " " $4 " " $5 }
      $1 == "DisplayVersion" { version = $3 }
      /^HKEY_/ || /^$/ { if (name != "") print name " " version; name = ""; version = "" }
      END { if (name != "") print name " " version }' | sort -u
  }
  # The installed programs take the icon from the product's registration (ARPPRODUCTICON).
  product_icon() {
    local path
    path=$(win reg query 'HKLM\Software\Classes\Installer\Products' /s | sed -n 's/^ *ProductIcon *REG_SZ *//p')
    path=${path#C:\\}
    [ -n "$path" ] && [ "$(wc -l <<<"$path")" = 1 ] && cmp -s "$ico" "$WINEPREFIX/drive_c/${path//\\//}"
  }
  win reg add "$key" /v PlayerSpeed /t REG_DWORD /d 200 /f >/dev/null
  win msiexec /i 'C:\detonix\detonix.msi' /qn; record $? "upgrade: msiexec /i detonix.msi ($version)"
  # Read once: what is printed is what is checked.
  found=$(entries)
  echo "  entries with $version installed: $(tr '\n' ';' <<<"$found")"
  [ "$found" = "Detonix Screen Saver $version" ]; record $? "upgrade: one entry, for $version"
  product_icon; record $? "upgrade: the entry has the saver's icon"
  win msiexec /i "C:\\detonix\\detonix-$next.msi" /qn; record $? "upgrade: msiexec /i detonix-$next.msi over it"
  found=$(entries)
  echo "  entries after installing $next: $(tr '\n' ';' <<<"$found")"
  [ "$found" = "Detonix Screen Saver $next" ]; record $? "upgrade: one entry left, for $next"
  product_icon; record $? "upgrade: the entry has the saver's icon"
  cmp -s "$installed" "$newer/detonix.scr"; record $? "upgrade: the system folder holds the new saver"
  win reg query "$key" /v PlayerSpeed | grep -i '0xc8' >/dev/null; record $? "upgrade: the settings are untouched"
  # Wine neither shows nor logs the launch condition's text under /qn: the log shows the
  # condition that stopped it, the table the text it carries.
  win msiexec /i 'C:\detonix\detonix.msi' /qn /l*v 'C:\detonix\downgrade.log'
  [ $? -ne 0 ]; record $? "downgrade: msiexec /i detonix.msi ($version) over $next fails"
  tr -d '\r\0' <"$WINEPREFIX/drive_c/detonix/downgrade.log" >"$logs/msi-downgrade.log"
  down=$(msiinfo export "$build/detonix.msi" LaunchCondition | tr -d '\r' | grep '^NOT WIX_DOWNGRADE_DETECTED')
  grep -q '^Property(S): WIX_DOWNGRADE_DETECTED = {' "$logs/msi-downgrade.log" &&
    grep -q 'Action ended .*: LaunchConditions. Return value 0' "$logs/msi-downgrade.log" &&
    ! grep -q 'Action start .*: InstallFiles' "$logs/msi-downgrade.log" &&
    [ "$(cut -f2 <<<"$down")" = "A newer version of Detonix Screen Saver is already installed." ]
  record $? "downgrade: stopped by the launch condition \"$(cut -f2 <<<"$down")\" (logs/msi-downgrade.log)"
  found=$(entries)
  echo "  entries after the downgrade: $(tr '\n' ';' <<<"$found")"
  [ "$found" = "Detonix Screen Saver $next" ] && cmp -s "$installed" "$newer/detonix.scr"
  record $? "downgrade: $next stays installed"
  win msiexec /x "C:\\detonix\\detonix-$next.msi" /qn; record $? "upgrade: msiexec /x detonix-$next.msi"
  [ -z "$(entries)" ] && [ ! -e "$installed" ]; record $? "upgrade: removing it leaves no entry and no file"
  win reg delete 'HKCU\software\Vantrel_Progs' /f >/dev/null 2>&1
}

echo "== Upgrading the MSI package"
msi_upgrade

echo "== A high-contrast colour scheme"
# White on black, as the high-contrast schemes have it: the characters' names must show.
for colour in "Window 0 0 0" "WindowText 255 255 255" "Highlight 26 235 255" "HighlightText 0 0 0" \
  "ButtonFace 0 0 0" "ButtonText 255 255 255"; do
  win reg add 'HKCU\Control Panel\Colors' /v "${colour%% *}" /t REG_SZ /d "${colour#* }" /f >/dev/null
done
"$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null; "$wineserver" -p 2>/dev/null
start_scr /c
state=$(testhost dialog-state 10000)
sleep 0.5
screenshot dialog-high-contrast.png
# The name beside the picture, short of the list's button.
IFS=, read -r x y w h <<<"$(dialog_value player1_rect)"
n=$(convert "$artifacts/dialog-high-contrast.png" -crop "$((w - 66))x$((h - 8))+$((x + 44))+$((y + 4))" +repage \
  -format %k info: 2>>"$logs/wine.log")
[ "${n:-0}" -gt 2 ]; record $? "high contrast: the first player's name differs from its background ($n colours)"
testhost dialog-click 2
wait_for "$scr_pid" 10 >/dev/null

"$wineserver" -k 2>/dev/null
echo "Pictures: $artifacts/saver.png $artifacts/dialog-settings.png $artifacts/dialog-about.png $artifacts/preview.png"
echo "          $artifacts/saver-144dpi.png $artifacts/dialog-settings-144dpi.png $artifacts/dialog-about-144dpi.png"
echo "          $artifacts/saver-two-monitors.png $artifacts/saver-small-monitor.png $artifacts/saver-modes.png"
echo "          $artifacts/dialog-high-contrast.png"
summary
