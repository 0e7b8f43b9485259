// core/gc_nodes.cpp: node frames after a collection (releasing the empty ones, keeping their
// stability history) and the compaction that empties sparsely used, stable frames.
//
// Compaction changes node ids, which C++ code keeps in locals across allocations; the collector
// runs it only when asked to at a safe point (Nodes::may_move) and never while a hash table
// rebuild computes hashes from node ids.
#include "core/gc.hpp"
#include "core/gc_internal.hpp"
#include "core/node.hpp"

namespace vyn::gc::detail {
namespace {

using alloc::NodeFrame;

constexpr uint32_t stable_bits = (1u << (stability_setting + 1)) - 1;

NodeFrame* first_with_free() {
  for (NodeFrame* f = alloc::node_frames(); f; f = f->next)
    if (f->free_head && !f->release) return f;
  return nullptr;
}

NodeFrame* last_frame() {
  NodeFrame* f = alloc::node_frames();
  while (f && f->next) f = f->next;
  return f;
}

// A free slot holds 0 or the address of another slot of its frame; a used one its buffer's.
bool slot_in_use(const NodeFrame* f, uintptr_t v) {
  auto first = reinterpret_cast<uintptr_t>(f->slots);
  return v && !(v >= first && v < first + f->capacity * sizeof(uintptr_t));
}

// Moves every used node of the frame into other frames (new_node skips a frame being released)
// and records each move. The old slot is cleared, so a stale id faults at the collector's check.
void empty_frame(NodeFrame* f) {
  State& s = state();
  f->release = true;
  if (!s.relocation) s.relocation = intmap::new_(20000);
  for (uint32_t i = 0; i < f->capacity && f->used; ++i) {
    uintptr_t v = f->slots[i];
    if (!slot_in_use(f, v)) continue;
    auto* b = reinterpret_cast<SeriesBuffer*>(v);
    NodeId fresh = alloc::new_node();
    alloc::set_node_buffer(fresh, b);
    b->node = fresh;
    f->slots[i] = 0;
    f->used--;
    intmap::put(s.relocation, alloc::make_node_id(f->index, i), fresh);
  }
}

// A frame qualifies when its used count stayed the same over the last collections and since the
// last one (so it received none of the nodes moved in this pass), holds few nodes, and the other
// frames have room to spare for them.
bool qualifies(const NodeFrame* f, const NodeFrame* current, int64_t free_total) {
  return !f->release && f != current && (f->stability & stable_bits) == stable_bits &&
         f->used == f->used_at_last && f->used < compaction_used_limit &&
         free_total > compaction_free_floor;
}

}  // namespace

bool compact_node_frames() {
  NodeFrame* current = first_with_free();
  if (!current) return false;
  alloc::set_current_node_frame(current);
  int64_t free_total = 0;
  for (NodeFrame* f = alloc::node_frames(); f; f = f->next)
    if (!f->release) free_total += f->capacity - f->used;
  bool moved = false;
  for (NodeFrame* f = last_frame(); f; f = f->prev) {
    if (!qualifies(f, current, free_total)) continue;
    empty_frame(f);
    free_total -= f->capacity;
    moved = true;
  }
  return moved;
}

void shrink_node_frames() {
  for (NodeFrame* f = alloc::node_frames(); f;) {
    NodeFrame* next = f->next;
    if (f->used == 0 || f->release) alloc::free_node_frame(f);
    f = next;
  }
  alloc::set_current_node_frame(first_with_free());
  for (NodeFrame* f = alloc::node_frames(); f; f = f->next) {
    f->stability = (f->stability << 1) | (f->used == f->used_at_last ? 1u : 0u);
    f->used_at_last = f->used;
  }
}

}  // namespace vyn::gc::detail
