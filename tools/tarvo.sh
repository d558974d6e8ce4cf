#!/usr/bin/env bash
# One entry point for people and CI on a fresh Debian 12 machine (as root, or
# with sudo): installs what is missing, builds, and then
#   run   starts the calculator
#   test  runs every test: a warnings-as-errors build and an ASan+UBSan build
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
source tools/install_missing.sh
jobs=$(nproc 2>/dev/null || echo 2)

packages=(build-essential cmake ninja-build pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev libedit-dev
          qt6-base-dev qt6-base-private-dev libgl-dev fonts-dejavu-core
          desktop-file-utils appstream strace acl locales
          weston qt6-wayland
          clang
          # Generated entries through tarvo-cli (tests/cli/entry_sweep.py).
          python3
          # The real window under a screen reader's buses (tests/atspi).
          xvfb xauth dbus-daemon openbox xdotool at-spi2-core python3-pyatspi gir1.2-atspi-2.0)

install_tools() {
  install_missing "${packages[@]}"
  # The sanitizer and fuzzer runtime must be the one of the clang that builds
  # the fuzzers, whichever version the distribution ships.
  local major
  major=$(clang -dumpversion | cut -d. -f1)
  install_missing "libclang-rt-$major-dev"
}

# The engine's locale test needs a locale whose decimal separator is a comma
# (it skips where there is none); locale-gen makes those /etc/locale.gen names.
make_comma_locale() {
  locale -a 2>/dev/null | grep -qiE '^(de_DE|fr_FR)\.utf-?8$' && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Generating the locale de_DE.UTF-8"
  if ! grep -qE '^de_DE\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'de_DE.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen >/dev/null
}

# A compiler cache, where one is installed, makes the repeated builds of a
# developer's machine cheap; CI's fresh machine builds without.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# The builds are the presets of CMakePresets.json: release in build/, ci in
# build-ci/, asan in build-asan/, fuzz in build-fuzz/.
configure_and_build() {  # preset
  cmake --preset "$1" "${launcher[@]}" >/dev/null || return 1
  cmake --build --preset "$1" -j "$jobs"
}

passed=0
failed=0
skipped=0
# A stage that cannot even produce its tests (a failed configure or build)
# counts as one failure, so the closing line never hides it.
stage_failed() {  # what
  echo "FAILED: $1" >&2
  failed=$((failed + 1))
}

# ctest of a preset; its counts add up to the closing line of `test`.
run_ctest() {  # preset
  local log status=0
  log=$(mktemp)
  ctest --preset "$1" -j "$jobs" 2>&1 | tee "$log" || status=$?
  local summary
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  local s
  s=$(grep -cE '\(Skipped\)$' "$log" || true)
  rm -f "$log"
  if [ -z "$summary" ]; then
    stage_failed "ctest in $1 (exit $status) reported no results"
    return
  fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + t - f - s))
  failed=$((failed + f))
  skipped=$((skipped + s))
}

# Builds a preset and runs its tests; a build that fails is one failure and
# the next stage still runs.
build_and_test() {  # preset
  if configure_and_build "$1"; then
    run_ctest "$1"
  else
    stage_failed "build of the preset $1"
  fi
}

# Each libFuzzer target for the given number of seconds, from a copy of its
# seed corpus (new inputs stay out of the source tree). Each target is one
# test: it passes when the fuzzer found nothing. An input may spend two
# entries' whole work budget, a few seconds each under the sanitizers: only a
# longer run is a hang.
fuzz() {
  local seconds=$1
  if ! configure_and_build fuzz; then
    stage_failed "fuzzer build"
    return
  fi
  local t corpus status
  for t in entry state_files tape; do
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
    install_tools
    configure_and_build release
    # The variable files go to the user's state folder, as from the desktop
    # menu, never into the checkout.
    if [ -x build/ui/qt/tarvo ]; then
      exec build/ui/qt/tarvo --user-state
    fi
    exec build/cli/tarvo-cli --user-state
    ;;
  test)
    install_tools
    make_comma_locale
    # Every stage runs even when an earlier one failed, so one run shows
    # every fault; the closing line and the exit status sum them up.
    # The benchmarks are built (not run) so that they keep compiling.
    build_and_test ci
    build_and_test asan
    fuzz "${TARVO_FUZZ_SECONDS:-60}"
    echo "tests: $passed passed, $failed failed, $skipped skipped"
    ((failed == 0))
    ;;
  fuzz)
    install_tools
    fuzz "${2:-60}"
    ;;
  *)
    echo "usage: $0 run|test|fuzz [seconds]" >&2
    exit 2
    ;;
esac
