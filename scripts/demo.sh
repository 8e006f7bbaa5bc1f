#!/usr/bin/env bash
# The demo: Tunelamp and the stand-in player under Wine, on a machine with no Winamp and no
# screen. The player plays its built-in list; Tunelamp shows each new title at the top of the
# screen. Screenshots of three displays, an animated GIF of the first one (fade and slide in,
# stay, fade and slide out), a picture at 150 % display scale, one with the progress line
# (Progress=1), one of the icon in the notification area with its menu open (a tray runs in
# the demo's display), four of the settings window, at 100 % and 150 %, in English and in Russian
# (Language=ru), and one of Monitor=all on
# two monitors (on a display of the demo's own) land in the output folder, named at the end.
#   scripts/demo.sh [OUTPUT_FOLDER]     (default out/demo)
# With DISPLAY set the demo uses that screen; without one it makes its own, with a compositor
# so that the pictures show the strip's real translucency. DEMO_BUILD names another build
# folder than build/win.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
out="$(realpath -m "${1:-out/demo}")"
displays=3

"$root/scripts/setup.sh"
build="$(realpath -m "${DEMO_BUILD:-build/win}")"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j2 --target tunelamp player discord
bin="$build/bin"

rm -rf "$out"
mkdir -p "$out/frames" "$out/run"
# Tunelamp reads settings.ini from its working directory; the demo runs it with none, so it
# shows the defaults: Tahoma 20, the blue strip, three seconds out.

# A prefix of the demo's own, so the demo can run beside the tests.
export WINE_ROOT="$build/demo-wine"
[ -n "${DISPLAY:-}" ] || export NEED_COMPOSITOR=1 WINE_TRAY=1
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wine_env_stop
}
trap finish EXIT
wine_env_start
echo "demo: display $DISPLAY"

read -r screen_width _ < <(xdotool getdisplaygeometry)
# A point of the strip that the text does not reach: its colour tells whether the strip is out.
probe_x=$((screen_width - 60))
probe_y=25
pixel_of() { convert "$1" -crop "1x1+${probe_x}+${probe_y}" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -n1; }
screen() { import -display "$DISPLAY" -window root "$1"; }
now_ms() { date +%s%3N; }

