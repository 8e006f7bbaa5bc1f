#!/usr/bin/env bash
# Draws Tunelamp's icon, a white note on the strip's blue, and writes app/tunelamp.ico with
# images of 16, 20, 24, 32 and 48 pixels. Each size is drawn on its own pixel grid without
# anti-aliasing, so it stays sharp and has three colours (blue, white, transparent): stored as
# PNG with a palette, each image is under 250 bytes. The .ico is committed, so a release does
# not depend on this machine's ImageMagick; run this again only to change the drawing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sizes=(16 20 24 32 48)
for s in "${sizes[@]}"; do
  at() { echo $((($1 * s + 50) / 100)); }  # a percentage of the size, in whole pixels
  stem=$(at 44)
  convert -size "${s}x${s}" xc:none +antialias \
    -fill '#0095E6' -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $((s / 5)),$((s / 5))" \
    -fill white -draw "ellipse $(at 36),$(at 70) $(at 15),$(at 11) 0,360" \
    -draw "rectangle $stem,$(at 18) $((stem + (s + 15) / 16)),$(at 70)" \
    -draw "polygon $stem,$(at 16) $(at 76),$(at 32) $(at 76),$(at 46) $(at 50),$(at 33)" \
    -strip -define png:exclude-chunk=bKGD,cHRM,gAMA,sRGB,tIME,zTXt,tEXt,iTXt,pHYs,vpAg \
    -define png:compression-level=9 "PNG8:$work/$s.png"
done

# The .ico: a directory of one 16-byte entry per image, then the PNG files as they are.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
{
  le16 0; le16 1; le16 ${#sizes[@]}
  offset=$((6 + 16 * ${#sizes[@]}))
  for s in "${sizes[@]}"; do
    bytes=$(stat -c %s "$work/$s.png")
    # width, height, no colour count, reserved, 1 plane, 32 bits per pixel once decoded
    printf "\\x$(printf %02x "$s")\\x$(printf %02x "$s")\\x00\\x00"; le16 1; le16 32
    le32 "$bytes"; le32 "$offset"
    offset=$((offset + bytes))
  done
  for s in "${sizes[@]}"; do cat "$work/$s.png"; done
} >"$root/app/tunelamp.ico"
echo "make-icon: app/tunelamp.ico, $(stat -c %s "$root/app/tunelamp.ico") bytes"
