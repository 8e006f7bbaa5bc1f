#!/usr/bin/env bash
# Measures what tunelamp.exe costs and how smooth it is, under Wine, beside yardstick programs
# in the same run, and writes the table to BENCHMARKS.md (and prints it).
#
#   scripts/bench.sh                  the full run (about 5 minutes)
#   BENCH_REST_SECONDS=20 BENCH_SAMPLES=3 scripts/bench.sh   a quick look
#
# Not a test: nothing here passes or fails on a figure; the table says which goals were met.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

rest_seconds=${BENCH_REST_SECONDS:-60}
samples=${BENCH_SAMPLES:-6}
frame_displays=${BENCH_FRAME_DISPLAYS:-3}
check_ms=500 # CheckTitle's default; the run uses no settings.ini
command_line="scripts/bench.sh"
[ "$rest_seconds" = 60 ] || command_line="BENCH_REST_SECONDS=$rest_seconds $command_line"
[ "$samples" = 6 ] || command_line="BENCH_SAMPLES=$samples $command_line"
[ "$frame_displays" = 3 ] || command_line="BENCH_FRAME_DISPLAYS=$frame_displays $command_line"

load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)
revision=$(git rev-parse --short HEAD)
[ -z "$(git status --porcelain -- app display toolkit tools scripts/bench.sh cmake CMakeLists.txt)" ] ||
  revision="$revision (with uncommitted changes)"

"$root/scripts/setup.sh"

build="$root/build/bench-win"
echo "== release build in $build"
toolchain=()
[ -f "$build/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake)
cmake -S . -B "$build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j2 --target tunelamp player bench_baseline bench_watch tunelamp_framelog \
  >/dev/null
bin="$build/bin"
work="$build/bench-run"
rm -rf "$work"
mkdir -p "$work"

export WINE_ROOT="$build/wine"
WINE_OWN_DISPLAY=1
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wine_env_stop
}
trap cleanup EXIT
echo "== Wine environment"
# On a fresh prefix `wineserver -p` answers an error (wineboot's server still runs); the rest of
# the start must go on regardless.
wine_env_start || true

# Starts a Windows program in the working directory; prints the pid of the Linux process that
# runs it (wine execs into it: under qemu-i386 that is the qemu-i386-static process).
start_program() {
  (cd "$work" && exec wine "$@" </dev/null >/dev/null 2>&1) &
  local pid=$!
  started+=("$pid")
  for _ in $(seq 100); do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "wine/wine.*$(basename "$1")" && break
    sleep 0.1
  done
  echo "$pid"
}

stop_program() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 50); do [ -e "/proc/$1" ] || return 0; sleep 0.1; done
}

# utime + stime of a process, in clock ticks.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }

# Waits until every given process has finished starting: at most one clock tick in a second
# (Wine's start-up under qemu runs for several seconds after the window is there).
wait_idle() {
  local before=() i busy
  for _ in $(seq 60); do
    for i in "$@"; do before+=("$(cpu_ticks "$i")"); done
    sleep 1
    busy=0
    for i in "$@"; do
      [ $(($(cpu_ticks "$i") - before[0])) -le 1 ] || busy=1
      before=("${before[@]:1}")
    done
    [ "$busy" = 1 ] || return 0
  done
}
hz=$(getconf CLK_TCK)
ms_of_ticks() { echo $(($1 * 1000 / hz)); }

# Resident and private memory (kB) as Linux sees the process.
memory_of() {
  local rss private
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$1/status")
  private=$(awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s}' "/proc/$1/smaps_rollup")
  echo "$rss $private"
}

