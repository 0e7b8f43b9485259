#!/usr/bin/env bash
# Builds the collector benchmark optimised and runs it: ten million small blocks made and dropped
# (or the count given first), next to python3 making as many one-item lists and lua as many
# one-item tables in the same run; then full collections of a heap of a million live blocks (or
# the count given second). Peak memory is each process's maximum resident size.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
n="${1:-10000000}"
live="${2:-1000000}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target bench_gc >/dev/null
"$build/bench_gc" churn "$n"
python3 - "$n" <<'PY'
import gc, resource, sys, time
n = int(sys.argv[1])
start = time.perf_counter()
for i in range(n):
    x = [i]
ms = (time.perf_counter() - start) * 1000
cycles = sum(s["collections"] for s in gc.get_stats())
rss = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
print(f"python3 churn: {n} lists in {ms:.0f} ms ({ms * 1e6 / n:.1f} ns each), "
      f"{cycles} collections, max RSS {rss:.1f} MB")
PY
lua=$(command -v lua5.4 || command -v lua || true)
if [ -n "$lua" ]; then
  /usr/bin/time -f "lua max RSS %M KB" "$lua" - "$n" <<'LUA'
local n = tonumber(arg[1])
local start = os.clock()
local peak = 0
for i = 1, n do
  local x = {i}
  if i % 4096 == 0 then peak = math.max(peak, collectgarbage("count")) end
end
local ms = (os.clock() - start) * 1000
print(string.format("lua churn: %d tables in %.0f ms (%.1f ns each), peak heap %.0f KB", n, ms,
                    ms * 1e6 / n, peak))
LUA
else
  echo "lua churn: no lua on this machine (apt-get install lua5.4)"
fi
"$build/bench_gc" live "$live"
