// core/gc_mark.cpp: marking: nodes, buffers and cells by their datatype's layout.
#include <cstdio>
#include <cstdlib>

#include "core/gc.hpp"
#include "core/gc_internal.hpp"
#include "core/gc_layout.hpp"
#include "core/fault.hpp"
#include "core/handles.hpp"
#include "core/hashtable.hpp"
#include "core/node.hpp"

namespace vyn::gc {
namespace {

using detail::state;

// A node that names no live buffer means some cell outlived its series: the heap can no longer
// be trusted, so the process ends here through the runtime error reporter (which runs nothing
// registered for exit) rather than free or move the wrong memory.
[[noreturn]] void corrupt(NodeId node) {
  char message[80];
  std::snprintf(message, sizeof message, "the collector met node %u, which holds no series", node);
  fault::report(101, message, __builtin_return_address(0));
}

SeriesBuffer* buffer_checked(NodeId node) {
  alloc::NodeFrame* f = alloc::find_node_frame(node);
  if (!f) corrupt(node);
  auto* b = reinterpret_cast<SeriesBuffer*>(*alloc::node_slot(node));
  if (!b || b->node != node) corrupt(node);
  return b;
}

uint32_t& payload(Cell& c, int i) { return i == 0 ? c.w1 : i == 1 ? c.w2 : c.w3; }

void mark_word(Holds role, uint32_t& w) {
  switch (role) {
    case Holds::nothing: return;
    case Holds::series: mark_series(w); return;
    case Holds::cells: mark_block(w); return;
    case Holds::table: mark_table(w); return;
    case Holds::handle:
      if (static_cast<int32_t>(w) >= 0) handles::mark(static_cast<int32_t>(w));
      return;
  }
}

class TableMarker final : public hashtable::Marker {
 public:
  void series(NodeId& node) override { mark_series(node); }
  void block(NodeId& node) override { mark_block(node); }
  void cells(Cell* first, Cell* last) override { mark_cells(first, last); }
  bool marked(NodeId& node) override { return gc::marked(node); }
};
TableMarker table_marker;

}  // namespace

void relocate(NodeId& node) {
  intmap::IntMap* map = state().relocation;
  if (!map || !node) return;
  if (uint32_t* to = intmap::get(map, node)) node = *to;
}

bool mark_series(NodeId& node) {
  if (!node) return false;
  relocate(node);
  SeriesBuffer* b = buffer_checked(node);
  if (b->flags & SeriesBuffer::mark) return false;
  b->flags |= SeriesBuffer::mark;
  if (b->flags & SeriesBuffer::malloced) state().fixed.push_back(b);
  return true;
}

bool mark_block(NodeId& node) {
  if (!mark_series(node)) return false;
  if (buffer_of(node)->unit() == sizeof(Cell)) state().work.push_back(node);
  return true;
}

// A table reached a second time was marked, and its arrays' nodes rewritten, the first time.
void mark_table(NodeId& table) {
  if (mark_series(table)) hashtable::mark(table, table_marker);
}

bool marked(NodeId& node) {
  if (!node) return false;
  relocate(node);
  return buffer_checked(node)->flags & SeriesBuffer::mark;
}

void mark_cell(Cell& c) {
  const Layout& l = layout(c.type());
  for (int i = 0; i < 3; ++i) {
    if (l.word[i] == Holds::nothing || (i == l.guarded && !l.guard(c))) continue;
    mark_word(l.word[i], payload(c, i));
  }
  if (l.hook) l.hook(c);
}

void mark_cells(Cell* first, Cell* last) {
  for (Cell* c = first; c < last; ++c) mark_cell(*c);
}

hashtable::Marker& marker() { return table_marker; }

namespace detail {

// Marking moves nothing, so a buffer's address holds while its cells are marked.
void drain() {
  std::vector<NodeId>& work = state().work;
  while (!work.empty()) {
    NodeId node = work.back();
    work.pop_back();
    SeriesBuffer* b = buffer_of(node);
    mark_cells(reinterpret_cast<Cell*>(b->head_ptr()), reinterpret_cast<Cell*>(b->tail_ptr()));
  }
}

}  // namespace detail
}  // namespace vyn::gc