watcher() { (cd "$work" && wine "$bin/bench_watch.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'); }

median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
min_of() { sort -n | head -n1; }
max_of() { sort -n | tail -n1; }

# ---- machine
cpu_model=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
cores=$(nproc)
kernel=$(uname -r)
wine_version=$(wine --version)

# ---- 1. size and imports
exe="$bin/tunelamp.exe"
size=$(stat -c %s "$exe")
imports=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | sort -f | paste -sd' ')
foreign=$(echo "$imports" | tr ' ' '\n' |
  grep -viE '^(kernel32|user32|gdi32|msvcrt|advapi32|shell32|comctl32|ntdll)\.dll$' || true)
baseline_size=$(stat -c %s "$bin/bench_baseline.exe")

# ---- 2. rest without a player: tunelamp polls every 100 ms (no display yet)
echo "== at rest, no player (${rest_seconds} s)"
tl=$(start_program "$bin/tunelamp.exe")
bl=$(start_program "$bin/bench_baseline.exe")
pr=$(start_program "$bin/bench_baseline.exe" probe 100)
pw=$(start_program "$bin/bench_baseline.exe" probe 100 watch)
qemu_used="no"
case "$(readlink "/proc/$tl/exe")" in *qemu*) qemu_used="yes (qemu-i386-static runs Wine's 32-bit side)" ;; esac
wait_idle "$tl" "$bl" "$pr" "$pw"
a_tl=$(cpu_ticks "$tl") a_bl=$(cpu_ticks "$bl") a_pr=$(cpu_ticks "$pr") a_pw=$(cpu_ticks "$pw")
sleep "$rest_seconds"
a_tl=$(($(cpu_ticks "$tl") - a_tl)) a_bl=$(($(cpu_ticks "$bl") - a_bl)) a_pr=$(($(cpu_ticks "$pr") - a_pr))
a_pw=$(($(cpu_ticks "$pw") - a_pw))
read -r a_tl_rss a_tl_priv <<<"$(memory_of "$tl")"
read -r a_bl_rss a_bl_priv <<<"$(memory_of "$bl")"
stop_program "$pr"
stop_program "$pw"

# ---- 2. rest with a player on one long track: after its first display tunelamp polls every
# check interval
echo "== at rest, player on one long track (${rest_seconds} s)"
pl=$(start_program "$bin/player.exe" "list 36000 Bench Artist - Long Track")
pr=$(start_program "$bin/bench_baseline.exe" probe "$check_ms")
pw=$(start_program "$bin/bench_baseline.exe" probe "$check_ms" watch)
settled=$(watcher settle 60000 display)
echo "   $settled"
wait_idle "$tl" "$bl" "$pr" "$pw"
b_tl=$(cpu_ticks "$tl") b_bl=$(cpu_ticks "$bl") b_pr=$(cpu_ticks "$pr") b_pl=$(cpu_ticks "$pl")
b_pw=$(cpu_ticks "$pw")
sleep "$rest_seconds"
b_tl=$(($(cpu_ticks "$tl") - b_tl)) b_bl=$(($(cpu_ticks "$bl") - b_bl))
b_pr=$(($(cpu_ticks "$pr") - b_pr)) b_pl=$(($(cpu_ticks "$pl") - b_pl))
b_pw=$(($(cpu_ticks "$pw") - b_pw))
read -r b_tl_rss b_tl_priv <<<"$(memory_of "$tl")"
read -r b_bl_rss b_bl_priv <<<"$(memory_of "$bl")"
wine_mem=$(watcher mem)
stop_program "$pr"
stop_program "$pw"

# ---- 2. the same rest with the now-playing file and Discord's presence on, Discord absent: the
# file written at each change, a try at Discord's pipe every 30 s. Measured, beside the yardstick;
# then tunelamp runs again without settings for the rest of the run.
echo "== at rest, player on one long track, the file and Discord on, Discord absent (${rest_seconds} s)"
stop_program "$tl"
printf '[Share]\r\nFile=now-playing.txt\r\nDiscordApp=123456789012345678\r\n' >"$work/settings.ini"
tl=$(start_program "$bin/tunelamp.exe")
pw=$(start_program "$bin/bench_baseline.exe" probe "$check_ms" watch)
watcher settle 60000 display >/dev/null || true
wait_idle "$tl" "$pw"
c_tl=$(cpu_ticks "$tl") c_pw=$(cpu_ticks "$pw")
sleep "$rest_seconds"
c_tl=$(($(cpu_ticks "$tl") - c_tl)) c_pw=$(($(cpu_ticks "$pw") - c_pw))
stop_program "$pw"
stop_program "$tl"
rm -f "$work/settings.ini" "$work/now-playing.txt"
tl=$(start_program "$bin/tunelamp.exe")
watcher settle 60000 display >/dev/null || true

