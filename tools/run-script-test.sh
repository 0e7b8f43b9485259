#!/usr/bin/env bash
# Runs one script test: the script's standard output must equal NAME.out byte for byte, and its exit
# status must equal the number in NAME.status (0 when that file is absent). NAME.stdin, when present,
# is the script's standard input; otherwise it reads an empty input. NAME.args, when present, holds
# the script's command-line arguments, one a line (an empty line is an empty argument).
set -u
bin="$1"; script="$2"
base="${script%.vyn}"
expected_status=0
[ -f "$base.status" ] && expected_status=$(tr -d ' \n' < "$base.status")
input=/dev/null
[ -f "$base.stdin" ] && input="$base.stdin"
args=()
[ -f "$base.args" ] && mapfile -t args < "$base.args"
out=$(mktemp); trap 'rm -f "$out"' EXIT
(cd "$(dirname "$script")" && timeout 120 "$bin" "$(basename "$script")" "${args[@]}") < "$input" > "$out"
status=$?
fail=0
if ! cmp -s "$out" "$base.out"; then
  echo "output differs from $base.out:"; diff "$base.out" "$out" | head -40; fail=1
fi
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"; fail=1
fi
exit $fail
