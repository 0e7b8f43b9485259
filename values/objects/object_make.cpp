// values/objects/object_make.cpp: making objects: `make` from a block or an object spec, with or
// without a prototype, and `construct`'s evaluation-free form.
#include "core/error.hpp"
#include "values/evaluator_hooks.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/objects/object_entries.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"

namespace vyn::object {
namespace {

// Evaluates the spec, which is bound to the object; the value it gives is dropped. An exit under
// way leaves as the Exit exception, the frame stacks already cut to its target.
void evaluate(Cell spec) {
  Cell* top = stack::top();
  Flow flow = evaluator::eval_block(spec, false);
  if (flow != Flow::normal) to_exception(flow);
  stack::set_top(top);
}

// An object spec: its fields are added or overwritten in order, then series values are copied
// and functions rebound.
void from_object_spec(Cell* result, Cell* spec, bool from_prototype) {
  NodeId ctx = context(*result);
  int32_t before = context::slot_count(ctx);
  NodeId source = context(*spec);
  for (int32_t i = 0; i < context::slot_count(source); ++i) {
    Cell* value = stack::push(context::values(source)[i]);
    set_field(ctx, word::symbol(*context::word_at(source, i)), *value);
    stack::pop(1);
  }
  for (int32_t i = 0; i < context::slot_count(ctx); ++i) {
    Cell v = context::values(ctx)[i];
    if (deep_copied(v.type())) {
      Cell* top = stack::top();
      Cell copy = *copy_series_deep(v);
      context::values(ctx)[i] = copy;
      stack::set_top(top);
    } else if (v.is(Type::function)) {
      rebind_function(ctx, i);
    }
  }
  bool added = context::slot_count(ctx) > before;
  if (added || !from_prototype) set_class_id(*result, new_class_id());
}

void from_block_spec(Cell* result, Cell* spec, Cell* proto, bool from_prototype) {
  NodeId ctx = context(*result);
  bool added = context::collect_set_words(ctx, *spec);
  // the values block follows the word list
  Cell values = make_series(Type::block, context::values_word(ctx));
  while (block::length_total(values) < context::slot_count(ctx)) *block::alloc_tail(values) = make_unset();
  context::bind_block(*spec, ctx, true);
  if (from_prototype) duplicate_values(context(*proto), ctx, false);
  if (added || !from_prototype) set_class_id(*result, new_class_id());
  store_self(*result);
  evaluate(*spec);
  clear_cell_flags(ctx);
  clear_flag_range(context::values_word(ctx));
}

bool is_word(const Cell& w, predefined::S s) {
  return symbol::resolve(word::symbol(w)) == symbol::resolve(predefined::symbol(s));
}

// The value construct stores for a spec value.
Cell constructed(Cell v, bool keep_words) {
  if (keep_words || !v.is(Type::word)) return v;
  using predefined::S;
  if (is_word(v, S::true_) || is_word(v, S::yes) || is_word(v, S::on)) return make_logic(true);
  if (is_word(v, S::false_) || is_word(v, S::no) || is_word(v, S::off)) return make_logic(false);
  if (is_word(v, S::none)) return make_none();
  return v;
}

}  // namespace

Cell* make(Cell* proto, Cell* spec, Type) {
  Cell* result = stack::push_unset();
  bool from_prototype = is_object_like(proto->type());
  if (from_prototype) {
    clone(*proto, result, false, make_none(), false);
    result->header = static_cast<uint32_t>(Type::object);
  } else {
    make_context_at(result, 4);
  }
  if (is_object_like(spec->type())) {
    from_object_spec(result, spec, from_prototype);
  } else if (spec->is(Type::block)) {
    from_block_spec(result, spec, proto, from_prototype);
  } else {
    fire(Err::syntax_malconstruct, {*spec});
  }
  ensure_events(result);
  store_self(*result);
  return result;
}

bool collect_words(NodeId ctx, Cell spec, bool keep_words) {
  Cell* s = stack::push(spec);
  int32_t before = context::slot_count(ctx);
  int32_t n = block::vs_length(*s);
  int32_t i = 0;
  while (i < n) {
    if (!block::vs_head(*s)[i].is(Type::set_word)) {
      ++i;
      continue;
    }
    int32_t end = i;
    while (end < n && block::vs_head(*s)[end].is(Type::set_word)) ++end;
    for (int32_t k = i; k < end; ++k) {
      Cell word = block::vs_head(*s)[k];
      int32_t index = context::find_or_add(ctx, word);
      Cell v = end < n ? constructed(block::vs_head(*s)[end], keep_words) : make_none();
      context::values(ctx)[index] = v;
    }
    i = end + 1;
  }
  stack::pop(1);
  return context::slot_count(ctx) > before;
}

Cell* make_push(Cell spec, const Cell* proto, bool keep_words) {
  Cell* s = stack::push(spec);
  Cell* result = stack::push_unset();
  if (proto) {
    clone(*proto, result, true, make_none(), false);
  } else {
    make_context_at(result, 4);
    set_class_id(*result, new_class_id());
  }
  collect_words(context(*result), *s, keep_words);

  store_self(*result);
  Cell made = *result;
  stack::set_top(s);
  return stack::push(made);
}

}  // namespace vyn::object
