#!/bin/sh
# tarvo-cli's options and input as a shell user meets them, through the real
# binary: a reader that stops early, entries from a file, comments, and the
# user's state folder. Usage: options.sh TARVO_CLI
set -u
cli=$1
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# expect WHAT EXPECTED ACTUAL
expect() { [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"; }

# --- A reader that stops early: no message, what was calculated is saved,
# and the end is SIGPIPE's (status 141 in the shell), as bc's is. Each
# source of entries: standard input, a file, the command line (whose results
# wait until the save).
mkdir early
yes 'n=n+1' | head -n 200000 >early/entries.txt
status=$( { { "$cli" --state-dir early <early/entries.txt 2>early/err; echo $? >early/status; } | head -n 1 >early/first; } 2>&1; cat early/status)
expect "stdin, early reader: status" 141 "$status"
expect "stdin, early reader: first line" 1 "$(cat early/first)"
expect "stdin, early reader: standard error" "" "$(cat early/err)"
saved=$("$cli" --state-dir early n)
[ "$saved" -ge 1 ] 2>/dev/null && [ "$saved" -lt 200000 ] ||
  fail "stdin, early reader: n should hold the entries calculated before the reader left, got [$saved]"
# The reader left before the input ended, so the session stopped early, and
# it has saved exactly what it calculated: the next entry counts on from it.
expect "stdin, early reader: saved count goes on" $((saved + 1)) "$("$cli" --state-dir early 'n=n+1')"

rm -f early/Varreal.dat early/vardimr.dat
status=$( { { "$cli" --state-dir early -f early/entries.txt 2>early/err; echo $? >early/status; } | head -n 2 >early/first; } 2>&1; cat early/status)
expect "file, early reader: status" 141 "$status"
expect "file, early reader: lines" "1
2" "$(cat early/first)"
expect "file, early reader: standard error" "" "$(cat early/err)"

rm -f early/Varreal.dat early/vardimr.dat
# shellcheck disable=SC2046  # one argument an entry
status=$( { { "$cli" --state-dir early $(head -n 20000 early/entries.txt) 2>early/err; echo $? >early/status; } | head -n 1 >early/first; } 2>&1; cat early/status)
expect "arguments, early reader: status" 141 "$status"
expect "arguments, early reader: standard error" "" "$(cat early/err)"
expect "arguments, early reader: all saved" 20000 "$("$cli" --state-dir early n)"

# A reader that reads everything sees the whole output and status 0.
expect "whole reader" "3 0" "$(printf '1\n2\n3\n' | "$cli" -n | tail -n 1) $?"
# Another write failure still says so and exits 1.
if [ -w /dev/full ]; then
  msg=$("$cli" -n 1+1 2>&1 >/dev/full)
  status=$?
  expect "full disk: status" 1 "$status"
  case $msg in *"cannot write the results: No space left on device"*) ;; *) fail "full disk: message [$msg]";; esac
fi

# --- A control byte in a line is no operator: refused whole, whichever token
# shares its code, and the next line goes on.
for byte in 001 025 030 031 036 177; do
  expect "control byte $byte" "Syntax error
11" "$(printf "8\\${byte}3\n8+3\n" | "$cli" -n)"
done

# --- Entries from a file; "#" starts a comment line there and on standard input.
printf '# the first entry\n2+3\n   # indented\nx=7\n\n#x=9\nx*2\n' >entries.txt
expect "-f FILE" "5
7
14" "$("$cli" -n -f entries.txt)"
expect "--file=FILE" "5
7
14" "$("$cli" -n --file=entries.txt)"
expect "-f - (standard input), comments" "5
7
14" "$("$cli" -n -f - <entries.txt)"
expect "comments on standard input" "5
7
14" "$("$cli" -n <entries.txt)"
# A file whose last line has no line end, and CR LF line ends.
printf '1+1\r\n# note\r\n2+2' >crlf.txt
expect "CR LF and no final line end" "2
4" "$("$cli" -n -f crlf.txt)"
# A byte order mark before the first line is no part of it, whether that is
# an entry or a comment; later, the same bytes are what they are.
printf '\357\273\277# saved from an editor\n2+3\n' >bom.txt
expect "byte order mark, then a comment" "5" "$("$cli" -n -f bom.txt)"
printf '\357\273\2771+2\n' >bom.txt
expect "byte order mark, then an entry" "3" "$("$cli" -n <bom.txt)"
# A tab is a blank there: a line of blanks prints nothing, an indented entry
# or directive is itself.
printf '\t\n \t \n\t:rad\n\t# c\n2\t+\t2\n' >tabs.txt
expect "tabs are blanks" "4" "$("$cli" -n -f tabs.txt)"
# A closed standard input to read the entries from: named, status 2, nothing
# calculated or saved; entries on the command line need none.
mkdir closed
msg=$(cd closed && "$cli" <&- 2>&1)
expect "closed standard input: status" 2 "$?"
expect "closed standard input: message" "tarvo-cli: cannot read the entries: Bad file descriptor" "$msg"
msg=$(cd closed && "$cli" -f - <&- 2>&1)
expect "-f - from a closed standard input: status" 2 "$?"
[ ! -e closed/Varreal.dat ] || fail "closed standard input: the variable files were written"
expect "entries beside a closed standard input" 4 "$("$cli" -n 2+2 <&-)"
# The help and the version that cannot be written: the reason, status 1.
for what in help version; do
  if [ -w /dev/full ]; then
    msg=$("$cli" --$what 2>&1 >/dev/full)
    expect "--$what to a full device: status" 1 "$?"
    expect "--$what to a full device: message" "tarvo-cli: cannot write the $what: No space left on device" "$msg"
  fi
  msg=$("$cli" --$what 2>&1 >&-)
  expect "--$what to a closed output: status" 1 "$?"
