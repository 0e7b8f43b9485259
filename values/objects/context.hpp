// values/objects/context.hpp: contexts: symbols mapped to value slots (global, function and object).
//
// A context is a node whose series holds two cells: the context! cell (kind in header bits 11-12,
// flag_stack when the values live in a call's stack frame, flag_self when it has self; w1 the node
// of its word table, a symbol-keyed hash table whose indexed block is the word list in slot order;
// w2 the node of the values block, or for a stack context the value-stack index + 1 of the running
// call's first argument, 0 while no call runs), then a copy of the owner (unset! until made).
//
// Every value made over a context (object!, error!, port!, function!, routine!) keeps its node in
// payload word 1: context::of reads it.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "core/word_cell.hpp"

namespace vyn::context {

enum class Kind : uint32_t { global = 0, function = 1, object = 2 };
inline constexpr uint32_t flag_stack = 0x400000;
inline constexpr uint32_t flag_self = 0x1000000;
inline constexpr uint32_t kind_shift = 11;

// The context node of a value made over one.
inline NodeId of(const Cell& value) { return value.w1; }
inline void set_of(Cell& value, NodeId ctx) { value.w1 = ctx; }

// The context! cell's own payload.
inline Kind kind_in(const Cell& h) { return static_cast<Kind>((h.header >> kind_shift) & 3); }
inline bool stack_in(const Cell& h) { return h.header & flag_stack; }
inline NodeId table_in(const Cell& h) { return h.w1; }
inline uint32_t values_in(const Cell& h) { return h.w2; }  // a node, or a stack position + 1
inline Cell make_header(Kind kind, bool stack, bool self, NodeId table, uint32_t values) {
  uint32_t header = static_cast<uint32_t>(Type::context) | (static_cast<uint32_t>(kind) << kind_shift);
  if (stack) header |= flag_stack;
  if (self) header |= flag_self;
  return Cell{header, table, values, 0};
}

// Addresses into the context's series; good until the next allocation.
inline Cell* header_cell(NodeId ctx) { return reinterpret_cast<Cell*>(buffer_of(ctx)->data()); }
inline Cell* owner(NodeId ctx) { return header_cell(ctx) + 1; }
inline Kind kind_of(NodeId ctx) { return kind_in(*header_cell(ctx)); }
inline bool on_stack(NodeId ctx) { return stack_in(*header_cell(ctx)); }
inline NodeId word_table(NodeId ctx) { return table_in(*header_cell(ctx)); }
// Word 2 of the context! cell: the values block's node, or for a stack context the value-stack
// index + 1 of the running call's first argument (0: none), which call frames save and restore.
inline uint32_t values_word(NodeId ctx) { return values_in(*header_cell(ctx)); }
inline void set_values_word(NodeId ctx, uint32_t values) { header_cell(ctx)->w2 = values; }
inline void set_word_table(NodeId ctx, NodeId table) { header_cell(ctx)->w1 = table; }

NodeId word_list(NodeId ctx);   // the block of the context's words, in slot order
int32_t slot_count(NodeId ctx);
Cell* word_at(NodeId ctx, int32_t index);
// The first value slot: in the values block, or in the running call's frame; nullptr when a stack
// context has no call running.
inline Cell* values(NodeId ctx) {
  const Cell& h = *header_cell(ctx);
  if (stack_in(h)) return values_in(h) ? stack::at_index(values_in(h) - 1) : nullptr;
  return reinterpret_cast<Cell*>(buffer_of(values_in(h))->data());
}
NodeId global();

NodeId make(int32_t slots, bool stack, bool self, NodeId source, Kind kind);
NodeId make_from_spec(const Cell& spec, bool stack, bool self, Kind kind);
// A copy with the same slots and flags whose words are re-pointed to it; the value's context node
// (w1) becomes the new one. The values block starts empty.
NodeId clone(Cell& value, Kind kind);

int32_t find_word(NodeId ctx, uint32_t symbol, bool fold);
// As find_word; an absent symbol is added to the word list (not to the values) and its new index
// goes to out_index, the answer staying -1.
int32_t find_word_ex(NodeId ctx, uint32_t symbol, bool fold, int32_t* out_index);
int32_t find_or_add(NodeId ctx, const Cell& word);
// The word of a symbol in the global context, adding it with an unset! value when absent.
Cell add_word(uint32_t symbol, bool fold, bool keep_spelling);
inline Cell add_global(uint32_t symbol) { return add_word(symbol, false, true); }

void get_or_new(NodeId ctx, const Cell& word, Cell* target);
void set_if_absent(NodeId ctx, const Cell& word, const Cell& value);
Cell* value_cell_of(NodeId ctx, uint32_t symbol);
// The value cell of a bound word when its index is known and its context has values; the other
// cases (and their errors) go through value_cell_slow.
Cell* value_cell_slow(const Cell& word, NodeId ctx);
inline Cell* value_cell(const Cell& word, NodeId ctx) {
  int32_t index = word::index(word);

  if (index >= 0) {
    if (Cell* v = values(ctx)) return v + index;
  }
  return value_cell_slow(word, ctx);
}
// Stores value into the word's slot, looking an unknown index up (and storing it into word).
void set_in(Cell& word, const Cell& value, NodeId ctx, bool notify);
void bind_word(NodeId ctx, Cell& word);
void bind_block(Cell block, NodeId ctx, bool self);
bool collect_set_words(NodeId ctx, Cell block);

// While start-up collects words, every word made by name is also kept in the root block.
void set_collecting(bool on);
bool collecting();

// Registers context! (no actions) and how the collector marks its cells.
void install();

}  // namespace vyn::context
