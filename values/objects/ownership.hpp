// values/objects/ownership.hpp: the owners table: which object owns a series (through which of its
// fields), so that a change made in place to the series reaches the owner's on-deep-change*.
//
// The table is a weak record table keyed by the node of the owned series (an object's by its
// context node), three cells per record: a copy of the owned value, the owner object, the field
// word. An owned series carries SeriesBuffer::owned; an owner object's context! cell carries
// object::owner_mark. Records whose series or owner die are dropped by the collector.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/hashtable.hpp"
#include "core/series.hpp"
#include "values/action_sigs.hpp"

namespace vyn::ownership {

// Creates the table (1,000 records); once at start-up.
void init();
NodeId table();

// Records the owner of a value and of everything reachable from it: series are owned through the
// field word given; an object's fields through their own words. A series keeps its first owner.
void bind(Cell value, Cell owner, Cell word);
// bind, then marks the owner as an owner.
void set_owner(Cell value, Cell owner, Cell word);
// Removes ownership from a value and everything reachable from it; unbind_range does it for n
// cells of a block from index.
void unbind(Cell value);
void unbind_range(Cell series, int32_t index, int32_t n);
// The owner object of an owned series node, or nullptr; good until the next allocation.
Cell* get(NodeId key);
// Tells the owner of the value (a series, or an object) of a change: calls its on-deep-change*
// with the action word, the value inserted (or none), the position and the count. Answers
// whether an owner was notified.
bool check(Cell value, Cell action, const Cell* new_value, int32_t index, int32_t part);

// The two notices a modifying action sends: the action's word before the change, its past form
// after it, the second only when the first found an owner. Unowned series cost one flag test.
bool notify(const Cell& series, Action a, bool past, int32_t index, int32_t count, const Cell* value);
inline bool before(const Cell& series, Action a, int32_t index, int32_t count,
                   const Cell* value = nullptr) {
  if (!(buffer_of(series_node(series))->flags & SeriesBuffer::owned)) return false;
  return notify(series, a, false, index, count, value);
}
inline void after(const Cell& series, Action a, int32_t index, int32_t count,
                  const Cell* value = nullptr) {
  notify(series, a, true, index, count, value);
}
// The word of an action's notice: its own word, or its past form.
Cell action_word(Action a, bool past);

// For the collector: marks the table's own series (not its records), then, once everything else
// is marked, drops the records whose series or owner died and marks what the others hold.
void mark(hashtable::Marker& m);
void sweep(hashtable::Marker& m);

}  // namespace vyn::ownership
