// values/memory_stats.cpp: the memory statistics as a block of numbers.
#include "values/memory_stats.hpp"

#include <vector>

#include "core/gc_stats.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"

namespace vyn::gc {
namespace {

using Numbers = std::vector<uint64_t>;

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

// The snapshot is taken before anything is made, so the figures describe the memory as the
// caller left it.
void memory_stats(Cell* result) {
  MemorySnapshot s = memory_snapshot();
  block::make_at(result, 5);
  append_group(result, s.nodes, 3);
  append_group(result, s.series, 3);
  append_group(result, s.big, 1);
  block::append_copy(*result, number(s.heap_taken));
  block::append_copy(*result, number(s.heap_used));
}

}  // namespace vyn::gc
