#!/usr/bin/env bash
# Builds the release program and packs it for Windows users:
#   dist/tunelamp-<version>-win32.zip   tunelamp.exe, settings.ini, README.txt, LICENSE.txt and
#                                       lang\ (en.txt, the template the build writes, and the
#                                       translations of lang/)
#   dist/SHA256SUMS                     its SHA-256, as sha256sum -c reads it
# The version is the CMake project's. The same sources give the same bytes, in any folder and
# at any time: the program carries no time stamp and no path, and the zip's entries have the
# commit's time, a fixed order and fixed modes (scripts/release-check.sh proves it).
#
#   RELEASE_BUILD       the build folder (default build/release)
#   SOURCE_DATE_EPOCH   the entries' time; by default the time of the commit checked out
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

entry_time=${SOURCE_DATE_EPOCH:-}
if [ -z "$entry_time" ]; then
  if [ ! -e "$root/.git" ]; then
    echo "release: not a git checkout: set SOURCE_DATE_EPOCH to the sources' time" >&2
    exit 1
  fi
  entry_time=$(git log -1 --format=%ct)
  [ -z "$(git status --porcelain)" ] ||
    echo "release: note: the work tree has uncommitted changes; the package is not the commit's"
fi
# The time is the zip entries' only. The linker and the compiler would take it from the
# environment too; the program must come out the same without it (and so carry no time).
unset SOURCE_DATE_EPOCH

build="${RELEASE_BUILD:-$root/build/release}"
toolchain=()
[ -f "$build/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake)
cmake -S . -B "$build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j2 --target tunelamp >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "release: no project version in $build/CMakeCache.txt" >&2; exit 1; }

# The commented settings file is the README's block: one text for both.
settings=$(awk '/^```ini$/ {inside = 1; next} inside && /^```$/ {exit} inside' README.md)
case "$settings" in
  *"[Main]"*) ;;
  *) echo "release: README.md has no \`\`\`ini block with the settings" >&2; exit 1 ;;
esac

# The zip's file is set up for today's desktop: the icon in the notification area, and keys that
# take no everyday shortcut from other programs (the README's suggested set). Everything else
# keeps its default and its comment; the README's block keeps showing the defaults.
settings=$(printf '%s\n' "$settings" | awk '
  BEGIN {
    swap["TrayIcon=0"] = "TrayIcon=1"
    swap["ShowNow=Ctrl+Shift+X"] = "ShowNow=Ctrl+Alt+Shift+F10"
    swap["Automatic=Ctrl+Shift+C"] = "Automatic=Ctrl+Alt+Shift+F11"
    swap["Quit=Ctrl+Shift+V"] = "Quit=Ctrl+Alt+Shift+F12"
    print "; As it comes in the zip: TrayIcon=1 and keys that take no everyday shortcut. The"
    print "; defaults are TrayIcon=0 and Ctrl+Shift+X, C and V (see README.txt)."
  }
  $0 in swap { print swap[$0]; done++; next }
  { print }
  END { if (done != 4) exit 1 }') ||
  { echo "release: the README's settings block lacks TrayIcon=0 or a default key" >&2; exit 1; }

# Notepad before Windows 10 shows LF-only files as one line.
crlf() { sed 's/\r*$/\r/'; }

stage="$build/package"
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/bin/tunelamp.exe" "$stage/tunelamp.exe"
printf '%s\n' "$settings" | crlf >"$stage/settings.ini"
# The read-me's settings are the zip's file, indented.
VERSION="$version" SETTINGS="$settings" awk '
  BEGIN { version = ENVIRON["VERSION"]; settings = ENVIRON["SETTINGS"] }
  $0 == "@SETTINGS@" { n = split(settings, lines, "\n"); for (i = 1; i <= n; i++) print (lines[i] == "" ? "" : "    " lines[i]); next }
  { gsub(/@VERSION@/, version); print }' package/README.txt.in | crlf >"$stage/README.txt"
crlf <LICENSE >"$stage/LICENSE.txt"
# The language files, as the build put them beside tunelamp.exe, for Notepad too.
mkdir -p "$stage/lang"
languages=()
for file in "$build/bin/lang/en.txt" $(ls "$build"/bin/lang/*.txt | LC_ALL=C sort | grep -v '/en\.txt$'); do
  crlf <"$file" >"$stage/lang/$(basename "$file")"
  languages+=("lang/$(basename "$file")")
done

# What zip records besides the bytes: each entry's time (in local time: TZ=UTC), its mode,
# and, unless -X, the owner and extra time stamps. Pin them all; name the entries in order.
entries=(tunelamp.exe settings.ini README.txt LICENSE.txt "${languages[@]}")
(cd "$stage" && chmod 0644 "${entries[@]}" && touch -d "@$entry_time" "${entries[@]}")
mkdir -p dist
zip_name="tunelamp-$version-win32.zip"
rm -f "dist/$zip_name"
(cd "$stage" && TZ=UTC zip -X -q -9 "$root/dist/$zip_name" "${entries[@]}")
(cd dist && sha256sum "$zip_name" >SHA256SUMS)

echo "release: dist/$zip_name ($(stat -c %s "dist/$zip_name") bytes; tunelamp.exe $(stat -c %s "$stage/tunelamp.exe") bytes)"
cat dist/SHA256SUMS
