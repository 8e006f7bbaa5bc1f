#!/usr/bin/env bash
# The demo: Tunelamp and the stand-in player under Wine, on a machine with no Winamp and no
# screen. The player plays its built-in list; Tunelamp shows each new title at the top of the
# screen. Screenshots of three displays and an animated GIF of the first one (fade and slide in,
# stay, fade and slide out) land in the output folder, named at the end.
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
cmake --build "$build" -j2 --target tunelamp player
bin="$build/bin"

rm -rf "$out"
mkdir -p "$out/frames" "$out/run"
# Tunelamp reads settings.ini from its working directory; the demo runs it with none, so it
# shows the defaults: Tahoma 20, the blue strip, three seconds out.

# A prefix of the demo's own, so the demo can run beside the tests.
export WINE_ROOT="$build/demo-wine"
[ -n "${DISPLAY:-}" ] || export NEED_COMPOSITOR=1
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

wine "$bin/player.exe" >/dev/null 2>&1 &
pids+=($!)
echo "demo: the player plays its list; waiting for $displays titles"

# The first display is filmed for the GIF: 75 pictures of the strip, as fast as import takes
# them (about 8 a second here), from the moment it starts to come out.
gif_frames=75
gif_start=0
gif_end=0
for n in $(seq "$displays"); do
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
  film=""
  if [ "$n" -eq 1 ]; then
    gif_start=$came
    import -display "$DISPLAY" -window root -snaps "$gif_frames" -pause 0 \
      -crop "${screen_width}x80+0+0" +repage "$out/frames/frame.png" &
    film=$!
  fi
  previous=""
  shot=0
  # Follow it out and away again.
  while :; do
    current="$(pixel_of "$out/current.png")"
    [ "$current" = "$baseline" ] && break
    # Out and at rest: the two-second animation is over and the colour holds still.
    if [ "$shot" -eq 0 ] && [ "$current" = "$previous" ] && [ $(($(now_ms) - came)) -ge 2400 ]; then
      cp "$out/current.png" "$out/title-$n.png"
      convert "$out/current.png" -crop "${screen_width}x80+0+0" +repage "$out/title-$n-strip.png"
      echo "demo: title $n out: $out/title-$n.png"
      shot=1
    fi
    previous="$current"
    screen "$out/current.png"
  done
  if [ -n "$film" ]; then
    wait "$film"
    gif_end=$(now_ms)
  fi
done
rm -f "$out/current.png"

# Play the GIF at the speed it was filmed.
delay=$(((gif_end - gif_start) / gif_frames / 10))
frames=()
for i in $(seq 0 $((gif_frames - 1))); do frames+=("$out/frames/frame-$i.png"); done
convert -delay "$delay" -loop 0 "${frames[@]}" "$out/fade.gif"
echo "demo: $gif_frames pictures of the first display, $((delay * 10)) ms apart: $out/fade.gif"

# Quit Tunelamp with its hot key (Ctrl+Shift+V) and close the player.
wine "$bin/player.exe" --hotkey 2
wine "$bin/player.exe" --send close
for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
pids=()
rm -rf "$out/run"
echo "demo: done; pictures in $out"
