#!/bin/sh
# tarvo-cli through a pipe: lines over the entry-length limit are refused
# whole with their own message, however long, and the lines after them
# still run. Usage: long_lines.sh TARVO_CLI
set -u
cli=$1
ones() { head -c "$1" /dev/zero | tr '\0' '1'; }
# "1+1+...+1" of exactly n characters (n odd).
sum() { printf 1; head -c "$(( ($1 - 1) / 2 ))" /dev/zero | sed 's/\x0/+1/g'; }
actual=$( {
  sum 32767; echo            # the longest entry: 16384 ones
  sum 32767; echo 0          # one character more
  ones 40000; echo
  echo 2+3
  head -c 3000000 /dev/zero | tr '\0' '+'; echo
  echo 6*7
  # Blanks count, however many there are before a short entry.
  head -c 500000 /dev/zero | tr '\0' ' '; echo 1+1
  # No line end after the over-long last line.
  ones 50000
} | "$cli" -n; echo "exit $?")
expected='16384
Error: Entry too long
Error: Entry too long
5
Error: Entry too long
42
Error: Entry too long
Error: Entry too long
exit 1'
if [ "$actual" != "$expected" ]; then
  printf "expected:\n%s\nactual:\n%s\n" "$expected" "$actual" | cut -c1-200 | cat -A >&2
  exit 1
fi