# ---- 4. and 5. displays: delay after a caption change, CPU of whole displays; first with a
# player that announces nothing (the check timer finds each title), then announcing each one
echo "== $samples displays, the player announcing nothing: delay and CPU"
d_tl=$(cpu_ticks "$tl")
d_start=$(date +%s%N)
delays=$(watcher delay "$samples" "$check_ms" quiet) || true
d_wall_ms=$((($(date +%s%N) - d_start) / 1000000))
d_tl=$(($(cpu_ticks "$tl") - d_tl))
echo "$delays" | sed 's/^/   /'
delay_values=$(echo "$delays" | awk '/^delay/ {print $3}')
[ -n "$delay_values" ] || { echo "bench: no delay samples: $delays" >&2; exit 1; }
delay_count=$(echo "$delay_values" | wc -l)
# The ticks between displays cost what rest costs; take them out at the rate measured at rest.
display_ms=$(awk -v t="$(ms_of_ticks "$d_tl")" -v w="$d_wall_ms" -v r="$(ms_of_ticks "$b_tl")" \
  -v s="$rest_seconds" -v n="$delay_count" 'BEGIN {printf "%.0f", (t - r * w / (s * 1000)) / n}')
display_raw_ms=$(awk -v t="$(ms_of_ticks "$d_tl")" -v n="$delay_count" 'BEGIN {printf "%.0f", t / n}')

echo "== $samples displays, the player announcing each new title: delay"
announced=$(watcher delay "$samples" "$check_ms" announced) || true
echo "$announced" | sed 's/^/   /'
announced_values=$(echo "$announced" | awk '/^delay/ {print $3}')
[ -n "$announced_values" ] || { echo "bench: no announced delay samples: $announced" >&2; exit 1; }

# The same with a title template: each new title has the fields read from the player's memory
# (the playing file's name, then seven fields, each a message), on a track with a file and tags.
echo "== $samples displays with a title template, the fields read from the player: delay"
(cd "$work" && wine "$bin/player.exe" --hotkey 2 </dev/null >/dev/null 2>&1) || true
for _ in $(seq 100); do [ -e "/proc/$tl" ] || break; sleep 0.1; done
printf '[Main]\r\nText=[%%artist%% - ]%%title%%[ (%%album%%)]\r\n' >"$work/settings.ini"
(cd "$work" && wine "$bin/player.exe" --send tagged "length 36000" </dev/null >/dev/null 2>&1) ||
  { echo "bench: the player refused its tagged list" >&2; exit 1; }
tl=$(start_program "$bin/tunelamp.exe")
watcher settle 60000 display >/dev/null
fields=$(watcher delay "$samples" "$check_ms" announced) || true
echo "$fields" | sed 's/^/   /'
fields_values=$(echo "$fields" | awk '/^delay/ {print $3}')
[ -n "$fields_values" ] || { echo "bench: no samples with the fields read: $fields" >&2; exit 1; }
rm -f "$work/settings.ini"

# The now-playing file beside settings.ini: how long after the strip's first visible frame (its
# announcement of the new track) the file holds the new title.
echo "== $samples displays with the now-playing file: the file against the strip"
(cd "$work" && wine "$bin/player.exe" --hotkey 2 </dev/null >/dev/null 2>&1) || true
for _ in $(seq 100); do [ -e "/proc/$tl" ] || break; sleep 0.1; done
printf '[Share]\r\nFile=now.txt\r\nFileText=%%caption%%\r\n' >"$work/settings.ini"
tl=$(start_program "$bin/tunelamp.exe")
watcher settle 60000 display >/dev/null
shared=$(watcher file "$samples" "$check_ms" now.txt) || true
echo "$shared" | sed 's/^/   /'
file_values=$(echo "$shared" | awk '/^file/ {print $3}')
[ -n "$file_values" ] || { echo "bench: no samples of the now-playing file: $shared" >&2; exit 1; }
rm -f "$work/settings.ini" "$work/now.txt"

