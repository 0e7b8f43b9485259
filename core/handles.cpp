// core/handles.cpp: the external-handle registry.
#include "core/handles.hpp"

#include <cassert>
#include <cstring>

#include "core/error.hpp"
#include "core/heap.hpp"

namespace vyn::handles {
namespace {

struct Kind {
  uint32_t tag;
  Release release;
};

struct Registry {
  Kind* kinds = nullptr;
  int kind_count = 0;
  Entry* slots = nullptr;
  int32_t capacity = 0;
  int32_t free_head = -1;
  int32_t live_head = -1;  // newest first
};
Registry reg;

// Chains slots [first, last) as free, in index order; the last one ends the chain.
void chain_free(int32_t first, int32_t last) {
  for (int32_t i = first; i < last; ++i) reg.slots[i] = Entry{free_flag, 0, i + 1};
  reg.slots[last - 1].next = -1;
}

// Doubles the slot array; the new half follows the free list's last slot (the free head, since
// it is the only slot left).
void grow() {
  int32_t old = reg.capacity;
  if (old > 0x3FFFFFFF) fire(Err::internal_no_memory);
  auto* slots = static_cast<Entry*>(heap::alloc(sizeof(Entry) * 2 * old));
  std::memcpy(slots, reg.slots, sizeof(Entry) * old);
  heap::free(reg.slots);
  reg.slots = slots;
  reg.capacity = old * 2;
  chain_free(old, reg.capacity);
  reg.slots[reg.free_head].next = old;
}

bool live(int32_t index) {
  return index >= 0 && index < reg.capacity && !(reg.slots[index].kind & free_flag);
}

void unlink_live(int32_t index) {
  for (int32_t* link = &reg.live_head; *link != -1; link = &reg.slots[*link].next) {
    if (*link != index) continue;
    *link = reg.slots[index].next;
    return;
  }
}

void push_free(int32_t index) {
  reg.slots[index] = Entry{free_flag, 0, reg.free_head};
  reg.free_head = index;
}

}  // namespace

void init() {
  reg = Registry{};
  reg.kinds = static_cast<Kind*>(heap::alloc(sizeof(Kind) * max_kinds));
  reg.slots = static_cast<Entry*>(heap::alloc(sizeof(Entry) * initial_slots));
  reg.capacity = initial_slots;
  chain_free(0, initial_slots);
  reg.free_head = 0;
}

int register_kind(uint32_t tag, Release release) {
  if (reg.kind_count == max_kinds) fire(Err::internal_limit_hit, {make_integer(max_kinds)});
  reg.kinds[reg.kind_count++] = Kind{tag, release};
  return reg.kind_count;
}

int32_t new_(uintptr_t object, int kind) {
  assert(kind >= 0 && kind <= reg.kind_count && "a registered kind");
  if (reg.slots[reg.free_head].next == -1) grow();
  int32_t index = reg.free_head;
  reg.free_head = reg.slots[index].next;
  reg.slots[index] = Entry{static_cast<uint32_t>(kind) & kind_mask, object, reg.live_head};
  reg.live_head = index;
  return index;
}

void set(int32_t index, uintptr_t object) {
  if (!live(index)) return;
  Entry& e = reg.slots[index];
  uintptr_t old = e.object;
  e.object = object;
  if (old != object) release_slot(e.kind, old);
}

void free(int32_t index, bool release) {
  if (!live(index)) return;
  Entry e = reg.slots[index];
  unlink_live(index);
  push_free(index);
  // released last, so a callback that uses the registry finds it consistent
  if (release) release_slot(e.kind, e.object);
}

void release_slot(uint32_t kind_word, uintptr_t object) {
  int kind = static_cast<int>(kind_word & kind_mask);
  if (kind < 1 || kind > reg.kind_count || !reg.kinds[kind - 1].release) return;
  reg.kinds[kind - 1].release(object);
}

bool mark(int32_t index, uintptr_t object) {
  if (!live(index)) return false;
  Entry& e = reg.slots[index];
  bool was_unmarked = !(e.kind & mark_flag);
  e.kind |= mark_flag;
  if (object) e.object = object;
  return was_unmarked;
}

void sweep() {
  // First take every unmarked slot off the live list into a dead list (oldest last, as found),
  // flagged free so nothing can mark or free it again; then free and release them one by one.
  // Callbacks may use the registry, even grow it: the walk goes by index.
  int32_t dead = -1, dead_tail = -1;
  int32_t* link = &reg.live_head;
  while (*link != -1) {
    Entry& e = reg.slots[*link];
    if (e.kind & mark_flag) {
      e.kind &= ~mark_flag;
      link = &e.next;
      continue;
    }
    int32_t index = *link;
    *link = e.next;
    e.kind |= free_flag;
    e.next = -1;
    if (dead_tail == -1) dead = index; else reg.slots[dead_tail].next = index;
    dead_tail = index;
  }
  while (dead != -1) {
    Entry e = reg.slots[dead];
    push_free(dead);
    dead = e.next;
    release_slot(e.kind, e.object);
  }
}

void for_each(int kind, const std::function<void(int, uintptr_t)>& fn) {
  for (int32_t i = reg.live_head; i != -1;) {
    Entry e = reg.slots[i];
    if (static_cast<int>(e.kind & kind_mask) == kind) fn(kind, e.object);
    // the slot may have been freed by fn: then its saved successor still leads on
    i = live(i) ? reg.slots[i].next : e.next;
  }
}

int32_t capacity() { return reg.capacity; }

const Entry& entry(int32_t index) {
  assert(index >= 0 && index < reg.capacity);
  return reg.slots[index];
}

}  // namespace vyn::handles
