// bench/gc_bench.cpp: the collector under load, through the C++ API.
//
//   gc_bench churn N   makes and drops N one-cell blocks (each holding its number) with the
//                      collector on: time, collections, peak of the memory frames
//   gc_bench live N    builds a heap holding N live one-cell blocks and times full collections
//                      of it: nothing dead, then every other block dead
//
// bench/run-gc.sh runs both next to python3 (lists) and lua (tables) doing the same churn.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "boot/runtime.hpp"
#include "core/gc.hpp"
#include "core/gc_stats.hpp"
#include "core/os_frame.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"

using namespace vyn;

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long max_rss_kb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Each block replaces the one before in the same stack cell, so at most one is reachable.
void churn(long n) {
  Cell* slot = stack::push_unset();
  uint32_t cycles = gc::stats().cycles;
  size_t peak = alloc::os_total();
  auto start = Clock::now();
  for (long i = 0; i < n; ++i) {
    block::make_at(slot, 1);
    block::append_copy(*slot, make_integer(static_cast<int32_t>(i)));
    if ((i & 0xFFF) == 0) peak = std::max(peak, alloc::os_total());
  }
  double ms = ms_since(start);
  std::printf("vyn churn: %ld blocks in %.0f ms (%.1f ns each), %u collections, "
              "peak frames %.1f MB, max RSS %.1f MB\n",
              n, ms, ms * 1e6 / static_cast<double>(n), gc::stats().cycles - cycles,
              static_cast<double>(peak) / 1048576, static_cast<double>(max_rss_kb()) / 1024);
}

// A block of n one-cell blocks, on the value stack.
Cell* live_heap(long n) {
  Cell* all = block::push_only(static_cast<int32_t>(n));
  Cell* item = stack::push_unset();
  for (long i = 0; i < n; ++i) {
    block::make_at(item, 1);
    block::append_copy(*item, make_integer(static_cast<int32_t>(i)));
    block::append_copy(*all, *item);
  }
  stack::pop(1);
  return all;
}

double timed_collection() {
  auto start = Clock::now();
  gc::collect();
  return ms_since(start);
}

void live(long n) {
  Cell* all = live_heap(n);
  gc::collect();  // the garbage of building it goes first
  double best = 1e9, total = 0;
  const int rounds = 5;
  for (int r = 0; r < rounds; ++r) {
    double ms = timed_collection();
    best = std::min(best, ms);
    total += ms;
  }
  std::printf("vyn full collection, %ld live blocks (%.1f MB in use): best %.1f ms, mean %.1f ms\n",
              n,
              static_cast<double>(gc::memory_in_use()) / 1048576, best, total / rounds);
  Cell* cells = block::cells(*all);
  for (long i = 0; i < n; i += 2) cells[i] = make_none();
  std::printf("vyn full collection, every other block dead (compaction moves the rest): %.1f ms\n",
              timed_collection());
  std::printf("vyn full collection after it, %ld live: %.1f ms\n", n / 2, timed_collection());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (std::strcmp(argv[1], "churn") && std::strcmp(argv[1], "live"))) {
    std::fprintf(stderr, "usage: %s churn|live [count]\n", argv[0]);
    return 2;
  }
  bool churning = std::strcmp(argv[1], "churn") == 0;
  long n = argc > 2 ? std::atol(argv[2]) : churning ? 10000000 : 1000000;
  runtime::init();
  gc::set_enabled(true);
  if (churning) churn(n);
  else live(n);
  runtime::shutdown();
  return 0;
}
