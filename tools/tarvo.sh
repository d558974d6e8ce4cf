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
          qt6-base-dev qt6-base-private-dev libgl-dev fonts-dejavu-core
          desktop-file-utils appstream strace acl
          clang)

apt_updated=0
install_packages() {  # package...
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    if ((!apt_updated)); then
      $sudo apt-get update -qq
      apt_updated=1
    fi
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

install_missing() {
  install_packages "${packages[@]}"
  # The sanitizer and fuzzer runtime must be the one of the clang that builds
  # the fuzzers, whichever version the distribution ships.
  local major
  major=$(clang -dumpversion | cut -d. -f1)
  install_packages "libclang-rt-$major-dev"
}

# A compiler cache, where one is installed, makes the repeated builds of a
# developer's machine cheap; CI's fresh machine builds without.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

configure_and_build() {  # dir, extra cmake options...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null || return 1
  cmake --build "$dir" -j "$jobs"
}

passed=0
failed=0
# A stage that cannot even produce its tests (a failed configure or build)
# counts as one failure, so the closing line never hides it.
stage_failed() {  # what
  echo "FAILED: $1" >&2
  failed=$((failed + 1))
}

# ctest in a build folder; its counts add up to the closing line of `test`.
run_ctest() {
  local log status=0
  log=$(mktemp)
  (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs") 2>&1 | tee "$log" || status=$?
  local summary
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$summary" ]; then
    stage_failed "ctest in $1 (exit $status) reported no results"
    return
  fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + t - f))
  failed=$((failed + f))
}

# Builds a folder and runs its tests; a build that fails is one failure and
# the next stage still runs.
build_and_test() {  # dir, extra cmake options...
  local dir=$1
  if configure_and_build "$@"; then
    run_ctest "$dir"
  else
    stage_failed "build in $dir"
  fi
}

# Each libFuzzer target for the given number of seconds, from a copy of its
# seed corpus (new inputs stay out of the source tree). Each target is one
# test: it passes when the fuzzer found nothing. An input may spend two
# entries' whole work budget, a few seconds each under the sanitizers: only a
# longer run is a hang.
fuzz() {
  local seconds=$1
  if ! CXX=clang++ CC=clang configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVO_FUZZ=ON -DTARVO_BUILD_UI=OFF -DTARVO_BUILD_TESTS=OFF; then
    stage_failed "fuzzer build"
    return
  fi
  local t corpus status
  for t in entry state_files; do
    corpus=$(mktemp -d)
    cp fuzz/corpus/$t/* "$corpus"/
    status=0
    build-fuzz/fuzz/fuzz_$t "$corpus" -dict=fuzz/entry.dict -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 >"$corpus.log" 2>&1 || status=$?
    tail -n 12 "$corpus.log"
    if ((status)); then
      tail -n 60 "$corpus.log" | grep -E 'ERROR|SUMMARY|Test unit written' >&2 || true
      stage_failed "fuzz_$t (exit $status)"
    else
      passed=$((passed + 1))
    fi
    rm -rf "$corpus" "$corpus.log"
  done
}

case "${1:-}" in
  run)
    install_missing
    configure_and_build build -DCMAKE_BUILD_TYPE=Release
    # The variable files go to the user's state folder, as from the desktop
    # menu, never into the checkout.
    if [ -x build/ui/qt/tarvo ]; then
      exec build/ui/qt/tarvo --user-state
    fi
    state="${XDG_STATE_HOME:-$HOME/.local/state}"
    [ "${state#/}" != "$state" ] || state="$HOME/.local/state"
    mkdir -p -m 700 "$state/tarvo"
    exec build/cli/tarvo-cli --state-dir "$state/tarvo"
    ;;
  test)
    install_missing
    # Every stage runs even when an earlier one failed, so one run shows
    # every fault; the closing line and the exit status sum them up.
    # The benchmarks are built (not run) so that they keep compiling.
    build_and_test build-ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_WERROR=ON -DTARVO_BUILD_BENCH=ON
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVO_WERROR=ON -DTARVO_SANITIZE=ON
    fuzz "${TARVO_FUZZ_SECONDS:-60}"
    echo "tests: $passed passed, $failed failed"
    ((failed == 0))
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
