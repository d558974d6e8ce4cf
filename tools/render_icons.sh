#!/bin/sh
# Renders the hicolor PNG icons beside packaging/tarvo.svg, which desktops
# without SVG icons (and some menus and docks) use. Run it after changing
# the SVG, and commit the pictures: the build itself needs no renderer.
# Needs rsvg-convert (Debian: librsvg2-bin) and optipng where installed.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
for size in 16 22 24 32 48 64 128 256; do
  out="$here/packaging/icons/${size}x${size}/tarvo.png"
  mkdir -p "$(dirname "$out")"
  rsvg-convert -w "$size" -h "$size" "$here/packaging/tarvo.svg" -o "$out"
  if command -v optipng >/dev/null; then optipng -quiet -o7 -strip all "$out"; fi
done
