// values/objects/object.cpp: object! cells, class ids, field accessors, and the registration of the
// datatype's entries.
#include "values/objects/object.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object_entries.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"

namespace vyn::object {
namespace {

uint32_t class_counter = first_class_id;
Cell shared_none = make_none();

// Grows an empty values block to one unset! cell per word.
void fill_values(NodeId ctx) {
  Cell* h = context::header_cell(ctx);
  if (h->header & context::flag_stack) return;
  NodeId values = context::values_in(*h);
  int32_t words = context::slot_count(ctx);
  Cell block = make_series(Type::block, values);
  while (block::length_total(block) < words) *block::alloc_tail(block) = make_unset();
}

}  // namespace

uint32_t new_class_id() { return ++class_counter; }
uint32_t last_class_id() { return class_counter; }
void reserve_class_ids(uint32_t last) {
  if (last > class_counter) class_counter = last;
}

Cell get_word_at(NodeId ctx, int32_t index) { return *context::word_at(ctx, index); }

int32_t find_word_index(const Cell& obj, const Cell& word) {
  return context::find_word(context(obj), word::symbol(word), true);
}

Cell* select_word(const Cell& obj, const Cell& word) {
  int32_t index = find_word_index(obj, word);
  if (index < 0) {
    shared_none = make_none();
    return &shared_none;
  }
  return context::values(context(obj)) + index;
}

Cell* word_of_value(const Cell& obj, const Cell* value) {
  Cell* first = context::values(context(obj));
  int32_t index = static_cast<int32_t>(value - first);
  if (value < first || index >= count_values(context(obj))) return nullptr;
  return context::word_at(context(obj), index);
}

Cell* first_word(NodeId ctx) { return context::word_at(ctx, 0); }
Cell* get_values(NodeId ctx) { return context::values(ctx); }
int32_t count_values(NodeId ctx) { return context::slot_count(ctx); }

void clear_flag_range(NodeId node) {
  SeriesBuffer* b = buffer_of(node);
  Cell* c = reinterpret_cast<Cell*>(b->head_ptr());
  Cell* end = reinterpret_cast<Cell*>(b->tail_ptr());
  for (; c < end; ++c) c->header &= ~Cell::flag_new_line;
}

void clear_cell_flags(NodeId ctx) {
  int32_t n = context::slot_count(ctx);
  for (int32_t i = 0; i < n; ++i) context::word_at(ctx, i)->header &= ~Cell::flag_word_set;
}

bool slot_has_class(NodeId ctx, int32_t index, uint32_t class_id) {
  const Cell& v = context::values(ctx)[index];
  return v.is(Type::object) && object::class_id(v) == class_id;
}

bool word_has_class(const Cell& word, uint32_t class_id) {
  NodeId ctx = word::context(word);
  if (!ctx) return false;
  int32_t index = context::find_word(ctx, word::symbol(word), true);
  Cell* values = index < 0 ? nullptr : context::values(ctx);
  return values && values[index].is(Type::object) && object::class_id(values[index]) == class_id;
}

void store_self(const Cell& obj) { *context::owner(context(obj)) = obj; }

Cell* push(NodeId ctx, uint32_t class_id) { return push_with_events(ctx, class_id, 0); }

Cell* push_with_events(NodeId ctx, uint32_t class_id, NodeId events) {
  Cell* result = stack::push(cell_for(ctx, class_id, events));
  fill_values(ctx);
  store_self(*result);
  return result;
}

Cell* make_context_at(Cell* cell, int32_t n) {
  *cell = make_none();
  NodeId ctx = context::make(n, false, true, 0, context::Kind::object);
  *cell = cell_for(ctx);
  store_self(*cell);
  return cell;
}

int32_t set_field(NodeId ctx, uint32_t sym, const Cell& value) {
  Cell v = value;
  Cell word = word::make(Type::word, sym);

  int32_t index = context::find_or_add(ctx, word);
  context::values(ctx)[index] = v;
  return index;
}

void install() {
  using registry::def;
  registry::define(Type::object, {
      def<Action::make>(make),       def<Action::reflect>(reflect), def<Action::form>(form),
      def<Action::mold>(mold),       def<Action::eval_path>(eval_path),
      def<Action::compare>(compare), def<Action::copy>(copy),       def<Action::put>(put),
      def<Action::select>(select),   def<Action::modify>(modify),
  });
}

}  // namespace vyn::object
