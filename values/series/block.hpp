// values/series/block.hpp: block primitives: the cell-array operations every block-like value is built on.
//
// Functions that may allocate take the block cell by value: a reference into a series buffer would
// not survive the buffer moving. Answered Cell* addresses into a block are good until the next
// allocation.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"

namespace vyn::block {

inline SeriesBuffer* buffer(const Cell& b) { return buffer_of(series_node(b)); }
inline Cell* cells(const Cell& b) { return reinterpret_cast<Cell*>(buffer(b)->data()); }
inline int32_t length_total(const Cell& b) { return static_cast<int32_t>(buffer(b)->tail / sizeof(Cell)); }
inline bool is_any_block(Type t) {
  return t == Type::block || t == Type::paren || t == Type::hash || t == Type::path ||
         t == Type::lit_path || t == Type::set_path || t == Type::get_path;
}

int32_t vs_length(const Cell& b);        // may be negative when the head is past the tail
bool next_at_tail(Cell& b);
Cell* vs_head(Cell& b);                  // clamps a head past the tail first
Cell* vs_tail(const Cell& b);
bool vs_tail_q(Cell& b);
Cell* vs_abs_at(const Cell& b, int32_t index);
void truncate_at_head(const Cell& b);
void truncate_at(const Cell& b, int32_t index);

// A new unset! cell at the tail, growing the buffer (doubling) when it is full.
Cell* alloc_tail(Cell b);
void append_copy(Cell b, Cell value);
void remove_last(Cell& b);
void append_from(Cell b, Cell source);

// Addresses of the cell after the first match (op code find), or nullptr.
Cell* find_compare(Cell& b, Cell value);
bool find_compare_from(Cell& b, Cell value, bool from_start);
// The cell after the first word!, set-word!, lit-word! or get-word! from the head whose symbol is
// the word's (canonical symbols compared unless exact), or nullptr when none matches or the match
// is the last cell. Never allocates.
Cell* select_word(Cell& b, const Cell& word, bool exact);

// Pushes a new block of the source's type holding copies of its cells from the head.
Cell* clone(Cell source, bool deep, bool any_block);
// Replaces every series-like cell of [first, end) whose type is in types (a datatype!, a
// typeset!, or none for all) by its copy.
void find_typed(NodeId node, int32_t first, int32_t end, int32_t step, bool deep, Cell types);

Cell insert_cell(Cell b, Cell value, bool advance, bool at_start);
Cell insert_all(Cell b, Cell source);
void insert_frame_value();
Cell* append_second_arg();
void append_frame_value();

Cell* make_at(Cell* cell, int32_t capacity);
Cell* init_at(Cell* cell, int32_t capacity, bool fixed);
Cell* make_in_root(Cell* parent, int32_t capacity);
Cell* make_in(Cell* parent, int32_t capacity);
Cell* push(const Cell& b);
Cell* push_only(int32_t capacity);

}  // namespace vyn::block
