#!/usr/bin/env bash
# Installs what a fresh Debian or Ubuntu machine lacks to build and run Tunelamp:
# the native toolchain with GoogleTest, MinGW-w64 for i686, Wine, Xvfb and a window manager,
# and for the release package zip, unzip and the tools that read a program's resources back.
# Safe to run again: it skips what is already there.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(cmake g++ clang googletest g++-mingw-w64-i686-posix wine wine32:i386 wine64
          xvfb xauth xdotool imagemagick openbox xcompmgr trayer x11-utils qemu-user-static
          zip unzip icoutils libimage-exiftool-perl)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Some kernels are booted with 32-bit emulation switched off: i386 Linux programs (and so
# Wine's 32-bit side) cannot start. Hand them to qemu-i386 through binfmt_misc instead.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  misc=/proc/sys/fs/binfmt_misc
  [ -e "$misc/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$misc"
  if [ ! -e "$misc/qemu-i386" ]; then
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" | $SUDO tee "$misc/register" >/dev/null
  fi
  /usr/lib/wine/wine --version >/dev/null
  echo "setup: 32-bit programs run through qemu-i386"
fi
