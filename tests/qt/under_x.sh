#!/bin/sh
# Runs a command as a client of an X server of its own (Xvfb, 1280x900), on
# Qt's xcb platform; with --window-manager, openbox manages its windows, else
# none does (no one then gives the keyboard to a window but the program).
# Exits 77 (a skipped test) where Xvfb or openbox is not installed.
#   under_x.sh [--window-manager] COMMAND [ARG...]
set -u
manager=
if [ "${1:-}" = --window-manager ]; then
  manager=openbox
  shift
fi
for tool in xvfb-run xauth $manager; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed (Debian: xvfb xauth openbox)"; exit 77; }
done
runtime=$(mktemp -d) || exit 1
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="suppressions=$(dirname "$0")/x_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset WAYLAND_DISPLAY
cat >"$runtime/session.sh" <<'EOS'
if [ -n "$1" ]; then
  "$1" >/dev/null 2>&1 & manager=$!
  sleep 1
fi
shift
"$@"; status=$?
[ -n "${manager:-}" ] && kill "$manager" 2>/dev/null
exit $status
EOS
xvfb-run -a -s "-screen 0 1280x900x24 -noreset" sh "$runtime/session.sh" "$manager" "$@"
