// values/dispatch_direct.cpp: an action's entry by the value's type, and form, mold and copy
// dispatched through it.
#include "values/dispatch_direct.hpp"

#include "core/error.hpp"
#include "values/frames.hpp"
#include "values/objects/error_args.hpp"
#include "values/ports/port_native.hpp"

namespace vyn::actions {

// A port whose actor is a handle! takes the slots append to write from its actor's table.
registry::ActionFn get_action(Type type, const Cell* value, Action slot) {
  if (type == Type::port && value && port_native::applies(*value, slot))
    return port_native::entry(*value, slot);
  registry::ActionFn fn = registry::raw_entry(type, slot);
  if (!fn) fire(Err::script_expect_arg, {stack::get_call(), make_datatype(type), word_arg("value")});
  return fn;
}

int32_t form_direct(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  return get<Action::form>(value)(value, buffer, part, limit);
}

int32_t mold_direct(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  return get<Action::mold>(value)(value, buffer, o, part, limit);
}

Cell* copy_direct(Cell* value, Cell* result, Cell* part, bool deep, Cell* types) {
  return get<Action::copy>(value)(value, result, part, deep, types);
}

}  // namespace vyn::actions
