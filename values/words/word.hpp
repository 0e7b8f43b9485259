// values/words/word.hpp: the word types (word!, set-word!, lit-word!, get-word!, refinement!, with
// issue! sharing their cell): making, binding, reading and writing words.
//
// A word cell's payload (its context, symbol and index) is read and made through the accessors of
// core/word_cell.hpp, which core's symbol table shares.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/cell.hpp"
#include "core/word_cell.hpp"
#include "values/objects/context.hpp"

namespace vyn::word {

inline bool any_word_q(Type t) { return t >= Type::word && t <= Type::issue && t != Type::native; }

// Interns a name and answers its word bound in the global context (a new unset! slot when
// absent); while start-up collects words it is also kept in the root block.
Cell load(std::string_view name);
Cell load_as(std::string_view name, Type type);
// An unbound word of the type (refinement/load), kept in the root block.
Cell load_unbound(std::string_view name, Type type);
// A word! of the symbol bound in the global context, written into cell.
Cell* make_at(uint32_t symbol, Cell* cell, Type type = Type::word);
Cell* push_new(uint32_t symbol);
void make_in_root(const Cell& value);

// The value cell of a bound word; see context::value_cell for its errors.
Cell* value_cell_unbound(const Cell& word);
inline Cell* value_cell(const Cell& word) {
  NodeId ctx = word::context(word);
  return ctx ? context::value_cell(word, ctx) : value_cell_unbound(word);
}
// Pushes the word's value; unset! raises script/no-value.
Cell* get(const Cell& word);
Cell* push_value(const Cell& word);
void set(Cell& word, const Cell& value);
// Sets the word in the current call's first argument to the value in its second; the result is
// the value. unset! raises script/need-value.
void set_from_arg();

Cell* slot_cell(NodeId ctx, int32_t index);
Cell* get_in(NodeId ctx, int32_t index);
Cell* push_local(NodeId ctx, int32_t index);
Cell* get_local(NodeId ctx, int32_t index);
void set_local(NodeId ctx, int32_t index);
void set_local_keep_old(NodeId ctx, int32_t index);
Cell* find_or_global(NodeId ctx, uint32_t symbol);
Cell* to_string_push(const Cell& word);

void install();  // the entries of the five word types

}  // namespace vyn::word
