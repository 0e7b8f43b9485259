// core/series.cpp: the memory manager's series frames, buffers and big series.
#include "core/series.hpp"

#include <cstdlib>
#include <cstring>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/gc_stress.hpp"
#include "core/heap.hpp"
#include "core/os_frame.hpp"

namespace vyn::alloc {
namespace {

Memory mem;

void insert_sorted(SeriesFrame* f) {
  if (!mem.series_head) {
    f->prev = f->next = nullptr;
    mem.series_head = mem.series_last = f;
    return;
  }
  if (f < mem.series_head) {
    f->prev = nullptr;
    f->next = mem.series_head;
    mem.series_head->prev = f;
    mem.series_head = f;
    return;
  }
  if (f > mem.series_last) {
    f->next = nullptr;
    f->prev = mem.series_last;
    mem.series_last->next = f;
    mem.series_last = f;
    return;
  }
  SeriesFrame* at = mem.series_head;
  while (at < f) at = at->next;
  f->next = at;
  f->prev = at->prev;
  at->prev->next = f;
  at->prev = f;
}

constexpr size_t huge_series = size_t{32} << 20;

SeriesBuffer* new_big(size_t need) {
  // A very big series is mostly filled whole soon after it is made (a file read, a codec's
  // output): it asks for huge pages. Below that size the last part-used huge page would cost more
  // memory than the faults it saves.
  auto* frame = static_cast<BigFrame*>(virtual_alloc(need + sizeof(BigFrame), need >= huge_series, true));
  frame->next = mem.big_head;
  frame->prev = nullptr;
  frame->need = need;
  mem.big_head = frame;
  return frame->buffer();
}

// After a collection: frames enough that the free space is at least as much as the frames
// hold, so that the next collection comes only after that much more is made. A large live set is
// then marked once per so many megabytes made, not at every frame filled.
void keep_headroom() {
  size_t used = 0, free = 0;
  for (SeriesFrame* f = mem.series_head; f; f = f->next) {
    used += static_cast<size_t>(f->bump - f->heap());
    free += static_cast<size_t>(f->end - f->bump);
  }
  while (free < used) {
    SeriesFrame* added = new_series_frame();
    free += static_cast<size_t>(added->end - added->bump);
  }
}

uint8_t* carve(size_t need) {
  SeriesFrame* f = mem.series_current;
  if (f && f->bump + need < f->end) {
    uint8_t* p = f->bump;
    f->bump += need;
    return p;
  }
  // A frame counts as having room when it keeps at least the floor: a frame left with a few free
  // bytes must not stand in for room forever, or frames would be added and never collected.
  size_t wanted = need > frame_floor ? need : frame_floor;
  f = find_series_frame(wanted);
  if (!f && gc::enabled()) {
    gc::collect();
    keep_headroom();
    f = find_series_frame(wanted);
  }
  if (!f) {
    if (need >= mem.next_frame_size) mem.next_frame_size = big_threshold;
    f = new_series_frame();
  }
  mem.series_current = f;
  uint8_t* p = f->bump;
  f->bump += need;
  return p;
}

}  // namespace

Memory& memory() { return mem; }

void init() { mem = Memory{}; }

SeriesFrame* new_series_frame() {
  uint32_t size = mem.next_frame_size;
  if (size < big_threshold) mem.next_frame_size = size * 2;
  auto* f = static_cast<SeriesFrame*>(virtual_alloc(size + sizeof(SeriesFrame)));
  f->total = size + sizeof(SeriesFrame);
  f->bump = f->heap();
  f->end = f->heap() + size;
  insert_sorted(f);
  if (!mem.series_current) mem.series_current = f;
  return f;
}

SeriesFrame* adopt_series_frame(void* memory, size_t heap_bytes, size_t used) {
  auto* f = static_cast<SeriesFrame*>(memory);
  f->total = heap_bytes + sizeof(SeriesFrame);
  f->bump = f->heap() + used;
  f->end = f->heap() + heap_bytes;
  insert_sorted(f);
  if (!mem.series_current) mem.series_current = f;
  return f;
}

void free_series_frame(SeriesFrame* f) {
  if (f->prev) f->prev->next = f->next; else mem.series_head = f->next;
  if (f->next) f->next->prev = f->prev; else mem.series_last = f->prev;
  if (mem.series_current == f) mem.series_current = mem.series_last;
  virtual_free(f);
}

SeriesFrame* find_series_frame(size_t need) {
  for (SeriesFrame* f = mem.series_head; f; f = f->next)
    if (f->bump + need < f->end) return f;
  return nullptr;
}

SeriesBuffer* new_series_buffer(uint32_t count, uint32_t unit, int32_t offset) {
  uint64_t bytes = round_to(static_cast<uint64_t>(count) * unit, 16);
  if (bytes > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  uint32_t size = static_cast<uint32_t>(bytes);
  size_t need = size_t{size} + sizeof(SeriesBuffer);
  SeriesBuffer* b;
  uint32_t big_bit = 0;
  if (need >= big_threshold) {
    gc::collect_if_enabled();
    b = new_big(need);
    big_bit = SeriesBuffer::big;
  } else {
    if (gc::stress() && gc::enabled() && gc::stress_policy::due()) gc::collect();
    b = reinterpret_cast<SeriesBuffer*>(carve(need));
  }
  ++mem.buffers_made;
  b->size = size;
  b->flags = unit | SeriesBuffer::in_use | big_bit | SeriesBuffer::made;
  if (offset == offset_middle) {
    b->flags |= SeriesBuffer::middle;
    offset = static_cast<int32_t>(size / 2);
  }
  b->node = 0;
  b->head = b->tail = static_cast<uint32_t>(offset);
  b->spare = 0;
  return b;
}

NodeId new_series(uint32_t count, uint32_t unit, int32_t offset) {
  SeriesBuffer* b = new_series_buffer(count, unit, offset);
  NodeId node = new_node();
  set_node_buffer(node, b);
  b->node = node;
  return node;
}

NodeId new_cells(uint32_t n) { return new_series(n, sizeof(Cell), 0); }

NodeId new_cells_unset(uint32_t n) {
  NodeId node = new_cells(n);
  SeriesBuffer* b = buffer_of(node);
  Cell* c = reinterpret_cast<Cell*>(b->data());
  for (uint32_t i = 0; i < b->size / sizeof(Cell); ++i) c[i] = make_unset();
  return node;
}

NodeId new_bytes(uint32_t n) { return new_series(n ? n : 16, 1, 0); }

NodeId new_codepoints(uint32_t n, uint32_t unit) {
  if (n == 0) n = 16 / unit;
  return new_series(n, unit, 0);
}

NodeId new_bytes_filled(uint32_t n, uint8_t byte) {
  NodeId node = new_bytes(n);
  SeriesBuffer* b = buffer_of(node);
  std::memset(b->data(), byte, b->size);
  return node;
}

NodeId new_series_malloc(uint32_t count, uint32_t unit, int32_t offset) {
  uint32_t size = static_cast<uint32_t>(round_to(static_cast<size_t>(count) * unit, 16));
  auto* b = static_cast<SeriesBuffer*>(heap::alloc(sizeof(SeriesBuffer) + size));
  b->flags = unit | SeriesBuffer::in_use | SeriesBuffer::made | SeriesBuffer::malloced;
  b->size = size;
  b->head = b->tail = static_cast<uint32_t>(offset);
  NodeId node = new_node();
  set_node_buffer(node, b);
  b->node = node;
  return node;
}

void set_series_flag(NodeId node, uint32_t bits) { buffer_of(node)->flags |= bits; }

namespace {

// Moves the node's series into a new buffer and answers both; the old one stays intact (and
// unreachable) until the next allocation.
SeriesBuffer* move_series(NodeId node, uint32_t size, SeriesBuffer** old_out) {
  SeriesBuffer* old = buffer_of(node);
  if (size == 0) size = old->size * 2;
  if (size < 1) fire(Err::internal_no_memory);
  uint32_t unit = old->unit() ? old->unit() : 1;
  SeriesBuffer* fresh = new_series_buffer(size / unit, unit, 0);
  old = buffer_of(node);  // the allocation may have moved it
  set_node_buffer(node, fresh);
  uint32_t big_bit = fresh->flags & SeriesBuffer::big;
  fresh->flags = (old->flags & ~SeriesBuffer::big) | big_bit;
  fresh->node = node;
  fresh->tail = fresh->head + old->used();
  old->node = 0;
  old->flags &= ~SeriesBuffer::in_use;
  *old_out = old;
  return fresh;
}

// The bytes that travel with a move: from the old head to the end of the old data (the whole data
// when the head is at its start), so bytes past the tail travel too; bit arrays rely on it.
void move_data(SeriesBuffer* from, SeriesBuffer* to) {
  uint32_t n = from->size - from->head;
  if (n > to->size - to->head) n = to->size - to->head;
  std::memcpy(to->head_ptr(), from->data() + from->head, n);
}

// A big buffer that grows stays in its OS frame, which the system remaps to the new size: its
// data is neither copied nor touched again, and only the added pages are ever faulted in. The head
// moves to the start of the data, as it does in a move. Answers nullptr when the frame cannot be
// remapped, and the caller moves the series instead.
SeriesBuffer* grow_big(NodeId node, uint32_t size) {
  SeriesBuffer* b = buffer_of(node);
  if (!(b->flags & SeriesBuffer::big) || (b->flags & SeriesBuffer::malloced)) return nullptr;
  if (size == 0) size = b->size * 2;
  size = static_cast<uint32_t>(round_to(size, 16));
  if (size <= b->size || size > 0x7FFFFFF0u) return nullptr;
  if (gc::stress() && gc::enabled() && gc::stress_policy::due()) gc::collect();
  b = buffer_of(node);
  BigFrame* frame = reinterpret_cast<BigFrame*>(b) - 1;
  size_t need = size_t{size} + sizeof(SeriesBuffer);
  auto* moved = static_cast<BigFrame*>(virtual_resize(frame, need + sizeof(BigFrame)));
  if (!moved) return nullptr;
  if (moved != frame) {
    if (mem.big_head == frame) {
      mem.big_head = moved;
    } else {
      BigFrame* before = mem.big_head;
      while (before->next != frame) before = before->next;
      before->next = moved;
    }
  }
  moved->need = need;
  ++mem.buffers_made;
  b = moved->buffer();
  set_node_buffer(node, b);
  if (b->head) {
    std::memmove(b->data(), b->data() + b->head, b->size - b->head);
    b->tail -= b->head;
    b->head = 0;
  }
  b->size = size;
  return b;
}

}  // namespace

SeriesBuffer* expand_series(NodeId node, uint32_t size) {
  SeriesBuffer* old;
  return move_series(node, size, &old);
}

SeriesBuffer* expand_series_copy(NodeId node, uint32_t size) {
  if (SeriesBuffer* grown = grow_big(node, size)) return grown;
  SeriesBuffer* old;
  SeriesBuffer* fresh = move_series(node, size, &old);
  move_data(old, fresh);
  return fresh;
}

SeriesBuffer* expand_series_fill(NodeId node, uint32_t size, uint8_t byte) {
  uint32_t old_size = buffer_of(node)->size;
  SeriesBuffer* fresh = expand_series_copy(node, size);
  uint32_t from = fresh->head + old_size;
  if (from < fresh->size) std::memset(fresh->data() + from, byte, fresh->size - from);
  return fresh;
}

NodeId copy_series(NodeId node) {
  uint32_t size = buffer_of(node)->size;
  NodeId copy = new_bytes(size);
  SeriesBuffer* from = buffer_of(node);
  SeriesBuffer* to = buffer_of(copy);
  uint32_t big_bit = to->flags & SeriesBuffer::big;
  to->flags = (from->flags & ~(SeriesBuffer::big | SeriesBuffer::malloced | SeriesBuffer::mark)) | big_bit;
  to->tail = to->head + from->used();
  if (from->size) move_data(from, to);
  return copy;
}

BigFrame* big_series() { return mem.big_head; }

void free_big_series(BigFrame* frame, BigFrame* before) {
  if (before) before->next = frame->next; else mem.big_head = frame->next;
  virtual_free(frame, true);  // kept as the spare for the next big series
}

void free_all_frames() {
  while (mem.series_head) free_series_frame(mem.series_head);
  while (mem.big_head) free_big_series(mem.big_head, nullptr);
  release_spare();
  free_all_node_frames();
  heap::free_all();
  mem = Memory{};
}

}  // namespace vyn::alloc
