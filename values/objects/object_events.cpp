// values/objects/object_events.cpp: the events record of an object and the calls of its on-change* and
// on-deep-change* handlers.
#include "core/error.hpp"
#include "values/frames.hpp"
#include "values/evaluator_hooks.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/callables/function.hpp"
#include "values/objects/object.hpp"
#include "values/objects/ownership.hpp"
#include "values/predefined.hpp"

namespace vyn::object {
namespace {

using predefined::W;

enum Handler : int { on_change = 0, on_deep_change = 1 };

Cell* record_of(const Cell& obj) {
  return events(obj) ? reinterpret_cast<Cell*>(buffer_of(events(obj))->data()) : nullptr;
}

int32_t handler_index(const Cell& obj, Handler which) {
  Cell* record = record_of(obj);
  if (!record) return -1;
  uint32_t index = entry_field(record[which]);
  return index == absent_handler ? -1 : static_cast<int32_t>(index);
}

int32_t local_slots(const Cell& handler) {
  return function::count_refinements(make_series(Type::block, handler.w2), 0, false);
}

// The handler's local count, taken again when its spec is not the one the record counted.
int32_t cached_locals(const Cell& obj, Handler which, const Cell& handler) {
  Cell* record = record_of(obj);
  if (entry_spec(record[which]) != handler.w2) {
    int32_t count = local_slots(handler);
    record = record_of(obj);
    set_entry_count(record[which], static_cast<uint32_t>(count & 0xFFFF), handler.w2);
  }
  return static_cast<int32_t>(entry_locals(record[which]));
}

Cell make_entry(NodeId ctx, int32_t index) {
  if (index < 0) return make_events_entry(absent_handler, 0, 0);
  Cell handler = context::values(ctx)[index];
  if (!handler.is(Type::function) && !handler.is(Type::routine)) {
    Cell word = *context::word_at(ctx, index);
    word.header = static_cast<uint32_t>(Type::word);
    fire(Err::script_bad_field_set, {word, make_datatype(handler.type())});
  }
  uint32_t count = static_cast<uint32_t>(local_slots(handler)) & 0xFFFF;
  return make_events_entry(static_cast<uint32_t>(index), count, handler.w2);
}

// Calls a handler in a function frame named by name with the arguments and its locals.
void call_handler(const Cell& handler, NodeId owner_ctx, const Cell& name,
                  std::initializer_list<Cell> args, int32_t locals, int callback_class) {
  Cell* top = stack::top();
  Cell* h = stack::push(handler);  // keeps the handler alive while it runs
  stack::mark_func(&name, handler.w1);
  for (const Cell& a : args) stack::push(a);
  function::init_locals(locals);
  Flow flow;
  if (function::CompiledBody body = function::compiled_body(function::entry_of(*h))) {
    flow = body(stack::arguments(), owner_ctx);  // a handler made at start-up, in C++
  } else {
    flow = evaluator::call_function(*h, owner_ctx, name, callback_class);
  }
  if (flow != Flow::normal) to_exception(flow);  // the exit has cut the frames to its target
  stack::unwind_func();
  stack::set_top(top);
}

}  // namespace

bool has_on_change(const Cell& obj) { return handler_index(obj, on_change) >= 0; }

void ensure_events(Cell* obj) {
  NodeId ctx = context(*obj);
  int32_t on = context::find_word(ctx, word::symbol(predefined::word(W::on_change_star)), true);
  int32_t deep = context::find_word(ctx, word::symbol(predefined::word(W::on_deep_change_star)), true);
  if (on < 0 && deep < 0) {
    set_events(*obj, 0);
    store_self(*obj);
    return;
  }
  Cell first = make_entry(ctx, on);
  Cell second = make_entry(ctx, deep);
  NodeId events = alloc::new_cells(2);
  Cell* cells = reinterpret_cast<Cell*>(buffer_of(events)->data());
  cells[0] = first;
  cells[1] = second;
  buffer_of(events)->tail = 2 * sizeof(Cell);
  set_events(*obj, events);
  store_self(*obj);
  // An owner hears of changes inside the series its fields hold (and so does an object that only
  // asks for those deep changes).
  ownership::set_owner(*obj, *obj, make_none());
}

void set_field_notify(const Cell& obj, Cell word, int32_t index, const Cell& value) {
  Cell o = obj;  // obj may be the self cell, in a buffer that moves
  Cell v = value;
  NodeId ctx = context(o);
  Cell* old = stack::push(context::values(ctx)[index]);
  context::word_at(ctx, index)->header |= Cell::flag_word_set;
  context::values(ctx)[index] = v;
  // a series put into an owner's field is owned from now on, like those it was made with
  if (handler_index(o, on_deep_change) >= 0) {
    Cell field = *context::word_at(ctx, index);
    field.header = static_cast<uint32_t>(Type::word);
    ownership::bind(v, o, field);
  }
  fire_on_set(o, word, *old, v);
  stack::set_top(old);
}

void fire_on_set(const Cell& obj, Cell word, const Cell& old_value, const Cell& new_value) {
  int32_t index = handler_index(obj, on_change);
  if (index < 0) return;
  Cell o = obj;
  Cell handler = context::values(context(o))[index];

  if (!handler.is(Type::function)) fire(Err::script_invalid_obj_evt, {handler});
  int32_t locals = cached_locals(o, on_change, handler);
  if (word::context(word) != context(o)) context::bind_word(context(o), word);
  call_handler(handler, context(o), predefined::word(W::on_change_star), {word, old_value, new_value}, locals,
               evaluator::change);
}

void fire_on_set_top(const Cell& obj, Cell word) {
  Cell* top = stack::top();
  fire_on_set(obj, word, top[-1], top[-2]);
}

void fire_on_deep_set(const Cell& owner, Cell word, const Cell& target, const Cell& action,
                      const Cell* new_value, int32_t index, int32_t part) {
  if (!events(owner)) fire(Err::script_invalid_obj_evt, {owner});
  int32_t slot = handler_index(owner, on_deep_change);
  if (slot < 0) return;
  Cell o = owner;
  Cell handler = context::values(context(o))[slot];
  if (!handler.is(Type::function)) return;
  int32_t locals = cached_locals(o, on_deep_change, handler);
  Cell added = new_value ? *new_value : make_none();
  call_handler(handler, context(o), predefined::word(W::on_deep_change_star),

               {o, word, target, action, added, make_integer(index), make_integer(part)}, locals,
               evaluator::deep_change);
}

}  // namespace vyn::object
