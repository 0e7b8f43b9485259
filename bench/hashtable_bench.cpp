// bench/hashtable_bench.cpp: string keys inserted into and found in a map! table, against
// python3's dict doing the same in the same run (bench/hashtable_bench.py).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boot/runtime.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/text/string_storage.hpp"

using namespace vyn;

namespace {

std::string key_text(uint32_t i) {
  char text[16];
  std::snprintf(text, sizeof text, "k%x", i * 2654435761u);
  return text;
}

// A block of n strings (with each one's number after it when pairs is set), on the value stack.
Cell* key_block(int n, bool pairs) {
  Cell* b = block::push_only(pairs ? 2 * n : n);
  for (int i = 0; i < n; ++i) {
    stack::Mark mark;
    Cell* s = string::make_at(stack::push_unset(), 12);
    string::append_latin1(*s, key_text(static_cast<uint32_t>(i)));
    block::append_copy(*b, *s);
    if (pairs) block::append_copy(*b, make_integer(i));
  }
  return b;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One round: a fresh table over the pairs, every key put, then every probe found. Answers the
// seconds of each half through insert and find.
void round(Cell* pairs, Cell* probes, int n, double& insert, double& find) {
  Cell none_yet = *pairs;
  none_yet.w1 = static_cast<uint32_t>(2 * n);  // from the tail: the table starts empty
  NodeId table = hashtable::new_(0, none_yet, hashtable::Kind::map, 0);
  Cell* held = stack::push(make_series(Type::map, series_node(*pairs), 0, table));
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) hashtable::put(table, block::cells(*held) + 2 * i);
  insert = seconds_since(start);
  int64_t total = 0;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    Cell* key = hashtable::find(table, block::cells(*probes)[i], 0, 1, cmp::equal, false, false);
    total += key[1].int_value();
  }
  find = seconds_since(start);
  if (total != int64_t{n} * (n - 1) / 2) {
    std::fprintf(stderr, "wrong sum of values found\n");
    std::exit(1);
  }
}

bool python_figures(int n, double out[4]) {
  std::string command = "python3 " VYN_BENCH_DIR "/hashtable_bench.py " + std::to_string(n);
  FILE* p = popen(command.c_str(), "r");
  if (!p) return false;
  int got = std::fscanf(p, "%lf %lf %lf %lf", &out[0], &out[1], &out[2], &out[3]);
  return pclose(p) == 0 && got == 4;
}

}  // namespace

int main(int argc, char** argv) {
  int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
  if (n < 1) n = 1000000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;  // more rounds steady a profile
  if (rounds < 1) rounds = 3;
  runtime::init();
  Cell* pairs = key_block(n, true);
  Cell* probes = key_block(n, false);  // equal text in other strings
  double insert = 1e9, find = 1e9;
  for (int r = 0; r < rounds; ++r) {
    double i, f;
    round(pairs, probes, n, i, f);
    if (i < insert) insert = i;
    if (f < find) find = f;
  }
  double vyn_insert = insert * 1e9 / n, vyn_find = find * 1e9 / n;
  std::printf("hash table: %d string keys, best of %d rounds, ns per key\n", n, rounds);
  std::printf("  %-34s insert %7.1f   find %7.1f\n", "vyn map! table", vyn_insert, vyn_find);
  double py[4];
  if (!python_figures(n, py)) {
    std::printf("  python3 did not run\n");
    return 1;
  }
  std::printf("  %-34s insert %7.1f   find %7.1f\n", "python3 dict, for loop", py[0], py[1]);
  std::printf("  %-34s insert %7.1f   find %7.1f\n", "python3 dict, dict(zip)/map", py[2], py[3]);
  std::printf("ratio python3 / vyn (above 1: vyn is faster)\n");
  std::printf("  %-34s insert %7.2f   find %7.2f\n", "against the for loop", py[0] / vyn_insert, py[1] / vyn_find);
  std::printf("  %-34s insert %7.2f   find %7.2f\n", "against dict(zip)/map", py[2] / vyn_insert, py[3] / vyn_find);
  runtime::shutdown();
  return 0;
}
