#!/usr/bin/env bash
# Times the lexer on a generated 50 MB source file (nested blocks of integers, floats, strings and
# words) next to python3's json.loads on the same data as JSON, in one run. Best of three each.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
data="${TMPDIR:-/tmp}/vyn-lexer-bench"
mkdir -p "$data"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target bench_lexer >/dev/null
python3 - "$data" <<'PY'
import json, os, random, sys
out = sys.argv[1]
if os.path.exists(os.path.join(out, "data.json")) and os.path.getsize(os.path.join(out, "data.vyn")) > 50e6:
    sys.exit(0)
rnd = random.Random(42)
words = ["alpha", "beta", "gamma", "delta", "epsilon", "zeta", "name", "value", "count", "item"]
def item(depth):
    k = rnd.random()
    if depth < 3 and k < 0.1:
        return [item(depth + 1) for _ in range(rnd.randint(2, 8))]
    if k < 0.4: return ("i", rnd.randint(-100000, 1000000))
    if k < 0.6: return ("f", round(rnd.uniform(-1000, 1000), rnd.randint(1, 6)))
    if k < 0.8: return ("s", "".join(rnd.choice("abcdefghij klmnop") for _ in range(rnd.randint(3, 16))))
    return ("w", rnd.choice(words) + str(rnd.randint(0, 99)))
def vyn(x):
    if isinstance(x, list): return "[" + " ".join(vyn(e) for e in x) + "]"
    t, v = x
    return repr(v) if t == "f" else str(v) if t == "i" else '"' + v + '"' if t == "s" else v
def js(x):
    if isinstance(x, list): return [js(e) for e in x]
    return x[1]
vtext, jdata, size = [], [], 0
while size < 50_000_000:
    block = [item(1) for _ in range(rnd.randint(4, 12))]
    line = vyn(block)
    vtext.append(line)
    jdata.append(js(block))
    size += len(line) + 1
open(os.path.join(out, "data.vyn"), "w").write("\n".join(vtext) + "\n")
open(os.path.join(out, "data.json"), "w").write(json.dumps(jdata, separators=(" ,", ": ")).replace(" ,", ", "))
PY
ls -l "$data"/data.vyn "$data"/data.json | awk '{print $5, $9}'
"$build/bench_lexer" "$data/data.vyn"
python3 - "$data/data.json" <<'PY'
import json, sys, time
text = open(sys.argv[1]).read()
best = 1e9
for _ in range(3):
    t0 = time.perf_counter(); v = json.loads(text); best = min(best, time.perf_counter() - t0); del v
print(f"python3 json.loads: {best:.3f} s  {len(text) / best / 1e6:.1f} MB/s")
PY