# ---- 3. frames per animation, from the counting build
echo "== frames per animation ($frame_displays displays, counting build)"
(cd "$work" && wine "$bin/player.exe" --hotkey 2 </dev/null >/dev/null 2>&1) || true
for _ in $(seq 100); do [ -e "/proc/$tl" ] || break; sleep 0.1; done
rm -f "$work/frames.log"
fl=$(start_program "$bin/tunelamp_framelog.exe")
watcher settle 60000 display >/dev/null
watcher delay "$frame_displays" "$check_ms" announced >/dev/null
pace=$(watcher pace "$frame_displays" | awk '/^pace/ {print $2}') || true
(cd "$work" && wine "$bin/player.exe" --hotkey 2 </dev/null >/dev/null 2>&1) || true
# The first display comes with the program's start-up still settling: shown, not counted.
frames_log=$(tr -d '\r' <"$work/frames.log" | tail -n +3)
tr -d '\r' <"$work/frames.log" | sed 's/^/   /'
appear=$(echo "$frames_log" | awk '$1 == "appear" {print $3}')
disappear=$(echo "$frames_log" | awk '$1 == "disappear" {print $3}')
all_frames=$(echo "$frames_log" | awk '{print $3}')
# Mean time per frame, and for appearances the time from the timer's stop (the probe has just
# seen the new title) to the first alpha above 0.
appear_period=$(echo "$frames_log" | awk '$1 == "appear" {ms += $5; n += $3} END {printf "%.1f", ms / n}')
disappear_period=$(echo "$frames_log" | awk '$1 == "disappear" {ms += $5; n += $3} END {printf "%.1f", ms / n}')
first_visible=$(echo "$frames_log" | awk '$1 == "appear" {print $7}')
# The longest time between two frames of the strip.
one_gap=$(echo "$frames_log" | awk '{print $13}' | max_of)

stop_program "$fl"
stop_program "$pl"
stop_program "$bl"

# ---- 3b. Monitor=all on a display with two monitors: each strip's frames and the longest gap
# between two frames of one strip (a refresh at 60 Hz is 16.7 ms)
echo "== frames per animation with Monitor=all on two monitors ($frame_displays displays)"
wine_env_stop
WINE_TWO_MONITORS=1 wine_env_start || true
printf '[Main]\r\nMonitor=all\r\n' >"$work/settings.ini"
rm -f "$work/frames.log"
pl=$(start_program "$bin/player.exe" "list 36000 Bench Artist - Long Track")
fl=$(start_program "$bin/tunelamp_framelog.exe")
watcher settle 60000 display >/dev/null
watcher delay "$frame_displays" "$check_ms" announced >/dev/null
(cd "$work" && wine "$bin/player.exe" --hotkey 2 </dev/null >/dev/null 2>&1) || true
all_log=$(tr -d '\r' <"$work/frames.log" | tail -n +3)
tr -d '\r' <"$work/frames.log" | sed 's/^/   /'
all_strips=$(echo "$all_log" | awk '{print $9}' | min_of)
all_least=$(echo "$all_log" | awk '{print $11}')
all_gap=$(echo "$all_log" | awk '{print $13}' | max_of)
stop_program "$fl"
stop_program "$pl"
rm -f "$work/settings.ini"

# ---- the table
pct() { awk -v t="$(ms_of_ticks "$1")" -v s="$rest_seconds" 'BEGIN {printf "%.2f %%", t / (s * 10)}'; }
ms() { echo "$(ms_of_ticks "$1") ms"; }
# The load at the end as well: a run whose machine was busy (a one-minute load above half its
# cores, at the start or the end) says so beside every timed goal it missed, since there the
# figures measure the load as much as the program.
load_at_end=$(cut -d' ' -f1-3 /proc/loadavg)
busy=$(awk -v a="${load_at_start%% *}" -v b="${load_at_end%% *}" -v c="$cores" \
  'BEGIN {print (a > c / 2 || b > c / 2) ? "yes" : "no"}')
verdict() {
  if [ "$1" = yes ]; then
    echo "met"
  elif [ "${2:-}" = timed ] && [ "$busy" = yes ]; then
    echo "**missed** (on a busy machine: load $load_at_start at the start, $load_at_end at the end)"
  else
    echo "**missed**"
  fi
}
# Within 10 % of the probing yardstick, plus two clock ticks of measuring grain.
rest_ok() { [ $(($1 * 10)) -le $(($2 * 11 + 20)) ] && echo yes || echo no; }

size_goal=65536 # 64 KiB
size_ok=$([ "$size" -le "$size_goal" ] && [ -z "$foreign" ] && echo yes || echo no)
rest_a_ok=$(rest_ok "$a_tl" "$a_pw")
rest_b_ok=$(rest_ok "$b_tl" "$b_pw")
frames_ok=$([ "$(echo "$all_frames" | min_of)" -ge 195 ] && echo yes || echo no)
# Every strip a frame per refresh at 60 Hz (120 in 2 s), none more than two refreshes apart.
all_ok=$([ "${all_strips:-0}" -ge 2 ] && [ "$(echo "$all_least" | min_of)" -ge 120 ] &&
  [ "${all_gap:-999}" -le 33 ] && echo yes || echo no)
