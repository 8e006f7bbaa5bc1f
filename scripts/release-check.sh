#!/usr/bin/env bash
# Checks the release package (scripts/release.sh) as a user and a verifier would see it:
#   - reproducible: two copies of the work tree, in two folders of different names, made and
#     built one after the other, give the same zip byte for byte;
#   - the zip holds what the read-me promises, in that order;
#   - its tunelamp.exe carries the project's version in its version resource and the manifest,
#     and the manifest asks for UTF-8 and for the caller's rights, read back with Debian's
#     exiftool and wrestool;
#   - its PE header carries the hardening flags, read back with objdump.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

# The copies are no git checkouts: they get the commit's time as the release would.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A copy of the work tree as it is (tracked and new files, not what .gitignore names), with
# the files' times of the moment of copying.
copy_tree() {
  mkdir -p "$1"
  git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -xmf - -C "$1"
}

release_in() {
  echo "== release build in $1"
  copy_tree "$1"
  (cd "$1" && SOURCE_DATE_EPOCH="$epoch" scripts/release.sh)
}

release_in "$work/first"
release_in "$work/second-copy/of/the/sources"
first=("$work"/first/dist/tunelamp-*-win32.zip)
second=("$work"/second-copy/of/the/sources/dist/tunelamp-*-win32.zip)
zip_file=${first[0]}

failures=0
fail() {
  echo "release-check: $*" >&2
  failures=$((failures + 1))
}

echo "== the two zips"
if cmp "$zip_file" "${second[0]}"; then
  echo "identical: $(sha256sum "$zip_file" | cut -d' ' -f1)"
else
  fail "two builds of the same sources gave different zips"
  mkdir -p "$work/a" "$work/b"
  unzip -q "$zip_file" -d "$work/a" && unzip -q "${second[0]}" -d "$work/b"
  diff -r "$work/a" "$work/b" >&2 || true
  zipinfo -v "$zip_file" >"$work/a.info"
  zipinfo -v "${second[0]}" >"$work/b.info"
  diff "$work/a.info" "$work/b.info" | head -n 40 >&2 || true
fi

echo "== the zip's files"
listed=$(unzip -Z1 "$zip_file" | paste -sd' ')
echo "$listed"
[ "$listed" = "tunelamp.exe settings.ini README.txt LICENSE.txt lang/en.txt lang/ru.txt" ] ||
  fail "the zip holds '$listed', not tunelamp.exe settings.ini README.txt LICENSE.txt lang/en.txt lang/ru.txt"

echo "== the zip's language files: the template the build wrote, and Russian"
template=$(unzip -p "$zip_file" lang/en.txt | tr -d '\r')
russian=$(unzip -p "$zip_file" lang/ru.txt | tr -d '\r')
grep -qxF 'MenuQuit = Quit' <<<"$template" || fail "lang/en.txt lacks the English MenuQuit"
grep -qxF 'LanguageInItself = Русский' <<<"$russian" || fail "lang/ru.txt does not name itself"
[ "$(grep -c '^[A-Za-z]* = ' <<<"$template")" = "$(grep -c '^[A-Za-z]* = ' <<<"$russian")" ] ||
  fail "lang/ru.txt has not as many texts as the template"

echo "== the zip's settings.ini: the icon and keys that take no everyday shortcut"
zip_settings=$(unzip -p "$zip_file" settings.ini | tr -d '\r')
for line in TrayIcon=1 ShowNow=Ctrl+Alt+Shift+F10 Automatic=Ctrl+Alt+Shift+F11 \
  Quit=Ctrl+Alt+Shift+F12 KeepTitle=3000 MemEconomy=1 Size=20; do
  grep -qxF "$line" <<<"$zip_settings" && echo "$line" || fail "the zip's settings.ini lacks $line"
done
grep -q '^Quit=Ctrl+Shift+V$' <<<"$zip_settings" && fail "the zip's settings.ini keeps Quit=Ctrl+Shift+V"

echo "== tunelamp.exe's version resource and manifest"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$work/first/build/release/CMakeCache.txt")
unzip -q "$zip_file" tunelamp.exe -d "$work/exe"
exe="$work/exe/tunelamp.exe"
tag() { exiftool -s3 -"$1" "$exe"; }
tag_is() {
  local value
  value=$(tag "$1")
  echo "$1: $value"
  [ "$value" = "$2" ] || fail "$1 is '$value', not '$2'"
}
tag_is FileVersion "$version"
tag_is ProductVersion "$version"
tag_is FileVersionNumber "$version.0"
tag_is ProductVersionNumber "$version.0"
tag_is OriginalFileName tunelamp.exe
tag_is ProductName Tunelamp
for name in FileDescription CompanyName LegalCopyright; do
  value=$(tag "$name")
  echo "$name: $value"
  [ -n "$value" ] || fail "no $name in the version resource"
done

manifest=$(wrestool -x --raw --type=24 --name=1 "$exe" | tr -d '\r')
identity=$(echo "$manifest" | grep -o '<assemblyIdentity [^>]*>' || true)
echo "manifest: $identity"
echo "$identity" | grep -q "version=\"$version.0\"" ||
  fail "the manifest's assemblyIdentity does not say version $version.0"
echo "$manifest" | grep -q '<activeCodePage[^>]*>UTF-8</activeCodePage>' ||
  fail "the manifest does not ask for UTF-8 as the ANSI code page"
# The caller's rights, inside trustInfo's security/requestedPrivileges, where Windows looks.
echo "$manifest" | tr -d '\n' |
  grep -q '<trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">[[:space:]]*<security>[[:space:]]*<requestedPrivileges>[[:space:]]*<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' ||
  fail "the manifest does not ask for the caller's rights (asInvoker) in its trustInfo block"

echo "== tunelamp.exe's header"
flags=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
echo "DllCharacteristics: $flags"
# Address-space randomisation, no execution of data, no structured exception handlers (so none can
# be planted), and terminal-server aware (no per-user copies of Windows' files for it).
for flag in 0x0040:DYNAMIC_BASE 0x0100:NX_COMPAT 0x0400:NO_SEH 0x8000:TERMINAL_SERVER_AWARE; do
  if [ -z "$flags" ] || (((0x$flags & ${flag%%:*}) == 0)); then
    fail "the PE header does not say ${flag#*:} (DllCharacteristics '$flags')"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "release-check: $failures check(s) failed" >&2
  exit 1
fi
echo "release-check: passed"
