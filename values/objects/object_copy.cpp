// values/objects/object_copy.cpp: copying objects (clone, copy, the values of a prototype) and the deep
// copies of series values they make; rebinding a function to a copied object.
#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/cycles.hpp"
#include "values/callables/function.hpp"
#include "values/objects/object.hpp"
#include "values/objects/object_entries.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"

namespace vyn::object {
namespace {

// The kinds a deep clone (copy/deep) replaces by copies.
bool clone_copied(Type t) {
  switch (t) {
    case Type::block: case Type::paren: case Type::string: case Type::file: case Type::url:
    case Type::path: case Type::lit_path: case Type::set_path: case Type::get_path: case Type::tag:
    case Type::email: case Type::ref:
      return true;
    default:
      return false;
  }
}

// The copy entry for a series that is not an any-block: its own, or series!'s for the types that
// keep their units in one buffer; nullptr when the value is to be shared.
using CopyEntry = Sig<Action::copy>::type;
CopyEntry copy_entry(Type t) {
  if (auto own = registry::entry<Action::copy>(t)) return own;
  if (series::is_char_series(t) || t == Type::binary || t == Type::vector)
    return registry::entry<Action::copy>(Type::series);
  return nullptr;
}

// Pushes a copy of value made by its copy entry (shallow), or the value itself.
Cell* copy_by_entry(Cell value, bool deep) {
  Cell* v = stack::push(value);
  CopyEntry copy = copy_entry(value.type());
  if (!copy) return v;
  Cell* r = stack::push_unset();
  Cell out = *copy(v, r, nullptr, deep, nullptr);
  out.header = (out.header & 0xFF) | (value.header & ~0xFFu);
  stack::set_top(v);
  return stack::push(out);
}

Cell* copy_any_block(Cell value) {
  Cell* result = block::clone(value, false, false);
  result->header |= value.header & ~0xFFu;
  NodeId source = series_node(value);
  cycles::push(source);
  for (int32_t i = 0; i < block::length_total(*result); ++i) {
    Cell item = block::cells(*result)[i];
    if (!deep_copied(item.type())) continue;
    if (block::is_any_block(item.type()) && cycles::find(series_node(item))) continue;
    Cell* top = stack::top();
    Cell copy = *copy_series_deep(item);
    block::cells(*result)[i] = copy;
    stack::set_top(top);
  }
  cycles::pop();
  return result;
}

void copy_values(NodeId from, NodeId to) {
  int32_t n = context::slot_count(from);
  NodeId values = context::values_word(to);
  if (buffer_of(values)->size < static_cast<uint32_t>(n) * sizeof(Cell))
    alloc::expand_series(values, static_cast<uint32_t>(n) * sizeof(Cell));
  Cell* src = context::values(from);
  Cell* dst = reinterpret_cast<Cell*>(buffer_of(values)->data());
  for (int32_t i = 0; i < n; ++i) dst[i] = src[i];
  buffer_of(values)->tail = static_cast<uint32_t>(n) * sizeof(Cell);
}

// Replaces every value of the kinds clone_copied names by its deep copy.
void deep_copy_values(NodeId ctx) {
  for (int32_t i = 0; i < context::slot_count(ctx); ++i) {
    Cell v = context::values(ctx)[i];
    if (!clone_copied(v.type())) continue;
    Cell* top = stack::top();
    Cell copy = *copy_series_deep(v);
    context::values(ctx)[i] = copy;
    stack::set_top(top);
  }
}

void rebind_functions(NodeId ctx) {
  for (int32_t i = 0; i < context::slot_count(ctx); ++i)
    if (context::values(ctx)[i].is(Type::function)) rebind_function(ctx, i);
}

}  // namespace

bool deep_copied(Type t) {
  return clone_copied(t) || t == Type::hash || t == Type::vector || t == Type::binary ||
         t == Type::image;
}

Cell* copy_series_deep(Cell value) {
  if (block::is_any_block(value.type()) && !value.is(Type::hash)) return copy_any_block(value);
  return copy_by_entry(value, true);
}

void clone(const Cell& source, Cell* dest, bool deep, Cell types, bool new_events) {
  Cell v = source;
  NodeId from = context(v);
  Cell* held = stack::push(types);
  context::clone(v, context::Kind::object);
  *dest = v;  // holds the new context from here
  copy_values(from, context(v));
  if (new_events) set_events(*dest, 0);
  store_self(*dest);
  NodeId ctx = context(*dest);
  if (deep && held->is(Type::none_)) {
    deep_copy_values(ctx);
    rebind_functions(ctx);
  } else {
    rebind_functions(ctx);
    if (!held->is(Type::none_)) {
      if (cycles::find(ctx)) fire(Err::internal_no_cycle);
      cycles::push(ctx);
      block::find_typed(context::values_word(ctx), 0, context::slot_count(ctx), 1, deep, *held);
      cycles::pop();
    }
  }
  if (new_events) ensure_events(dest);
  stack::set_top(held);
}

void duplicate_values(NodeId source, NodeId dest, bool copy_all) {
  int32_t n = context::slot_count(source);
  for (int32_t i = 0; i < n; ++i) {
    Cell v = context::values(source)[i];
    Cell* top = stack::top();
    Cell copy;
    if (deep_copied(v.type())) {
      copy = *copy_series_deep(v);
      if (block::is_any_block(copy.type())) context::bind_block(copy, dest, true);
    } else if (copy_all && registry::entry<Action::copy>(v.type())) {
      copy = *copy_by_entry(v, false);
    } else {
      continue;
    }
    context::values(dest)[i] = copy;
    stack::set_top(top);
  }
}

void rebind_function(NodeId ctx, int32_t index) {
  Cell* f = stack::push(context::values(ctx)[index]);
  if (!f->is(Type::function)) {
    stack::pop(1);
    return;
  }
  Cell body = function::companion(*f)[function::Companion::body];
  if (!body.is(Type::block)) fire(Err::script_bad_func_def, {*f});
  Cell copy_fn = *f;
  NodeId fn_ctx = context::clone(copy_fn, context::Kind::function);
  stack::push(cell_for(fn_ctx));  // holds the copied context
  Cell* copy = copy_series_deep(body);
  context::bind_block(*copy, ctx, true);
  context::bind_block(*copy, fn_ctx, false);
  uint32_t flags = f->header & (function::flag_trace | function::flag_no_trace);
  function::push(make_series(Type::block, f->w2), *copy, fn_ctx, 0, 0, flags);
  context::values(ctx)[index] = *stack::last_value();
  stack::set_top(f);
}

Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types) {
  if (part) {
    Cell word = word::make(Type::word, word::symbol(predefined::refinement(predefined::R::part)));

    fire(Err::script_invalid_refine_arg, {word, *part});
  }
  Cell* out = stack::push_unset();
  clone(*value, out, deep, types ? *types : make_none(), true);
  *result = *out;
  return result;
}

}  // namespace vyn::object
