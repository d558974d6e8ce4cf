#!/usr/bin/env bash
# Measures the window under Xvfb beside a bare Qt 6 window built here:
#   - time from launch to the first mapped window (Tarvo: the splash),
#   - resident memory after 2 s idle (Tarvo: the main window, splash gone),
#   - voluntary context switches during 5 s of a window left idle for 12 s
#     (wake-ups of an idle window).
# Usage: bench/window.sh [RUNS]   (default 10 launches each; medians printed)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
runs=${1:-10}

source tools/install_missing.sh
install_missing xvfb libx11-dev qt6-base-dev libgl-dev pkg-config build-essential cmake ninja-build

build=${BUILD_DIR:-build-bench-window}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tarvo -j 2 >/dev/null
work=$(mktemp -d)
trap 'kill "${xvfb_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cc -O2 -o "$work/map_wait" bench/window/map_wait.c -lX11
g++ -O2 -fPIC -o "$work/bare_window" bench/window/bare_window.cpp $(pkg-config --cflags --libs Qt6Widgets)

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; [ -e /tmp/.X11-unix/X97 ] && break; sleep 0.1; done
export XDG_RUNTIME_DIR=$work

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
rss_kib() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }
switches() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$1/status"; }

measure() {  # label, program...
  local label=$1; shift
  local times=() rss=() ms pid
  for _ in $(seq "$runs"); do
    read -r ms pid < <(cd "$work" && "$work/map_wait" "$@")
    times+=("$ms")
    sleep 2.4  # the splash hands over after 400 ms; then 2 s idle
    rss+=("$(rss_kib "$pid")")
    kill -9 "$pid"; wait "$pid" 2>/dev/null || true
  done
  # Wake-ups: a window left alone for 12 s (past the caret's blinking time),
  # then its voluntary context switches over 5 s.
  read -r ms pid < <(cd "$work" && "$work/map_wait" "$@")
  sleep 12
  local s0 s1; s0=$(switches "$pid"); sleep 5; s1=$(switches "$pid")
  kill -9 "$pid"; wait "$pid" 2>/dev/null || true
  printf '%-12s launch-to-map %7.1f ms   RSS %7.1f MiB   wake-ups in 5 s idle %4d\n' "$label" \
    "$(printf '%s\n' "${times[@]}" | median)" \
    "$(printf '%s\n' "${rss[@]}" | median | awk '{print $1/1024}')" \
    "$((s1 - s0))"
}

echo "Median of $runs launches each, Xvfb $DISPLAY, $(nproc) cores"
measure "bare Qt 6" "$work/bare_window"
measure "tarvo" "$here/$build/ui/qt/tarvo"
