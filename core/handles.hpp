// core/handles.hpp: the external-handle registry: OS handles, COM objects and native images
// entered in slots, released through their kind's callback when the collector finds them dead.
//
// A value that owns such a resource holds its slot index. The collector marks the slots of the
// values it reaches (mark) and then calls sweep, which releases every slot left unmarked. The
// tables live on the platform heap, so slot addresses never matter: everything goes by index.
#pragma once

#include <cstdint>
#include <functional>

namespace vyn::handles {

using Release = void (*)(uintptr_t object);

inline constexpr int max_kinds = 20;
inline constexpr int32_t initial_slots = 1000;

// Bits of an entry's kind word.
inline constexpr uint32_t kind_mask = 0xFF;
inline constexpr uint32_t free_flag = 0x40000000;
inline constexpr uint32_t mark_flag = 0x80000000;

struct Entry {
  uint32_t kind;     // kind number in bits 0-7, plus the flags above
  uintptr_t object;  // the OS handle or pointer; 0 in a free slot
  int32_t next;      // next slot of the free or the live list; -1 ends a list
};

// Fresh tables: no kinds, 1,000 free slots chained in index order, no live slot. Called by the
// runtime initialiser; the tables are released with the rest of the platform heap at exit.
void init();

// Appends a kind and answers its number, counting from 1. More than 20 kinds raise
// internal/limit-hit. release may be null: the kind's objects need no releasing.
int register_kind(uint32_t tag, Release release);

// Enters object in the first free slot and answers its index. The last free slot is never handed
// out: the table doubles first, so earlier indexes stay valid.
int32_t new_(uintptr_t object, int kind);
// Stores a new object in a live slot; the old one is released when it differs.
void set(int32_t index, uintptr_t object);
// Returns a live slot to the free list, releasing its object first when release is set. A free or
// out-of-range index is ignored.
void free(int32_t index, bool release);
// Calls the release callback of the kind in bits 0-7 of kind_word; nothing for kind 0, an
// unknown kind or a kind without callback.
void release_slot(uint32_t kind_word, uintptr_t object);

// Collector side. mark sets a live slot's mark, stores object there when it is not 0, and answers
// whether the slot was unmarked before (false too for a free or out-of-range index).
bool mark(int32_t index, uintptr_t object = 0);
// After marking: clears the marks of marked slots, frees and releases the others (each exactly
// once). Release callbacks run after their slot is back on the free list.
void sweep();

// Calls fn(kind, object) for every live slot of the kind, newest first. fn may free the slot it
// is given, but no other.
void for_each(int kind, const std::function<void(int, uintptr_t)>& fn);

// Inspection: the slot count and one slot.
int32_t capacity();
const Entry& entry(int32_t index);

}  // namespace vyn::handles
