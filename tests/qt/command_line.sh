#!/bin/sh
# The window's command line with no display at all: --help and --version
# print and exit 0 without a window and without writing anything; a wrong
# option exits 2 with the usage; the options it does take still start it.
# Usage: command_line.sh TARVO VERSION
set -u
tarvo=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect() { [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"; }

# No display, no platform chosen, a home and a state folder of its own that
# must stay empty, in an empty current folder.
mkdir "$work/cwd" "$work/home" "$work/state"
bare() {  # ARGS...: runs the window as a user without a display would
  (cd "$work/cwd" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
     HOME="$work/home" XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/home" "$tarvo" "$@")
}
nothing_written() {  # WHAT
  left=$(find "$work/cwd" "$work/home" "$work/state" -mindepth 1 | head -n 3)
  [ -z "$left" ] || fail "$1 wrote files: $left"
}

for help in --help -h "--user-state --help" "-platform xcb -h"; do
  # shellcheck disable=SC2086
  out=$(bare $help 2>"$work/err")
  status=$?
  expect "$help: status" 0 "$status"
  expect "$help: standard error" "" "$(cat "$work/err")"
  case $out in "Usage: tarvo [options]"*) ;; *) fail "$help: no usage: [$out]";; esac
  for option in --user-state "--state-dir DIR" --look=LOOK --help --version; do
    case $out in *"$option"*) ;; *) fail "$help: $option not listed";; esac
  done
  nothing_written "$help"
done
# Each line fits a terminal of 80 columns.
long=$(bare --help | awk 'length($0) > 79')
expect "--help: lines within 79 columns" "" "$long"

out=$(bare --version 2>"$work/err")
status=$?
expect "--version: status" 0 "$status"
expect "--version: text" "tarvo $version" "$out"
expect "--version: standard error" "" "$(cat "$work/err")"
nothing_written "--version"

# Output that cannot be written is a failure, not a silent success, and says
# why: a full device, a closed standard output.
for what in help version; do
  if [ -w /dev/full ]; then
    err=$(bare --$what 2>&1 >/dev/full)
    expect "--$what to a full device: status" 1 "$?"
    expect "--$what to a full device: message" "tarvo: cannot write the $what: No space left on device" "$err"
  fi
  err=$(bare --$what 2>&1 >&-)
  expect "--$what to a closed output: status" 1 "$?"
  expect "--$what to a closed output: message" "tarvo: cannot write the $what: Bad file descriptor" "$err"
done

# Wrong command lines: status 2, the reason and the usage on standard error,
# nothing on standard output, nothing written, no window.
check_wrong() {  # REASON ARGS...
  reason=$1
  shift
  out=$(bare "$@" 2>"$work/err")
  status=$?
  expect "$*: status" 2 "$status"
  expect "$*: standard output" "" "$out"
  err=$(cat "$work/err")
  case $err in "$reason"*"Usage: tarvo [options]"*) ;; *) fail "$*: standard error [$err]";; esac
  nothing_written "$*"
}
check_wrong "tarvo: unknown option --bogus" --bogus
check_wrong "tarvo: unknown option --bogus" --user-state --bogus
check_wrong "tarvo: unknown option -x" -x
check_wrong "tarvo: unknown option --state-dir=here" --state-dir=here
check_wrong "tarvo: unexpected argument 2+3" 2+3
check_wrong "tarvo: --state-dir needs DIR" --state-dir
check_wrong "tarvo: --state-dir needs DIR" --state-dir ""
check_wrong "tarvo: -platform needs NAME" -platform
check_wrong "tarvo: --screenshot needs FILE" --screenshot
check_wrong "tarvo: --look takes default, high-contrast or dark, not bright" --look=bright
check_wrong "tarvo: --look takes default, high-contrast or dark, not " --look=
check_wrong "tarvo: unknown option --look" --look dark

# The options it takes start it: a picture of the window on the offscreen
# platform, chosen by the toolkit's own option in both spellings.
for platform in -platform --platform; do
  rm -f "$work/shot.png"
  bare "$platform" offscreen --look=dark --screenshot "$work/shot.png" --entry 1+1 --keys 1,2 2>"$work/err"
  status=$?
  expect "$platform offscreen --screenshot: status" 0 "$status"
  [ -s "$work/shot.png" ] || fail "$platform offscreen --screenshot: no picture ($(cat "$work/err"))"
done

# An option given twice counts as given last, as in tarvo-cli: the session
# saves in the second folder. A stop signal ends it once it has started
# (before, it has nothing to save: then it is asked again after longer).
mkdir "$work/first" "$work/second"
for wait in 2 6 15; do
  (cd "$work/cwd" && exec env HOME="$work/home" XDG_RUNTIME_DIR="$work/home" \
     "$tarvo" -platform offscreen --state-dir "$work/first" --state-dir "$work/second" >/dev/null 2>&1) &
  window=$!  # the window itself: the subshell became it
  sleep "$wait"
  kill -TERM "$window"
  wait "$window" 2>/dev/null
  [ -e "$work/second/Varreal.dat" ] || [ -e "$work/first/Varreal.dat" ] && break
done
[ -e "$work/second/Varreal.dat" ] || fail "--state-dir twice: nothing saved in the second folder"
[ ! -e "$work/first/Varreal.dat" ] || fail "--state-dir twice: saved in the first folder"

if [ "$failures" -ne 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "all command line checks passed"
