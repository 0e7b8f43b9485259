#!/usr/bin/env bash
# Counts the machine instructions (callgrind) the evaluator spends on single constructs: each is
# run 100,000 times in a loop, less a loop over one word, on a Release build. Also a call of the
# recursive fib (fib 20, less an empty start) and a pass of the counted loop. Instruction counts
# do not drift with the machine's load, so they show what a change to the evaluator gains.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/release"
command -v valgrind >/dev/null || apt-get install -y -qq valgrind >/dev/null
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vyn >/dev/null
vyn="${1:-$build/vyn}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
count() { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$vyn" "$1" 2>&1 | grep -oP 'Collected : \K[0-9]+'; }
construct() {
  printf 'Vyn []\nm: make map! 10\nput m 1 1\nn: 1\nf: func [] []\ng: func [x] [x]\nloop 100000 [%s]\n' "$1" \
    > "$work/c.vyn"
  count "$work/c.vyn"
}
base=$(construct "m")
for c in "(n)" "n: 1" "n < 2" "not n" "add n n" "select m n" "if n [n]" "either n [n] [n]" "f" "g n"; do
  printf '%-18s %6d\n' "$c" $(( ($(construct "$c") - base) / 100000 ))
done
printf 'Vyn []\n' > "$work/empty.vyn"
printf 'Vyn []\nfib: func [n] [either n < 2 [n] [(fib n - 1) + (fib n - 2)]]\nprint fib 20\n' > "$work/fib.vyn"
printf 'Vyn []\ns: 0\nrepeat i 1000000 [s: i * 7 + s %% 1000003]\n' > "$work/loop.vyn"
empty=$(count "$work/empty.vyn")
printf '%-18s %6d\n' "empty start" "$empty"
printf '%-18s %6d\n' "fib call" $(( ($(count "$work/fib.vyn") - empty) / 21891 ))
printf '%-18s %6d\n' "loop pass" $(( ($(count "$work/loop.vyn") - empty) / 1000000 ))