# film FOLDER MS: waits until the strip starts to come out (the probe point leaves its colour),
# then takes pictures of the top 80 rows of the screen every 50 ms for MS milliseconds, as
# FOLDER/frameNNNN.ppm, and writes the time between pictures (in 1/100 s, for the GIF) to
# FOLDER/delay. A fresh `import` per picture takes about a quarter of a second here, too slow
# for a fade, so when Python is there it reads the screen through Xlib itself; otherwise
# `import` does, more slowly and starting later.
film() {
  if command -v python3 >/dev/null; then
    python3 - "$screen_width" 80 50 "$2" "$1" "$probe_x" "$probe_y" <<'PY'
import ctypes, sys, time
from ctypes import c_int, c_uint, c_ulong, c_void_p, c_char_p, POINTER
width, height, interval_ms, duration_ms = (int(a) for a in sys.argv[1:5])
folder = sys.argv[5]
probe_x, probe_y = int(sys.argv[6]), int(sys.argv[7])
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c_void_p
x.XOpenDisplay.argtypes = [c_char_p]
x.XDefaultRootWindow.restype = c_ulong
x.XDefaultRootWindow.argtypes = [c_void_p]
class XImage(ctypes.Structure):
    _fields_ = [("width", c_int), ("height", c_int), ("xoffset", c_int), ("format", c_int),
                ("data", c_void_p), ("byte_order", c_int), ("bitmap_unit", c_int),
                ("bitmap_bit_order", c_int), ("bitmap_pad", c_int), ("depth", c_int),
                ("bytes_per_line", c_int), ("bits_per_pixel", c_int)]
x.XGetImage.restype = POINTER(XImage)
x.XGetImage.argtypes = [c_void_p, c_ulong, c_int, c_int, c_uint, c_uint, c_ulong, c_int]
x.XFree.argtypes = [c_void_p]
display = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(display)

def grab(left, top, w, h):  # 32-bit pixels, blue first
    image = x.XGetImage(display, root, left, top, w, h, 0xFFFFFFFF, 2).contents  # ZPixmap
    raw = ctypes.string_at(image.data, image.bytes_per_line * h)
    x.XFree(image.data)
    return raw, image.bytes_per_line

baseline = grab(probe_x, probe_y, 1, 1)[0][:3]
while grab(probe_x, probe_y, 1, 1)[0][:3] == baseline:
    time.sleep(0.01)
start = time.monotonic()
n = 0
while (time.monotonic() - start) * 1000 < duration_ms:
    raw, stride = grab(0, 0, width, height)
    rgb = bytearray(width * height * 3)
    for row in range(height):
        line = raw[row * stride:row * stride + width * 4]
        base = row * width * 3
        rgb[base + 0:base + width * 3:3] = line[2::4]
        rgb[base + 1:base + width * 3:3] = line[1::4]
        rgb[base + 2:base + width * 3:3] = line[0::4]
    with open("%s/frame%04d.ppm" % (folder, n), "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height) + rgb)
    n += 1
    time.sleep(max(0, start + n * interval_ms / 1000 - time.monotonic()))
with open(folder + "/delay", "w") as f:
    f.write("%d\n" % round((time.monotonic() - start) * 100 / n))
PY
  else
    local start end i=0
    while screen "$1/probe.png" && [ "$(pixel_of "$1/probe.png")" = "$baseline" ]; do :; done
    rm -f "$1/probe.png"
    start=$(now_ms)
    end=$((start + $2))
    while [ "$(now_ms)" -lt "$end" ]; do
      import -display "$DISPLAY" -window root -crop "${screen_width}x80+0+0" +repage \
        "$(printf '%s/frame%04d.ppm' "$1" "$i")"
      i=$((i + 1))
    done
    echo $((($(now_ms) - start) / i / 10)) >"$1/delay"
  fi
}

(cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
pids+=($!)
# The player's client mode finds Tunelamp's popup; hot key 99 means nothing to Tunelamp.
for _ in $(seq 20); do
  wine "$bin/player.exe" --hotkey 99 && break
  sleep 1
done
screen "$out/frames/baseline.png"
baseline="$(pixel_of "$out/frames/baseline.png")"
rm "$out/frames/baseline.png"
# The first display is filmed for the GIF, from the moment it starts to come out until it has
# gone again: two seconds in, three out, two away, and some to spare.
film "$out/frames" 8500 &
film=$!
pids+=("$film")

wine "$bin/player.exe" >/dev/null 2>&1 &
pids+=($!)
echo "demo: the player plays its list; waiting for $displays titles"

# catch NAME ROWS: waits for the strip to come out and come to rest, then keeps the screen as
# NAME.png and its top ROWS rows as NAME-strip.png.
catch() {
  local deadline came previous="" current
  # Wait for the strip to start coming out.
  deadline=$(($(now_ms) + 60000))
  while :; do
    screen "$out/current.png"
    [ "$(pixel_of "$out/current.png")" != "$baseline" ] && break
    if [ "$(now_ms)" -gt "$deadline" ]; then
      echo "demo: no title came out" >&2
      exit 1
    fi
  done
  came=$(now_ms)
  # Out and at rest: the two-second animation is over and the colour holds still.
  while :; do
    current="$(pixel_of "$out/current.png")"
    if [ "$current" = "$previous" ] && [ $(($(now_ms) - came)) -ge 2400 ]; then
      cp "$out/current.png" "$out/$1.png"
      convert "$out/current.png" -crop "${screen_width}x$2+0+0" +repage "$out/$1-strip.png"
      return
    fi
    previous="$current"
    screen "$out/current.png"
  done
}

n=0
while [ "$n" -lt "$displays" ]; do
  n=$((n + 1))
  catch "title-$n" 80
  echo "demo: title $n out: $out/title-$n.png"
  # Wait for it to go away again.
  while [ "$(pixel_of "$out/current.png")" != "$baseline" ]; do screen "$out/current.png"; done
done
rm -f "$out/current.png"
wait "$film"

# Play the GIF at the speed it was filmed.
frames=("$out"/frames/frame*.ppm)
delay="$(cat "$out/frames/delay")"
convert -delay "$delay" -loop 0 "${frames[@]}" -layers Optimize "$out/fade.gif"
rm -rf "$out/frames"
echo "demo: ${#frames[@]} pictures of the first display, $((delay * 10)) ms apart: $out/fade.gif"

# Once more at 150 % scale: the prefix's LogPixels, which each new Wine process reads at its
# start. Tunelamp is started afresh and shows the title playing at once.
desktop='HKCU\Control Panel\Desktop'
wine "$bin/player.exe" --hotkey 2
# One copy at a time: the first must be gone before the second starts.
for _ in $(seq 150); do kill -0 "${pids[0]}" 2>/dev/null || break; sleep 0.1; done
wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
(cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
scaled=$!
pids+=("$scaled")
catch "scale-150" 120
wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
rm -f "$out/current.png"
echo "demo: at 150 %: $out/scale-150.png"

# Once more at 100 % with Progress=1 and LivePosition=1: the line along the strip's bottom edge
# shows how far the track has played, and the position follows it.
wine "$bin/player.exe" --hotkey 2
for _ in $(seq 150); do kill -0 "$scaled" 2>/dev/null || break; sleep 0.1; done
printf '[Main]\r\nProgress=1\r\nLivePosition=1\r\n' >"$out/run/settings.ini"
(cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
pids+=($!)
catch "progress" 80
rm -f "$out/current.png" "$out/run/settings.ini"
echo "demo: with Progress=1: $out/progress.png"

# The icon in the notification area, with TrayIcon=1, and its menu opened by a right click: the
# tray docks the first icon at its right end, in the middle of its 24 rows. The player is closed
# first, so that no strip comes out over the tray (it has the icon's blue).
wine "$bin/player.exe" --hotkey 2
wine "$bin/player.exe" --send close
for _ in $(seq 150); do kill -0 "${pids[-1]}" 2>/dev/null || break; sleep 0.1; done
printf '[Main]\r\nTrayIcon=1\r\n' >"$out/run/settings.ini"
(cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
pids+=($!)
# Right-click the icon once it is docked (its blue shows), until the menu shows below the tray.
icon_pixel() {
  screen "$out/current.png"
  convert "$out/current.png" -crop "1x1+$1+$2" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -n1
}
for _ in $(seq 60); do [ "$(icon_pixel $((screen_width - 6)) 16)" = "#0095E6" ] && break; sleep 0.5; done
below="$(icon_pixel $((screen_width - 60)) 50)"
for _ in $(seq 10); do
  xdotool mousemove $((screen_width - 11)) 12 click 3
  sleep 1.5
  [ "$(icon_pixel $((screen_width - 60)) 50)" != "$below" ] && break
done
convert "$out/current.png" -crop "420x110+$((screen_width - 420))+0" +repage "$out/tray-menu.png"
rm -f "$out/current.png"
xdotool mousemove $((screen_width / 2)) $((screen_width / 4)) click 1
echo "demo: the icon's menu: $out/tray-menu.png"

# settings_window NAME [TITLE]: the settings window (titled TITLE, by default "Tunelamp
# settings"), chosen in the icon's menu (the middle of its five
# items; the open menu is the X window of tunelamp.exe narrower than the screen), kept as NAME.png
# with its frame, then closed with Esc.
settings_window() {
  local window="" menu id X Y WIDTH HEIGHT
  for _ in $(seq 10); do
    xdotool mousemove $((screen_width - 11)) 12 click 3
    sleep 1.5
    menu=""
    for id in $(xdotool search --onlyvisible --classname tunelamp.exe 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      [ "$WIDTH" -lt "$screen_width" ] && menu=$id
    done
    [ -n "$menu" ] || continue
    eval "$(xdotool getwindowgeometry --shell "$menu")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.3 click 1
    for _ in $(seq 20); do
      window=$(xdotool search --onlyvisible --limit 1 --name "${2:-Tunelamp settings}" 2>/dev/null) && break
      sleep 0.25
    done
    [ -n "$window" ] && break
  done
  [ -n "$window" ] || { echo "demo: the settings window did not open" >&2; exit 1; }
  sleep 1.5
  import -display "$DISPLAY" -frame -window "$window" "$out/$1.png"
  xdotool windowactivate --sync "$window" key Escape 2>/dev/null || true
  echo "demo: the settings window: $out/$1.png"
}
settings_window settings

# The same at 150 %: Tunelamp started afresh with the prefix's LogPixels at 144.
wine "$bin/player.exe" --hotkey 2
for _ in $(seq 150); do kill -0 "${pids[-1]}" 2>/dev/null || break; sleep 0.1; done
wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
(cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 60); do [ "$(icon_pixel $((screen_width - 6)) 16)" = "#0095E6" ] && break; sleep 0.5; done
sleep 1
settings_window settings-150
wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1

# The window in Russian (Language=ru, lang\ru.txt beside the program), at 100 % and 150 %: its
# controls as wide as the longer words need.
for dpi in 96 144; do
  wine "$bin/player.exe" --hotkey 2
  for _ in $(seq 150); do kill -0 "${pids[-1]}" 2>/dev/null || break; sleep 0.1; done
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  printf '[Main]\r\nTrayIcon=1\r\nLanguage=ru\r\n' >"$out/run/settings.ini"
  (cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 60); do [ "$(icon_pixel $((screen_width - 6)) 16)" = "#0095E6" ] && break; sleep 0.5; done
  sleep 1
  settings_window "settings-ru$([ "$dpi" = 96 ] || echo -150)" "Настройки Tunelamp"
done
wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
rm -f "$out/current.png" "$out/run/settings.ini"

# Quit Tunelamp with its hot key (Ctrl+Shift+V).
wine "$bin/player.exe" --hotkey 2
for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
pids=()

# Monitor=all on a display with two monitors (1280x800 and 1600x900): a strip on each. Xvfb
# puts the two at the origin, one over the other, so each strip is taken from its own window and
# the two are set side by side over a strip of each monitor's desktop, as they stand on a desk.
if [ -n "${NEED_COMPOSITOR:-}" ]; then
  wine_env_stop
  unset DISPLAY
  WINE_TRAY='' WINE_TWO_MONITORS=1 wine_env_start
  printf '[Main]\r\nMonitor=all\r\nKeepTitle=60000\r\nMemEconomy=0\r\n' >"$out/run/settings.ini"
  (cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 20); do
    wine "$bin/player.exe" --hotkey 99 && break
    sleep 1
  done
  wine "$bin/player.exe" >/dev/null 2>&1 &
  pids+=($!)
  # The strips' X windows, once both are out: "WIDTH ID" for each 50 rows high.
  strips=""
  for _ in $(seq 120); do
    strips=$(for id in $(xdotool search --classname 'tunelamp.exe' 2>/dev/null || true); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      # shellcheck disable=SC2153 # WIDTH and HEIGHT come from the eval
      [ "$HEIGHT" != 50 ] || echo "$WIDTH $id"
    done | sort -n)
    [ "$(echo "$strips" | grep -c .)" = 2 ] && break
    sleep 0.5
  done
  [ "$(echo "$strips" | grep -c .)" = 2 ] || { echo "demo: no two strips came out" >&2; exit 1; }
  sleep 3 # the animation is over
  panels=()
  while read -r width id; do
    import -display "$DISPLAY" -window "$id" "$out/strip-$width.png"
    # The window's rounded region, as the strip has it (the corners' ellipse is 50 across).
    convert "$out/strip-$width.png" \( -size "${width}x50" xc:none -fill white \
      -draw "roundrectangle 0,0,$((width - 1)),49,25,25" \) -alpha set -compose DstIn -composite \
      "$out/strip-$width.png"
    convert -size "${width}x110" 'xc:#3b4252' "$out/strip-$width.png" -geometry +0+0 -composite \
      -bordercolor '#1c1c1c' -border 12 "$out/panel-$width.png"
    panels+=("$out/panel-$width.png")
    rm "$out/strip-$width.png"
  done <<<"$strips"
  convert -background white "${panels[0]}" -size 40x1 xc:white "${panels[1]}" -gravity north \
    +append -resize 50% "$out/two-monitors.png"
  rm -f "${panels[@]}" "$out/run/settings.ini"
  wine "$bin/player.exe" --hotkey 2
  wine "$bin/player.exe" --send close
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
  echo "demo: Monitor=all on two monitors: $out/two-monitors.png"
fi
# Share what plays: Tunelamp tells the stand-in Discord (tools/discord) what plays, through
# Discord's local pipe, and writes the now-playing file. Two tracks, a pause; then what the
# stand-in received, beside what the file holds.
printf '[Main]\r\nKeepTitle=500\r\n[Share]\r\nDiscordApp=123456789012345678\r\nFile=now-playing.txt\r\n' \
  >"$out/run/settings.ini"
(cd "$out/run" && exec wine "$bin/discord.exe" --record discord.txt) >/dev/null 2>&1 &
discord=$!
pids+=("$discord")
(cd "$out/run" && exec wine "$bin/tunelamp.exe") >/dev/null 2>&1 &
pids+=($!)
wine "$bin/player.exe" >/dev/null 2>&1 &
pids+=($!)
sleep 8
wine "$bin/player.exe" --send next
sleep 6
file_playing="$(cat "$out/run/now-playing.txt" 2>/dev/null || true)"
wine "$bin/player.exe" --send "state 3"
sleep 3
wine "$bin/player.exe" --hotkey 2
wine "$bin/player.exe" --send close
sleep 1
kill "$discord" 2>/dev/null || true
echo "demo: what the stand-in Discord received (ms, frame, JSON):"
tr -d '\r' <"$out/run/discord.txt" | sed 's/^/  /'
cp "$out/run/discord.txt" "$out/discord.txt"
if [ -n "$file_playing" ]; then
  echo "demo: the now-playing file held, while the second track played: $file_playing"
fi
rm -f "$out/run/settings.ini"

rm -rf "$out/run"
echo "demo: done; pictures in $out"
