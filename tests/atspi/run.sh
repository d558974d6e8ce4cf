#!/usr/bin/env bash
# The real window as a screen reader meets it: a virtual X screen (Xvfb), a
# window manager (openbox), a D-Bus session and the accessibility bus
# (at-spi2-core), Qt's accessibility on. window_queries.py drives the window
# with real key events (xdotool) and questions it through AT-SPI (pyatspi).
# With ATSPI_WINDOW_MANAGER=none no window manager runs: nobody but the
# program gives its windows the keyboard.
#
#   run.sh TARVO_BINARY
#
# Exits 77 (skipped) where a tool is missing; tools/tarvo.sh installs them.
set -u
tarvo=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
missing=()
for tool in xvfb-run xauth dbus-run-session openbox xdotool; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi-bus-launcher)
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(pyatspi)
if ((${#missing[@]})); then
  echo "skipped: missing ${missing[*]} (Debian: xvfb xauth dbus openbox xdotool at-spi2-core python3-pyatspi)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run" "$work/state"
# A session of its own: nothing of the user's desktop, settings or state.
export HOME=$work XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY

# The window starts once the window manager and the accessibility bus are
# up, however long a loaded machine takes to start them: a window that comes
# first has nobody to manage it or nobody to tell of itself.
cat >"$work/session.sh" <<'EOS'
ready=$(mktemp -d)
if [ "${ATSPI_WINDOW_MANAGER:-openbox}" = none ]; then
  sleep 0 & wm=$!
  touch "$ready/wm"
else
  openbox --startup "touch $ready/wm" >"$ready/wm.log" 2>&1 & wm=$!
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & bus=$!
for _ in $(seq 600); do
  [ -e "$ready/wm" ] && break
  kill -0 "$wm" 2>/dev/null || break
  sleep 0.1
done
[ -e "$ready/wm" ] || { echo "the window manager did not start within 60 s:"; cat "$ready/wm.log"; }
dbus-send --session --dest=org.a11y.Bus --print-reply --reply-timeout=60000 /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null || echo "the accessibility bus did not answer"
rm -rf "$ready"
/usr/bin/python3 "$@"; status=$?
kill "$wm" "$bus" 2>/dev/null
wait "$wm" "$bus" 2>/dev/null
exit $status
EOS
# -noreset: else the server starts anew each time its last client leaves (the
# accessibility bus launcher may be the first to come and go), dropping what
# was set on its root window and whoever connects meanwhile.
xvfb-run -a -s "-screen 0 1280x900x24 -noreset" \
  dbus-run-session -- bash "$work/session.sh" "${ATSPI_SCRIPT:-$here/window_queries.py}" "$tarvo" "$work/state"
