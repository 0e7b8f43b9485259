#!/usr/bin/env bash
# Runs one script test: the script's standard output must equal NAME.out byte for byte, and its exit
# status must equal the number in NAME.status (0 when that file is absent). NAME.stdin, when present,
# is the script's standard input; otherwise it reads an empty input. NAME.args, when present, holds
# the script's command-line arguments, one a line (an empty line is an empty argument).
# NAME.console, when present, holds the whole command line instead, one argument a line, with the
# line SCRIPT standing for the script (an empty file runs the program without a script), and the
# program gets a fresh empty HOME, where the console keeps its settings. NAME.env, when present,
# holds environment settings for the program, one NAME=VALUE a line.
set -u
# A script gets two minutes; with the collector stressed ten.
limit=120
[ -n "${VYN_GC_STRESS:-}" ] && limit=600
bin="$1"; script="$2"
base="${script%.vyn}"
expected_status=0
[ -f "$base.status" ] && expected_status=$(tr -d ' \n' < "$base.status")
input=/dev/null
[ -f "$base.stdin" ] && input="$base.stdin"
args=()
[ -f "$base.args" ] && mapfile -t args < "$base.args"
settings=()
[ -f "$base.env" ] && mapfile -t settings < "$base.env"
out=$(mktemp); home=""; trap 'rm -f "$out"; [ -n "$home" ] && rm -rf "$home"' EXIT
if [ -f "$base.console" ]; then
  mapfile -t args < "$base.console"
  for i in "${!args[@]}"; do [ "${args[$i]}" = SCRIPT ] && args[$i]=$(basename "$script"); done
  home=$(mktemp -d)
  (cd "$(dirname "$script")" && env "${settings[@]}" HOME="$home" timeout "$limit" "$bin" "${args[@]}") < "$input" > "$out"
else
  (cd "$(dirname "$script")" && env "${settings[@]}" timeout "$limit" "$bin" "$(basename "$script")" "${args[@]}") < "$input" > "$out"
fi
status=$?
fail=0
if ! cmp -s "$out" "$base.out"; then
  echo "output differs from $base.out:"; diff "$base.out" "$out" | head -40; fail=1
fi
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"; fail=1
fi
exit $fail
