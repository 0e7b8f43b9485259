#!/bin/sh
# The program replays the heap its boot image makes, whatever the run's folder, arguments,
# environment and standard streams, and a start that decodes the image instead agrees with it.
# Usage: run-heap-replay.sh VYN SCRIPT
set -u
vyn=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
script=$2
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
printf 'Vyn []\nprint system/script/args\n' >"$dir/empty.vyn"
fail=0
check() {
  what=$1
  shift
  if ! grep -q "^boot heap: replayed$" "$dir/err.txt"; then
    echo "$what: the heap was not replayed"
    cat "$dir/err.txt"
    fail=1
  fi
}
VYN_BOOT_HEAP=report "$vyn" "$dir/empty.vyn" >/dev/null 2>"$dir/err.txt"; check "no arguments"
VYN_BOOT_HEAP=report "$vyn" "$dir/empty.vyn" one "two three" --four >/dev/null 2>"$dir/err.txt"; check "arguments"
(cd / && VYN_BOOT_HEAP=report "$vyn" "$dir/empty.vyn" >/dev/null 2>"$dir/err.txt"); check "another folder"
env -i VYN_BOOT_HEAP=report LANG=C TERM=dumb COLUMNS=20 "$vyn" "$dir/empty.vyn" </dev/null >/dev/null 2>"$dir/err.txt"; check "another environment"
VYN_BOOT_HEAP=report "$vyn" --do "print 1" >/dev/null 2>"$dir/err.txt"; check "--do"
"$vyn" "$script" >"$dir/replayed.txt" 2>&1 || { echo "replayed start failed"; cat "$dir/replayed.txt"; exit 1; }
VYN_BOOT_HEAP=decode "$vyn" "$script" >"$dir/decoded.txt" 2>&1 || { echo "decoded start failed"; cat "$dir/decoded.txt"; exit 1; }
if ! cmp -s "$dir/replayed.txt" "$dir/decoded.txt"; then
  echo "the replayed and the decoded start disagree:"
  diff "$dir/replayed.txt" "$dir/decoded.txt" | cut -c1-400 | head -40
  fail=1
fi
exit $fail
