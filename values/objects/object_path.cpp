// values/objects/object_path.cpp: reading and setting fields: paths (obj/field, obj/field: value),
// select, put, and `set` on an object.
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/objects/object_entries.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"

namespace vyn::object {
namespace {

using predefined::S;
using predefined::W;

bool any_word_key(Type t) {
  return t == Type::word || t == Type::set_word || t == Type::get_word || t == Type::lit_word;
}

Cell field_word(NodeId ctx, int32_t index) {
  Cell w = *context::word_at(ctx, index);
  w.header = static_cast<uint32_t>(Type::word);
  return w;
}

bool is_symbol(uint32_t sym, uint32_t other) { return symbol::resolve(sym) == symbol::resolve(other); }

bool is_handler_field(NodeId ctx, int32_t index) {
  uint32_t sym = word::symbol(*context::word_at(ctx, index));
  return is_symbol(sym, word::symbol(predefined::word(W::on_change_star))) ||
         is_symbol(sym, word::symbol(predefined::word(W::on_deep_change_star)));
}

// The slot of the element in the object, binding the element to it when found; -1 when absent.
int32_t slot_of(NodeId ctx, Cell* element) {
  if (word::context(*element) == ctx && word::index(*element) >= 0) return word::index(*element);
  int32_t index = context::find_word(ctx, word::symbol(*element), true);
  if (index >= 0) word::bind(*element, ctx, index);
  return index;
}

// Stores into a field, telling the object's on-change* when it has an events record.
void assign(const Cell& obj, int32_t index, const Cell& value) {
  NodeId ctx = context(obj);
  if (events(obj) && !is_handler_field(ctx, index)) {
    set_field_notify(obj, field_word(ctx, index), index, value);
    return;
  }
  context::word_at(ctx, index)->header |= Cell::flag_word_set;
  context::values(ctx)[index] = value;
}

}  // namespace

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  Cell path = step.path ? *step.path : make_none();
  if (!any_word_key(element->type())) fire(Err::script_invalid_path, {path, *element});
  Cell obj = *parent;
  NodeId ctx = context(obj);
  int32_t index = slot_of(ctx, element);
  bool self = is_symbol(word::symbol(*element), predefined::symbol(S::self));
  if (value) {
    if (index < 0 || self) fire(Err::script_invalid_path, {path, *element});
    if (events(obj)) {
      set_field_notify(obj, field_word(ctx, index), index, *value);
    } else {
      context::word_at(ctx, index)->header |= Cell::flag_word_set;
      context::values(ctx)[index] = *value;
    }
    return value;
  }
  if (index < 0) {
    if (self) return stack::push(*context::owner(ctx));
    fire(Err::script_unset_path, {path, *element});
  }
  Cell v = context::values(ctx)[index];
  if (v.is(Type::unset)) fire(Err::script_unset_path, {path, *element});
  return stack::push(v);
}

Cell* select(Cell* series, Cell* key, const FindOptions&) {
  if (!any_word_key(key->type())) fire(Err::script_invalid_type, {make_datatype(key->type())});
  return stack::push(*select_word(*series, *key));
}

Cell* put(Cell* series, Cell* key, Cell* value, bool) {
  if (!key->is(Type::word)) fire(Err::script_invalid_key_type, {make_datatype(key->type())});
  PathStep step;
  eval_path(series, key, value, step);
  return value;
}

void transfer(Cell* target, Cell* source, bool any, bool only, bool some) {
  Cell obj = *target;
  NodeId ctx = context(obj);
  int32_t n = context::slot_count(ctx);
  bool from_block = source->is(Type::block);
  bool from_object = is_object_like(source->type());
  if (only || (!from_block && !from_object)) {
    for (int32_t i = 0; i < n; ++i) assign(obj, i, *source);
    return;
  }
  // The value for field i, or nullptr when the source has none for it.
  auto value_for = [&](int32_t i, Cell& out) {
    if (from_object) {
      int32_t at = context::find_word(context(*source), word::symbol(*context::word_at(ctx, i)), true);
      if (at < 0) return false;
      out = context::values(context(*source))[at];

      return true;
    }
    int32_t len = block::vs_length(*source);
    out = i < len ? block::vs_head(*source)[i] : make_none();
    return true;
  };
  if (!any && !some) {
    for (int32_t i = 0; i < n; ++i) {
      Cell v;
      bool paired = from_object || i < block::vs_length(*source);
      if (paired && value_for(i, v) && v.is(Type::unset)) fire(Err::script_need_value, {field_word(ctx, i)});
    }
  }
  for (int32_t i = 0; i < n; ++i) {
    Cell* v = stack::push_unset();
    if (!value_for(i, *v) || (some && v->is(Type::none_))) {
      stack::pop(1);
      continue;
    }
    assign(obj, i, *v);
    stack::pop(1);
  }
}

}  // namespace vyn::object
