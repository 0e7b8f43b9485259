// values/objects/object_reflect.cpp: reflection (words, values, body, changed, class, owner, events?),
// modify (changed, owner, owned) and comparison of objects.
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/cycles.hpp"
#include "values/numbers/logic.hpp"
#include "values/objects/object.hpp"
#include "values/objects/object_entries.hpp"
#include "values/objects/ownership.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::object {
namespace {

using predefined::S;
using predefined::W;

bool named(const Cell& field, uint32_t sym) {
  return word::symbol(field) && symbol::resolve(word::symbol(field)) == symbol::resolve(sym);
}

// A word of the object's word list as a word! bound to it (type replaced, flags dropped).
Cell bound_word(NodeId ctx, int32_t index, Type type) {
  Cell w = *context::word_at(ctx, index);
  w.header = static_cast<uint32_t>(type);
  word::bind(w, ctx, index);
  return w;
}

Cell* words_of(NodeId ctx, bool changed_only) {
  int32_t n = context::slot_count(ctx);
  Cell* result = block::push_only(n);
  for (int32_t i = 0; i < n; ++i) {
    if (changed_only && !(context::word_at(ctx, i)->header & Cell::flag_word_set)) continue;
    block::append_copy(*result, bound_word(ctx, i, Type::word));
  }
  return result;
}

Cell* values_of(NodeId ctx) {
  int32_t n = context::slot_count(ctx);
  Cell* result = block::push_only(n);
  for (int32_t i = 0; i < n; ++i) block::append_copy(*result, context::values(ctx)[i]);
  return result;
}

// [field: value ...], a word! value as lit-word!, a path! as lit-path!.
Cell* body_of(NodeId ctx) {
  int32_t n = context::slot_count(ctx);
  Cell* result = block::push_only(n * 2);
  for (int32_t i = 0; i < n; ++i) {
    Cell key = bound_word(ctx, i, Type::set_word);
    key.header |= Cell::flag_new_line;
    block::append_copy(*result, key);
    Cell v = context::values(ctx)[i];
    if (v.is(Type::word)) v.set_type(Type::lit_word);
    if (v.is(Type::path)) v.set_type(Type::lit_path);
    block::append_copy(*result, v);
  }
  return result;
}

// modify obj 'owned: none takes every field's value out of the owners table; [owner word] binds
// them to that owner through that word.
void modify_owned(const Cell& obj, Cell* value) {
  NodeId ctx = context(obj);
  if (value->is(Type::none_)) {
    for (int32_t i = 0; i < context::slot_count(ctx); ++i) ownership::unbind(context::values(ctx)[i]);
    return;
  }
  bool shape = value->is(Type::block) && block::vs_length(*value) >= 2 &&
               is_object_like(block::vs_head(*value)[0].type());
  if (!shape) fire(Err::script_invalid_arg, {*value});
  Cell* owner = stack::push(block::vs_head(*value)[0]);
  Cell* word = stack::push(block::vs_head(*value)[1]);
  for (int32_t i = 0; i < context::slot_count(ctx); ++i)
    ownership::bind(context::values(ctx)[i], *owner, *word);
  stack::pop(2);
}

}  // namespace

Cell* reflect(Cell* value, Cell* field) {
  NodeId ctx = context(*value);
  if (named(*field, word::symbol(predefined::word(W::changed)))) return words_of(ctx, true);
  if (named(*field, predefined::symbol(S::class_))) return stack::push(make_integer(static_cast<int32_t>(class_id(*value))));
  if (named(*field, predefined::symbol(S::words))) return words_of(ctx, false);
  if (named(*field, predefined::symbol(S::values))) return values_of(ctx);
  if (named(*field, predefined::symbol(S::body))) return body_of(ctx);
  if (named(*field, predefined::symbol(S::owner)))
    return stack::push(make_logic(context::header_cell(ctx)->header & owner_mark));
  if (named(*field, predefined::symbol(S::events_q))) return stack::push(make_logic(events(*value) != 0));
  fire(Err::internal_not_done);  // the fields above are all an object reflects
}

Cell* modify(Cell* target, Cell* field, Cell* value, bool) {
  NodeId ctx = context(*target);
  if (named(*field, word::symbol(predefined::word(W::changed)))) {
    if (!value->is(Type::none_)) fire(Err::script_invalid_arg, {*value});
    clear_cell_flags(ctx);
  } else if (named(*field, predefined::symbol(S::owner))) {
    if (logic::truthy(*value)) {
      ownership::set_owner(*target, *target, make_none());
    } else {
      context::header_cell(ctx)->header &= ~owner_mark;
    }
  } else if (named(*field, predefined::symbol(S::owned))) {
    modify_owned(*target, value);
  } else {
    fire(Err::script_invalid_arg, {*field});
  }
  return target;
}

namespace {

bool is_number(Type t) { return t == Type::integer || t == Type::float_ || t == Type::percent; }
bool is_word_kind(Type t) { return t >= Type::word && t <= Type::issue && t != Type::native; }

int compare_fields(NodeId a, NodeId b, int op) {
  int32_t n = context::slot_count(a);
  for (int32_t i = 0; i < n; ++i) {
    uint32_t sa = symbol::resolve(word::symbol(*context::word_at(a, i)));
    uint32_t sb = symbol::resolve(word::symbol(*context::word_at(b, i)));
    if (sa != sb) return sa < sb ? -1 : 1;
    Cell* va = stack::push(context::values(a)[i]);
    Cell* vb = stack::push(context::values(b)[i]);
    Type ta = va->type(), tb = vb->type();
    int r;
    if (ta == tb || (is_word_kind(ta) && is_word_kind(tb)) || (is_number(ta) && is_number(tb))) {
      r = compare_value(va, vb, op);
    } else {
      r = ta < tb ? -1 : 1;
    }
    stack::pop(2);
    if (r != 0) return r;
  }
  return 0;
}

}  // namespace

int compare(Cell* a, Cell* b, int op) {
  if (a->type() != b->type()) return -2;
  if (context(*a) == context(*b)) return 0;
  if (op == cmp::same) return -1;
  if (cycles::find(context(*a))) return cycles::find(context(*b)) ? 0 : -1;
  int32_t na = context::slot_count(context(*a)), nb = context::slot_count(context(*b));
  if (na != nb) return na < nb ? -1 : 1;
  cycles::push(context(*a));
  cycles::push(context(*b));
  int r = compare_fields(context(*a), context(*b), op);

  cycles::pop_n(2);
  return r;
}

}  // namespace vyn::object