delay_max=$(echo "$delay_values" | max_of)
delay_ok=$(awk -v m="$delay_max" -v c="$check_ms" 'BEGIN {print (m <= c + 20) ? "yes" : "no"}')
announced_median=$(echo "$announced_values" | median)
announced_max=$(echo "$announced_values" | max_of)
announced_ok=$(awk -v m="$announced_median" -v x="$announced_max" \
  'BEGIN {print (m <= 25 && x <= 60) ? "yes" : "no"}')
announced_goal="median ≤ 25 ms, max ≤ 60 ms"
fields_median=$(echo "$fields_values" | median)
fields_ok=$(awk -v f="$fields_median" -v a="$announced_median" 'BEGIN {print (f <= a + 5) ? "yes" : "no"}')
[ "$qemu_used" = no ] || announced_goal="$announced_goal (set for a run without qemu)"

table=$(
  cat <<EOF
# Benchmarks

Made by \`$command_line\` on $(date -u '+%Y-%m-%d %H:%M UTC') at commit $revision.

| Machine | |
|---|---|
| CPU | $cpu_model, $cores cores |
| Kernel | $kernel |
| Wine | $wine_version |
| qemu-i386 in use | $qemu_used |
| Load average at start | $load_at_start |
| Load average at end | $load_at_end |

Under qemu-i386 every Windows instruction is emulated, so CPU figures are several times what
the same program costs on a real 32-bit-capable system; that is why the yardsticks run beside
tunelamp.exe in the same run and under the same conditions. CPU time is utime + stime of the
Linux process that runs each program (/proc/PID/stat, $hz ticks per second), because Wine
answers GetProcessTimes for another process with the caller's own figures.

## 1. Size

| Program | Bytes | Imports |
|---|---|---|
| tunelamp.exe (MinSizeRel, static) | $size | $imports |
| bench_baseline.exe (same build) | $baseline_size | |

Goal ≤ $size_goal bytes (64 KiB), Windows' own DLLs only: $(verdict "$size_ok").

## 2. CPU at rest ($rest_seconds s)

Yardsticks: *timer* is a hidden window with a 500 ms timer and nothing else; *probe* is the
same program polling the player the way tunelamp's title probe does (FindWindowA, the playing
state, the caption) at tunelamp's interval; *probe + watch* is the probe also waiting on change
notifications of the current directory and the program's folder (FindFirstChangeNotificationW,
MsgWaitForMultipleObjectsEx), as tunelamp's settings watch does: it asks for both settings.ini
files' last write time and size (GetFileAttributesExW) only after a change there.

| Case | tunelamp.exe | timer 500 ms | probe yardstick | probe + watch | player.exe |
|---|---|---|---|---|---|
| no player (tunelamp polls every 100 ms) | $(ms "$a_tl") ($(pct "$a_tl")) | $(ms "$a_bl") ($(pct "$a_bl")) | $(ms "$a_pr") (100 ms) | $(ms "$a_pw") | — |
| player on one long track (polls every $check_ms ms) | $(ms "$b_tl") ($(pct "$b_tl")) | $(ms "$b_bl") ($(pct "$b_bl")) | $(ms "$b_pr") ($check_ms ms) | $(ms "$b_pw") | $(ms "$b_pl") |
| the same, with the file and Discord on, Discord absent | $(ms "$c_tl") ($(pct "$c_tl")) | — | — | $(ms "$c_pw") | — |

Goal: no more than the timers, the probe and the watch, i.e. within the probe + watch yardstick
(+10 %, + two clock ticks): no player $(verdict "$rest_a_ok" timed), with player $(verdict "$rest_b_ok" timed).
The row with the file and Discord on is measured beside the yardstick, not judged.

## 3. Frames per animation

Counted by tunelamp_framelog.exe (the same sources, its host wrapped by a frame counter): every
ProcessMessages call between the timer's stop and its restart is one frame. The 10 ms pace
allows 200 per 2000 ms animation. The display at the program's start is left out.

| Animation | Runs | Frames min / median / max | Mean frame period |
|---|---|---|---|
| appearing | $(echo "$appear" | grep -c .) | $(echo "$appear" | min_of) / $(echo "$appear" | median) / $(echo "$appear" | max_of) | $appear_period ms |
| disappearing | $(echo "$disappear" | grep -c .) | $(echo "$disappear" | min_of) / $(echo "$disappear" | median) / $(echo "$disappear" | max_of) | $disappear_period ms |
| the same loop doing nothing (bench_watch.exe pace) | $(echo "$pace" | grep -c .) | $(echo "$pace" | min_of) / $(echo "$pace" | median) / $(echo "$pace" | max_of) | |

A frame is Sleep(10) (10.1 ms under Wine) plus the frame's work: the period above minus 10.1 ms
is what one frame's alpha change, label move and message pumping cost here. The last row is
the ceiling: 2000 ms of pumping and Sleep(10) with no work, in the same run.

Goal ≥ 195 of 200: $(verdict "$frames_ok" timed).

With \`Monitor=all\` on a display with two monitors (a strip on each, $(echo "$all_least" | grep -c .)
animations): each strip took at least $(echo "$all_least" | min_of) frames (median
$(echo "$all_least" | median)) in an animation; the longest time between two frames of one strip
was $all_gap ms, against $one_gap ms with one monitor above. Goal: a frame per refresh at 60 Hz
(≥ 120 in 2 s) on every strip, no gap longer than two refreshes (33 ms): $(verdict "$all_ok" timed).

## 4. CPU of one display

$delay_count displays (appear 2 s, kept 3 s, disappear 2 s; the player announcing nothing) in
$d_wall_ms ms: $(ms "$d_tl") of
tunelamp.exe's CPU, $display_raw_ms ms per display; $display_ms ms per display after taking out
the polling between them at the rate measured at rest.

## 5. Delay from a caption change to the first visible frame

bench_watch.exe renames the player's track through its WM_COPYDATA channel and polls
GetLayeredWindowAttributes on the popup every millisecond until its alpha is above 0; the
changes are spread over the phase of the $check_ms ms check timer. The player either announces
each new caption as Winamp does (it broadcasts the registered message "WinampSongChange", and
the display cycle runs at once), or announces nothing, and the next check finds the title. In the
third row tunelamp has a title template (\`Text=[%artist% - ]%title%[ (%album%)]\`) and the
player's track a file with tags: each new title first has its fields read from the player's
memory (a request placed there, eight messages, read back, freed).

| Player | Samples | min | median | max | goal |
|---|---|---|---|---|---|
| announces each title | $(echo "$announced_values" | grep -c .) | $(echo "$announced_values" | min_of) ms | $announced_median ms | $announced_max ms | $announced_goal: $(verdict "$announced_ok" timed) |
| announces each title, fields read for a template | $(echo "$fields_values" | grep -c .) | $(echo "$fields_values" | min_of) ms | $fields_median ms | $(echo "$fields_values" | max_of) ms | median within 5 ms of the first row's: $(verdict "$fields_ok" timed) |
| announces nothing | $delay_count | $(echo "$delay_values" | min_of) ms | $(echo "$delay_values" | median) ms | $delay_max ms | ≤ $((check_ms + 20)) ms (check interval + 20 ms): $(verdict "$delay_ok" timed) |

With \`[Share] File=now.txt\` and the player announcing each title, the file held the new title
this long after the strip's first visible frame (below 0: before it), over
$(echo "$file_values" | grep -c .) samples: $(echo "$file_values" | min_of) / $(echo "$file_values" | median) / $(echo "$file_values" | max_of) ms
(min / median / max; measured, not a goal).

Inside the program (counting build), from the tick whose probe saw the new title to the first
alpha above 0 (queries, caption, the memory-economy ShowWindow calls, the first frames):
$(echo "$first_visible" | min_of) / $(echo "$first_visible" | median) / $(echo "$first_visible" | max_of) ms (min / median / max).

## 6. Memory at rest

| Case | tunelamp.exe VmRSS / private | timer 500 ms VmRSS / private |
|---|---|---|
| no player | $a_tl_rss / $a_tl_priv kB | $a_bl_rss / $a_bl_priv kB |
| player on one long track | $b_tl_rss / $b_tl_priv kB | $b_bl_rss / $b_bl_priv kB |

From Linux (/proc/PID/status VmRSS, /proc/PID/smaps_rollup Private_Clean + Private_Dirty), so
the figures include Wine's own DLLs and qemu's translated code. Wine's GetProcessMemoryInfo
from a watcher: $(echo "$wine_mem" | paste -sd';' | sed 's/;/; /g') (PrivateUsage is not
filled in by Wine 8; its working set is the Linux process's resident set).
EOF
)
echo "$table" >"$root/BENCHMARKS.md"
echo
echo "$table"
