#!/usr/bin/env bash
# Installs what is missing, builds the window if needed, runs it without a
# display, calculates one entry and saves a picture of the window.
#   tools/screenshot.sh [OUTPUT.png] [ENTRY]
# SCALE=2 draws it at a device-pixel ratio of 2; BUILD_DIR picks the build.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
out=${1:-docs/screenshot.png}
entry=${2:-"2sin²(30)+|-3|"}
build=${BUILD_DIR:-build}
source tools/install_missing.sh
install_missing build-essential cmake ninja-build qt6-base-dev libgl-dev fonts-dejavu-core

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DTARVO_BUILD_UI=ON >/dev/null
fi
cmake --build "$build" --target tarvo -j 2 >/dev/null
mkdir -p "$(dirname "$out")"

# Run in a scratch folder: the screenshot mode reads and writes no variable
# files, and nothing else should land in the tree either.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
abs_out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
(cd "$scratch" && QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=${SCALE:-1} \
   XDG_RUNTIME_DIR="$scratch" "$here/$build/ui/qt/tarvo" --screenshot "$abs_out" --entry "$entry")
echo "$out"
