// values/words/word.cpp: words by name, by binding and by context slot.
#include "values/words/word.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "core/runtime_cells.hpp"
#include "values/words/symbol.hpp"

namespace vyn::word {

Cell load(std::string_view name) { return context::add_word(symbol::make(name), true, true); }

Cell load_as(std::string_view name, Type type) {
  Cell w = load(name);
  w.header = static_cast<uint32_t>(type);
  return w;
}

Cell load_unbound(std::string_view name, Type type) {
  Cell w = make_cell(type, 0, symbol::make(name), static_cast<uint32_t>(-1));
  block::append_copy(runtime_cells().root, w);
  return w;
}

Cell* make_at(uint32_t sym, Cell* cell, Type type) {
  Cell w = context::add_word(sym, true, true);
  w.header = static_cast<uint32_t>(type);
  *cell = w;
  return cell;
}

Cell* push_new(uint32_t sym) { return make_at(sym, stack::push_unset()); }

void make_in_root(const Cell& value) { block::append_copy(runtime_cells().root, value); }

Cell* value_cell_unbound(const Cell& word) { fire(Err::script_not_defined, {word}); }

Cell* get(const Cell& word) {
  Cell* v = value_cell(word);
  if (v->is(Type::unset)) fire(Err::script_no_value, {word});
  return stack::push(*v);
}

Cell* push_value(const Cell& word) { return stack::push(*value_cell(word)); }

void set(Cell& word, const Cell& value) {
  if (!word::context(word)) fire(Err::script_not_defined, {word});
  context::set_in(word, value, word::context(word), true);
}

void set_from_arg() {
  Cell* args = stack::arguments();
  if (args[1].is(Type::unset)) fire(Err::script_need_value, {args[0]});
  Cell w = args[0];
  set(w, args[1]);
  args[0] = args[1];
}

Cell* slot_cell(NodeId ctx, int32_t index) { return context::word_at(ctx, index); }

Cell* get_in(NodeId ctx, int32_t index) { return context::values(ctx) + index; }

Cell* get_local(NodeId ctx, int32_t index) {
  Cell* v = context::values(ctx);
  if (!v) fire(Err::script_not_defined, {*slot_cell(ctx, index)});
  return v + index;
}

Cell* push_local(NodeId ctx, int32_t index) { return stack::push(*get_local(ctx, index)); }

void set_local(NodeId ctx, int32_t index) {
  Cell v = *stack::last_value();
  if (context::kind_of(ctx) == context::Kind::object) slot_cell(ctx, index)->header |= Cell::flag_word_set;
  *get_local(ctx, index) = v;
}

void set_local_keep_old(NodeId ctx, int32_t index) {
  Cell v = *stack::last_value();
  stack::push(*get_local(ctx, index));
  if (context::kind_of(ctx) == context::Kind::object) slot_cell(ctx, index)->header |= Cell::flag_word_set;
  *get_local(ctx, index) = v;
}

Cell* find_or_global(NodeId ctx, uint32_t sym) {
  int32_t index = context::find_word(ctx, sym, true);
  if (index >= 0 && context::values(ctx)) return context::values(ctx) + index;
  Cell w = context::add_word(sym, true, false);
  return context::value_cell(w, context::global());
}

Cell* to_string_push(const Cell& word) {
  Cell* s = stack::push_unset();
  NodeId node = alloc::copy_series(symbol::ensure_string(word::symbol(word))
);
  *s = make_series(Type::string, node);
  return s;
}

}  // namespace vyn::word