done
# An argument that starts with "#" is an entry as given, not a comment.
expect "argument starting with #" "Syntax error" "$("$cli" -n '#x')"
# A file of comments only prints nothing and succeeds.
printf '# nothing\n' >only.txt
out=$("$cli" -n -f only.txt)
expect "comments only: status" 0 "$?"
expect "comments only: output" "" "$out"

# A file that cannot be read: status 2, its name in the message, nothing
# calculated and nothing saved.
mkdir unread
check_unreadable() {  # what file reason
  msg=$(cd unread && "$cli" -f "$2" 2>&1)
  status=$?
  expect "$1: status" 2 "$status"
  case $msg in "tarvo-cli: cannot read $2: $3") ;; *) fail "$1: message [$msg]";; esac
  [ ! -e unread/Varreal.dat ] || fail "$1: the variable files were written"
}
check_unreadable "missing file" no-such-file.txt "No such file or directory"
check_unreadable "a folder" "$work" "Is a directory"
check_unreadable "missing folder on the way" "$work/none/entries.txt" "No such file or directory"
printf '1\n' >locked.txt
chmod 000 locked.txt
if ! cat locked.txt >/dev/null 2>&1; then
  check_unreadable "no read permission" "$work/locked.txt" "Permission denied"
elif command -v setpriv >/dev/null; then
  # As root, read permission is no bar: ask as another user, who may
  # reach the file's folder.
  chmod 755 "$work"
  msg=$(setpriv --reuid=65534 --regid=65534 --clear-groups "$cli" -n -f "$work/locked.txt" 2>&1)
  status=$?
  expect "no read permission: status" 2 "$status"
  expect "no read permission: message" "tarvo-cli: cannot read $work/locked.txt: Permission denied" "$msg"
fi
# Usage errors: -f without a file, twice, or beside entries.
for args in "-f" "-f entries.txt -f entries.txt" "-f entries.txt 1+1" "--file="; do
  # shellcheck disable=SC2086
  "$cli" -n $args >/dev/null 2>&1
  expect "usage error ($args)" 2 "$?"
done

# --- --user-state: the user's state folder, as the window's desktop entry uses.
export XDG_STATE_HOME="$work/state"
expect "--user-state stores" 42 "$("$cli" --user-state 'u=42')"
expect "--user-state reads" 42 "$("$cli" --user-state u)"
[ -f "$work/state/tarvo/Varreal.dat" ] || fail "--user-state: no Varreal.dat in \$XDG_STATE_HOME/tarvo"
expect "--user-state folder is private" 700 "$(stat -c %a "$work/state/tarvo")"
# --state-dir names a folder outright; -n keeps away from any folder.
mkdir other
expect "--state-dir beats --user-state" 0 "$("$cli" --user-state --state-dir other u)"
[ -f other/Varreal.dat ] || fail "--state-dir beside --user-state: nothing saved in the folder given"
XDG_STATE_HOME="$work/fresh" "$cli" -n --user-state 1 >/dev/null
[ ! -e "$work/fresh" ] || fail "-n --user-state made the state folder"
# A state folder that cannot be used: named, status 1, nothing calculated.
: >"$work/blocked"
msg=$(XDG_STATE_HOME="$work/blocked" "$cli" --user-state 'v=1' 2>&1)
status=$?
expect "unusable state folder: status" 1 "$status"
case $msg in
  "tarvo-cli: the folder for the saved variables cannot be used: $work/blocked/tarvo: Not a directory"*) ;;
  *) fail "unusable state folder: message [$msg]";;
esac

if [ "$failures" -ne 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "all options checks passed"
