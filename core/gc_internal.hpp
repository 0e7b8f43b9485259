// core/gc_internal.hpp: the collector's working state, shared by its files (core/gc*.cpp) and by
// nothing else.
#pragma once

#include <cstdint>
#include <vector>

#include "core/cell.hpp"
#include "core/hashtable_intmap.hpp"
#include "core/series.hpp"

namespace vyn::gc::detail {

inline constexpr uint8_t poison_byte = 0xDB;  // as a header: no type; as a node: no frame
inline constexpr int callback_capacity = 100;
inline constexpr int stability_setting = 5;   // stable over the last setting + 1 collections
inline constexpr uint32_t compaction_free_floor = 10000;
inline constexpr uint32_t compaction_used_limit = 5000;

struct Callback {
  MarkCallback fn;
  void* data;
};

struct State {
  bool enabled = false;
  bool running = false;
  bool compaction_requested = false;
  Stats stats;
  // Old node id -> new one, while a collection that moved nodes marks; nullptr otherwise.
  intmap::IntMap* relocation = nullptr;
  // Cell buffers marked whose cells are still to be marked: marking keeps its own stack rather
  // than recursing, so a deeply nested block cannot overflow the C++ stack.
  std::vector<NodeId> work;
  // Marked buffers of the platform heap: no sweep walks them, so their marks go at the end.
  std::vector<SeriesBuffer*> fixed;
  Callback marks[callback_capacity] = {};
  Callback sweeps[callback_capacity] = {};
};
State& state();

// Whether freed and left space is filled with poison_byte: stress mode and debug builds.
bool poisoning();

// Marking (core/gc_mark.cpp, core/gc_roots.cpp).
void mark_roots();
void drain();
void run_callbacks(const Callback* table);

// After marking (core/gc_compact.cpp, core/gc_sweep.cpp, core/gc_nodes.cpp).
void compact_series_frames();
void evacuate_series_frames();  // stress mode: every live buffer to fresh frames
void sweep_big_series();
void unmark_fixed();
bool compact_node_frames();     // answers whether nodes moved
void shrink_node_frames();
// A node whose buffer died goes back to its frame.
void release_node(NodeId node);
// Points the node of every buffer in [from, to) at its buffer's address there.
void relink(uint8_t* from, uint8_t* to);

// The space a buffer of a series frame occupies: its data, the header and the spare word.
inline size_t footprint(const SeriesBuffer* b) { return size_t{b->size} + sizeof(SeriesBuffer); }

}  // namespace vyn::gc::detail
