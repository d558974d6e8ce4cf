#!/usr/bin/env bash
# Builds and runs the Google Benchmark suite (Release-level optimisation):
#   bash bench/run.sh [--benchmark_filter=REGEX ...]
# The last line printed is the median whole-cycle time over the typical entries.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
source tools/install_missing.sh
install_missing libbenchmark-dev cmake ninja-build g++
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_UI=OFF \
  -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=ON >/dev/null
cmake --build build-bench --target tarvo_bench -j 2 >/dev/null
exec build-bench/bench/tarvo_bench --benchmark_color=false "$@"
