#!/usr/bin/env bash
# Runs one script test: the script's standard output must equal NAME.out byte for byte, and its exit
# status must equal the number in NAME.status (0 when that file is absent).
set -u
bin="$1"; script="$2"
base="${script%.vyn}"
expected_status=0
[ -f "$base.status" ] && expected_status=$(tr -d ' \n' < "$base.status")
out=$(mktemp); trap 'rm -f "$out"' EXIT
(cd "$(dirname "$script")" && timeout 120 "$bin" "$(basename "$script")") > "$out"
status=$?
fail=0
if ! cmp -s "$out" "$base.out"; then
  echo "output differs from $base.out:"; diff "$base.out" "$out" | head -40; fail=1
fi
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"; fail=1
fi
exit $fail
