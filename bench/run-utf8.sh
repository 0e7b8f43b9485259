#!/usr/bin/env bash
# Builds the UTF-8 benchmark optimised (build/bench) and runs it: decoding 100 MB of mixed UTF-8
# into a string and encoding it back, against python3 doing the same in the same run.
#   bench/run-utf8.sh [megabytes] [rounds]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target bench_utf8 >/dev/null
"$build/bench_utf8" "$@"
