// values/callables/function.cpp: making function! and routine! values, their C++ bodies, and their action
// entries (make, reflect, form, mold, comparison).
#include "values/callables/function.hpp"

#include <vector>

#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::function {
namespace {

std::vector<CompiledBody>& bodies() {
  static std::vector<CompiledBody> table;
  return table;
}

// A head past the tail is put back at the tail.
void clamp_head(Cell& b) {
  if (!block::is_any_block(b.type())) return;
  int32_t len = block::length_total(b);
  if (series_head(b) > len) set_series_head(b, len);
}

// The spec to store: the value itself when its head is 0, else a copy from its head (pushed).
Cell stored_spec(Cell spec) {
  clamp_head(spec);
  if (series_head(spec) <= 0) return spec;
  return *block::clone(spec, false, false);
}

// Makes the companion series and (when ctx is 0) the context, and pushes the value: both are held
// on the stack while the other is made.
Cell* start_value(Type type, Cell* spec, NodeId& ctx) {
  NodeId comp = alloc::new_cells_unset(companion_cells);
  buffer_of(comp)->tail = companion_cells * sizeof(Cell);
  stack::push(make_series(Type::block, comp));
  if (!ctx) ctx = context::make_from_spec(*spec, true, false, context::Kind::function);
  return stack::push(make_value(type, ctx, series_node(*spec), comp));
}

}  // namespace


NodeId push(Cell spec, Cell body, NodeId ctx, int32_t entry, NodeId owner, uint32_t flags) {
  Cell* result = stack::push_unset();
  Cell* s = stack::push(stored_spec(spec));
  Cell* b = stack::push(body);
  clamp_head(*b);
  bool made_context = ctx == 0;
  Cell* value = start_value(Type::function, s, ctx);
  value->header |= flags;
  *result = *value;
  *context::owner(ctx) = *result;
  if (b->is(Type::block)) {
    Cell* copy = object::copy_series_deep(*b);
    companion(*result)[Companion::body] = *copy;
  } else {
    companion(*result)[Companion::body] = make_none();
  }
  if (entry) companion(*result)[Companion::entry] = make_integer(entry);
  if (owner) companion(*result)[Companion::owner] = make_integer(static_cast<int32_t>(owner));
  if (made_context && b->is(Type::block))
    context::bind_block(companion(*result)[Companion::body], ctx, false);
  stack::set_top(result + 1);
  return ctx;
}

void routine_push(Cell spec, Cell body, int32_t entry, int32_t last, bool flag) {
  Cell* result = stack::push_unset();
  Cell* s = stack::push(stored_spec(spec));
  Cell* b = stack::push(body);
  NodeId ctx = 0;
  Cell* value = start_value(Type::routine, s, ctx);
  if (flag) value->header |= routine_flag;
  *result = *value;
  *context::owner(ctx) = *result;
  Cell* comp = companion(*result);
  comp[Companion::body] = b->is(Type::block) ? *b : make_none();
  comp[Companion::entry] = make_integer(entry);
  comp[Companion::owner] = make_integer(last);
  uint32_t arity = 0;
  Cell sp = *s;
  for (int32_t i = 0; i < block::vs_length(sp); ++i)
    if (block::vs_head(sp)[i].is(Type::word)) ++arity;
  if (arity > 31) arity = 31;
  result->header |= arity << routine_arity_shift;
  *context::owner(ctx) = *result;
  stack::set_top(result + 1);
}

void init_locals(int32_t n) {
  if (n <= 0) return;
  stack::push(make_logic(false));
  for (int32_t i = 1; i < n; ++i) stack::push(make_none());
}

int32_t register_body(CompiledBody body) {
  bodies().push_back(body);
  return static_cast<int32_t>(bodies().size());
}

int32_t compiled_body_count() { return static_cast<int32_t>(bodies().size()); }

CompiledBody compiled_body(int32_t entry) {
  if (entry < 1 || entry > static_cast<int32_t>(bodies().size())) return nullptr;
  return bodies()[static_cast<size_t>(entry - 1)];
}


namespace {

Cell* make(Cell*, Cell* spec, Type) {
  bool shape = spec->is(Type::block) && block::vs_length(*spec) >= 2;
  Cell s = shape ? block::vs_head(*spec)[0] : make_none();
  Cell b = shape ? block::vs_head(*spec)[1] : make_none();
  if (!s.is(Type::block) || !b.is(Type::block)) fire(Err::script_bad_func_def, {*spec});
  Cell* held = stack::push(s);
  stack::push(b);
  uint32_t flags = validate_spec(s);
  push(*held, held[1], 0, 0, 0, flags);
  Cell made = *stack::last_value();
  stack::set_top(held);
  return stack::push(made);
}

bool is_field(const Cell& field, predefined::S s) {
  return word::symbol(field) && symbol::resolve(word::symbol(field)) == symbol::resolve(predefined::symbol(s));
}

Cell* reflect(Cell* value, Cell* field) {
  using predefined::S;
  if (is_field(*field, S::spec)) return stack::push(callable::spec(*value));
  if (is_field(*field, S::body)) return stack::push(companion(*value)[Companion::body]);
  if (is_field(*field, S::words)) {
    NodeId ctx = context_of(*value);
    Cell* copy = block::clone(make_series(Type::block, context::word_list(ctx)), false, false);
    for (int32_t i = 0; i < block::length_total(*copy); ++i) {
      Cell* w = block::cells(*copy) + i;
      w->header = static_cast<uint32_t>(Type::word);
      word::bind(*w, ctx, i);
    }
    return copy;
  }
  fire(Err::internal_not_done);  // spec, body and words are all a function reflects
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  bool routine = value->is(Type::routine);
  string::append_latin1(*buffer, routine ? "?routine?" : "?function?");
  return limit - 10;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  bool routine = value->is(Type::routine);
  string::append_latin1(*buffer, routine ? "routine " : "func ");
  limit -= routine ? 8 : 5;
  MoldOptions inner = o;
  inner.only = false;
  Cell* spec = stack::push(callable::spec(*value));
  Cell* body = stack::push(companion(*value)[Companion::body]);
  limit = actions::mold_direct(spec, buffer, inner, part, limit);
  if (body->is(Type::block)) {
    limit = actions::mold_direct(body, buffer, inner, part, limit);
  } else if (!routine) {
    string::append_latin1(*buffer, " none");
    limit -= 5;
  } else {
    string::append_latin1(*buffer, " ");
    limit = actions::mold_direct(body, buffer, inner, part, limit - 1);
  }
  stack::pop(2);
  return limit;
}

// Two function values are equal only when they are the same function: same companion series.
int compare(Cell* a, Cell* b, int op) {
  if (a->type() != b->type()) return -2;
  if (!is_equality_op(op)) return -2;
  int32_t x = static_cast<int32_t>(callable::extra_node(*a)), y = static_cast<int32_t>(callable::extra_node(*b));
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::function, {def<Action::make>(make), def<Action::reflect>(reflect),
                                    def<Action::form>(form), def<Action::mold>(mold),
                                    def<Action::compare>(compare)});
}

void install_routine() {
  using registry::def;
  registry::define(Type::routine, {registry::inherit(Action::reflect), def<Action::form>(form),
                                   def<Action::mold>(mold), def<Action::compare>(compare)});
}

}  // namespace vyn::function
