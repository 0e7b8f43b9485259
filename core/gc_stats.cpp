// core/gc_stats.cpp: memory statistics.
#include "core/gc_stats.hpp"

#include <malloc.h>

#include <vector>

#include "core/node.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"

namespace vyn::gc {
namespace {

using Numbers = std::vector<uint64_t>;

// Walked before anything is made, so the figures describe the memory as the caller left it.
struct Snapshot {
  Numbers nodes, series, big;
  uint64_t heap_taken = 0, heap_used = 0;
};

Snapshot take_snapshot() {
  Snapshot s;
  for (alloc::NodeFrame* f = alloc::node_frames(); f; f = f->next)
    s.nodes.insert(s.nodes.end(), {f->capacity - f->used, f->used, f->capacity});
  for (alloc::SeriesFrame* f = alloc::memory().series_head; f; f = f->next) {
    auto total = static_cast<uint64_t>(f->end - f->heap());
    auto used = static_cast<uint64_t>(f->bump - f->heap());
    s.series.insert(s.series.end(), {total - used, used, total});
  }
  for (alloc::BigFrame* f = alloc::big_series(); f; f = f->next) s.big.push_back(f->need);
  struct mallinfo2 m = mallinfo2();
  s.heap_taken = m.arena + m.hblkhd;
  s.heap_used = m.uordblks + m.hblkhd;
  return s;
}

Cell number(uint64_t v) {
  if (v <= INT32_MAX) return make_integer(static_cast<int32_t>(v));
  return make_float(static_cast<double>(v));
}

// Appends a block of the numbers, a new line before each group of `group`.
void append_group(Cell* result, const Numbers& numbers, size_t group) {
  stack::Mark mark;
  Cell* inner = block::make_at(stack::push_unset(), static_cast<int32_t>(numbers.size()));
  for (size_t i = 0; i < numbers.size(); ++i) {
    Cell n = number(numbers[i]);
    n.set_new_line(i % group == 0);
    block::append_copy(*inner, n);
  }
  block::append_copy(*result, *inner);
}

}  // namespace

uint64_t memory_in_use() {
  uint64_t total = 0;
  for (alloc::NodeFrame* f = alloc::node_frames(); f; f = f->next)
    total += uint64_t{f->used} * sizeof(uintptr_t);
  for (alloc::SeriesFrame* f = alloc::memory().series_head; f; f = f->next)
    total += static_cast<uint64_t>(f->bump - f->heap());
  for (alloc::BigFrame* f = alloc::big_series(); f; f = f->next) total += f->need;
  return total;
}

void memory_stats(Cell* result) {
  Snapshot s = take_snapshot();
  block::make_at(result, 5);
  append_group(result, s.nodes, 3);
  append_group(result, s.series, 3);
  append_group(result, s.big, 1);
  block::append_copy(*result, number(s.heap_taken));
  block::append_copy(*result, number(s.heap_used));
}

}  // namespace vyn::gc
