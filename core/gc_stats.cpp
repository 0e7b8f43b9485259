// core/gc_stats.cpp: memory statistics.
#include "core/gc_stats.hpp"

#include <malloc.h>

#include <vector>

#include "core/node.hpp"
#include "core/series.hpp"

namespace vyn::gc {

MemorySnapshot memory_snapshot() {
  MemorySnapshot s;
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

uint64_t memory_in_use() {
  uint64_t total = 0;
  for (alloc::NodeFrame* f = alloc::node_frames(); f; f = f->next)
    total += uint64_t{f->used} * sizeof(uintptr_t);
  for (alloc::SeriesFrame* f = alloc::memory().series_head; f; f = f->next)
    total += static_cast<uint64_t>(f->bump - f->heap());
  for (alloc::BigFrame* f = alloc::big_series(); f; f = f->next) total += f->need;
  return total;
}

}  // namespace vyn::gc
