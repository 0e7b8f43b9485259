#!/usr/bin/env bash
# Times the interpreter's three reference tasks (recursive fib 27 x 20, a 10M-step counted loop,
# a while loop calling a function that returns) for vyn, Debian's python3 and lua5.4, in one run,
# and prints each peer's ratio to python3. A benchmark, not a test: figures vary between machines.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tasks="$root/../shared/bench/tasks"
command -v lua5.4 >/dev/null || apt-get install -y -qq lua5.4 >/dev/null
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target vyn >/dev/null
vyn="$root/build/release/vyn"
python=/usr/bin/python3
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N); echo "$e - $s" | bc; }
row() {
  local name=$1 v=$2 p=$3 l=$4
  local tv tp tl
  tv=$(seconds "$vyn" "$v"); tp=$(seconds "$python" "$p"); tl=$(seconds lua5.4 "$l")
  printf '%-14s vyn %6.2fs  python3 %6.2fs  lua5.4 %6.2fs  vyn/python3 %5.2f\n' "$name" "$tv" "$tp" "$tl" \
    "$(echo "$tv / $tp" | bc -l)"
}
row fib "$tasks/fib/fib.vyn" "$tasks/fib/fib.py" "$tasks/fib/fib.lua"
row loop "$tasks/loop/loop.vyn" "$tasks/loop/loop.py" "$tasks/loop/loop.lua"
row while-return "$root/bench/interp/while_return.vyn" "$root/bench/interp/while_return.py" \
  "$root/bench/interp/while_return.lua"
