// values/ports/port_actor.cpp: handing a port's actions to the functions of its actor object.
#include <algorithm>

#include "core/error.hpp"
#include "core/flow.hpp"
#include "values/frames.hpp"
#include "values/evaluator_hooks.hpp"
#include "core/stack.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/ports/port.hpp"
#include "values/registry.hpp"
#include "values/words/word.hpp"

namespace vyn::port {
namespace {

// The port's actor, which must be an object by the time an action is forwarded.
Cell actor_of(const Cell& port) {
  Cell actor = context::values(object::context(port))[Field::actor];

  if (!actor.is(Type::object)) fire(Err::access_invalid_port);
  return actor;
}

// Runs the function with the count cells from first as its frame: cut to the function's slots,
// the slots left over (refinements and locals it has beyond the action's) none. Answers the result
// in first[0].
void call_actor(Cell* fn, const Cell& name, Cell* first, int32_t count) {
  int32_t slots = context::slot_count(fn->w1);
  stack::mark_func(&name, fn->w1);
  for (int32_t i = 0; i < std::min(count, slots); ++i) stack::push(first[i]);
  for (int32_t i = count; i < slots; ++i) stack::push(make_none());
  Flow f = evaluator::call_function(*fn, 0, name, evaluator::port);
  if (f != Flow::normal) to_exception(f);  // the exit has cut the frames to its target
  Cell* callee = stack::arguments();
  stack::unwind_func();
  first[0] = *callee;
}

}  // namespace

Cell* forward(Action action, std::initializer_list<Cell> values) {
  Cell* first = stack::top();
  for (const Cell& v : values) stack::push(v);
  int32_t count = static_cast<int32_t>(values.size());
  Cell name = word::load(registry::action_word(action));
  Cell actor = actor_of(*first);
  Cell* fn = stack::push(*object::select_word(actor, name));
  if (!fn->is(Type::function)) fire(Err::access_no_port_action);
  call_actor(fn, name, first, count);
  stack::set_top(first + 1);
  return first;
}

}  // namespace vyn::port
