#!/usr/bin/env bash
# One entry point for people and CI on a fresh Debian 12 machine (as root, or
# with sudo): installs what is missing, builds, and then
#   run   starts the calculator
#   test  runs every test: a warnings-as-errors build and an ASan+UBSan build
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
jobs=$(nproc 2>/dev/null || echo 2)

packages=(build-essential cmake ninja-build pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev libedit-dev
          qt6-base-dev libgl-dev fonts-dejavu-core
          desktop-file-utils appstream
          clang libclang-rt-14-dev)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {  # dir, extra cmake options...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

passed=0
failed=0
# ctest in a build folder; its counts add up to the closing line of `test`.
run_ctest() {
  local log
  log=$(mktemp)
  (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs") 2>&1 | tee "$log"
  local summary
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + t - f))
  failed=$((failed + f))
}

# Each libFuzzer target for the given number of seconds, from a copy of its
# seed corpus (new inputs stay out of the source tree). An input may spend
# two entries' whole work budget, a few seconds each under the sanitizers:
# only a longer run is a hang.
fuzz() {
  local seconds=$1
  CXX=clang++ CC=clang configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVO_FUZZ=ON -DTARVO_BUILD_UI=OFF -DTARVO_BUILD_TESTS=OFF
  local t corpus
  for t in entry state_files; do
    corpus=$(mktemp -d)
    cp fuzz/corpus/$t/* "$corpus"/
    build-fuzz/fuzz/fuzz_$t "$corpus" -dict=fuzz/entry.dict -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 2>&1 | tail -n 12
    rm -rf "$corpus"
  done
}

case "${1:-}" in
  run)
    install_missing
    configure_and_build build -DCMAKE_BUILD_TYPE=Release
    if [ -x build/ui/qt/tarvo ]; then
      exec build/ui/qt/tarvo
    fi
    exec build/cli/tarvo-cli
    ;;
  test)
    install_missing
    # The benchmarks are built (not run) so that they keep compiling.
    configure_and_build build-ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_WERROR=ON -DTARVO_BUILD_BENCH=ON
    run_ctest build-ci
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVO_WERROR=ON -DTARVO_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build-asan
    fuzz "${TARVO_FUZZ_SECONDS:-60}"
    echo "tests: $passed passed, $failed failed"
    ;;
  fuzz)
    install_missing
    fuzz "${2:-60}"
    ;;
  *)
    echo "usage: $0 run|test|fuzz [seconds]" >&2
    exit 2
    ;;
esac
