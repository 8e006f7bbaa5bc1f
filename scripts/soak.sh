#!/usr/bin/env bash
# A long run of tunelamp.exe beside the stand-in player under Wine: the player changes track
# TRACKS times (default 150, a few minutes) while the strip is clicked away, called up by hot
# key and fed odd captions; afterwards Tunelamp must still answer, show and quit, and hold no
# more objects, handles or memory than after its first few displays. Last comes a flood of the
# player's announcement ("WinampSongChange"): Tunelamp must keep working and stay cheap.
#   scripts/soak.sh          the test command's size
#   scripts/soak.sh 2000     the full run (about 50 minutes)
# The programs come from build/win/bin (built there when missing) or from SOAK_BIN. A Wine
# prefix and display already set up by the caller (scripts/test.sh) are used as they are;
# otherwise the script makes its own under build/soak/wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tracks="${1:-150}"
bin="${SOAK_BIN:-$root/build/win/bin}"
build="$root/build/soak"
mkdir -p "$build"

if [ ! -f "$bin/tunelamp.exe" ] || [ ! -f "$bin/player.exe" ]; then
  cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
  cmake --build "$root/build/win" -j2 --target tunelamp player >/dev/null
  bin="$root/build/win/bin"
fi
# The watcher: one Windows process that drives and measures the others from outside.
if [ ! -f "$build/soak.exe" ] || [ "$root/tests/soak/soak.cpp" -nt "$build/soak.exe" ]; then
  i686-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Wpedantic -Wshadow -Wformat=2 \
    -Werror -static -o "$build/soak.exe" "$root/tests/soak/soak.cpp" -lpsapi
fi

# A fresh working folder: settings.ini is read from the current directory.
work="$(mktemp -d "${TMPDIR:-/tmp}/tunelamp-soak.XXXXXX")"
cp "$bin/tunelamp.exe" "$bin/player.exe" "$build/soak.exe" "$work/"
printf '[Main]\r\nKeepTitle=300\r\nCheckTitle=50\r\nMemEconomy=1\r\nColor=$e69500\r\n[Font]\r\nSize=20\r\nName=Tahoma\r\n' \
  >"$work/settings.ini"

own_env=""
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  export WINE_ROOT="$build/wine" WINE_OWN_DISPLAY=1
  # shellcheck source=scripts/wine-env.sh
  source "$root/scripts/wine-env.sh"
  wine_env_start
  own_env=1
fi
cleanup() {
  if [ -n "$own_env" ]; then wine_env_stop; fi
  rm -rf "$work"
}
trap cleanup EXIT

cd "$work"
set +e
# Line by line as it comes (Windows line ends dropped), so progress shows during the run.
wine soak.exe "$tracks" 2>"$build/soak.err" | sed -u 's/\r$//'
status="${PIPESTATUS[0]}"
set -e
if [ "$status" != 0 ]; then
  echo "soak: FAILED: the watcher ended with $status (its stderr: $build/soak.err)"
  exit 1
fi
