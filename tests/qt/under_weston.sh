#!/bin/sh
# Runs a command as a client of a Wayland compositor: weston with its
# headless backend on a 1600x1000 output, the command on Qt's wayland
# platform. Exits 77 (a skipped test) where weston or Qt's wayland plugin
# is not installed; a compositor that does not start is a failure.
#   under_weston.sh COMMAND [ARG...]
# With TARVO_WESTON_SHOT=FILE the command may take a picture of the output
# (weston runs with its screenshooter; the command runs
# "$TARVO_COMPOSITOR_SHOT").
set -u
command -v weston >/dev/null 2>&1 || { echo "weston is not installed (Debian: weston)"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  { echo "Qt's wayland platform plugin is not installed (Debian: qt6-wayland)"; exit 77; }
runtime=$(mktemp -d) || exit 1
chmod 700 "$runtime"
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
socket=tarvo-test
debug=
# A picture needs a renderer that draws (the headless default draws nothing)
# and the screenshooter, which --debug offers.
[ -n "${TARVO_WESTON_SHOT:-}" ] && debug="--debug --use-pixman"
weston --backend=headless-backend.so --socket="$socket" --width=1600 --height=1000 --idle-time=0 \
  --no-config $debug >"$runtime/weston.log" 2>&1 &
compositor=$!
tries=0
until [ -S "$runtime/$socket" ]; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ] || ! kill -0 "$compositor" 2>/dev/null; then
    echo "weston did not start:"; cat "$runtime/weston.log"; exit 1
  fi
  sleep 0.1
done
if [ -n "${TARVO_WESTON_SHOT:-}" ]; then
  # weston-screenshooter writes wayland-screenshot-*.png into the folder it
  # runs in.
  export TARVO_COMPOSITOR_SHOT="cd '$runtime' && timeout 20 weston-screenshooter && mv \"\$(ls -t wayland-screenshot-*.png | head -1)\" '$TARVO_WESTON_SHOT'"
fi
# Under the sanitizers, the leaks of Qt's Wayland client are not Tarvo's.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/wayland_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# The headless output has no seat: Qt 6.4's Wayland input method would
# crash on the key events a test sends without one, so none is loaded.
WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_IM_MODULE=none "$@"
