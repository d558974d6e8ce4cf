#!/usr/bin/env bash
# Installs the peers (bc, python3, qalc) when missing, builds tarvo-cli as
# Release, and pipes the shared corpus of 2,000 scientific expressions through
# `tarvo-cli -n`, `bc -l`, `python3` and `qalc`: checks that they agree to 12
# significant digits and prints each one's start-up time and expressions per
# second side by side (the fast peers read the corpus ten times over per
# timed run, qalc once). qalc alone takes about 40 s.
#   bash bench/compare.sh [corpus]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

source tools/install_missing.sh
install_missing bc qalc python3 cmake ninja-build g++

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_UI=OFF \
  -DTARVO_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target tarvo-cli -j 2 >/dev/null
exec python3 bench/compare.py build-bench/cli/tarvo-cli "$@"
