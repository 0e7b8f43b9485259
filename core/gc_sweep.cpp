// core/gc_sweep.cpp: freeing dead big series and their nodes, and clearing the marks that no sweep
// walks over.
#include "core/gc.hpp"
#include "core/gc_internal.hpp"

namespace vyn::gc::detail {

void release_node(NodeId node) { alloc::free_node(node); }

void sweep_big_series() {
  alloc::BigFrame* before = nullptr;
  for (alloc::BigFrame* f = alloc::big_series(); f;) {
    alloc::BigFrame* next = f->next;
    SeriesBuffer* b = f->buffer();
    if (b->flags & SeriesBuffer::mark) {
      b->flags &= ~SeriesBuffer::mark;
      before = f;
    } else {
      if ((b->flags & SeriesBuffer::in_use) && b->node) release_node(b->node);
      alloc::free_big_series(f, before);
    }
    f = next;
  }
}

void unmark_fixed() {
  for (SeriesBuffer* b : state().fixed) b->flags &= ~SeriesBuffer::mark;
  state().fixed.clear();
}

}  // namespace vyn::gc::detail
