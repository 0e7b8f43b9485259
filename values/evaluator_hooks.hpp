// values/evaluator_hooks.hpp: what datatypes ask of the evaluator, which sits above them: running a
// block, calling a callable or a function, the code under way. eval/ hands its routines over once
// at start-up (interp::init); values/ calls them only through here.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/flow.hpp"

// Callback classes of call_function: while tracing, a class whose bit is not in
// system/state/callbacks/bits runs untraced. A namespace of their own, so that a call passing one
// finds no routine by its argument's type.
namespace vyn::callbacks {
enum Class : int {
  ordinary = 0, lexer = 1, parse = 2, sort = 4, change = 8, deep_change = 16, port = 32
};
}  // namespace vyn::callbacks

namespace vyn::evaluator {

using CallbackClass = callbacks::Class;
using enum callbacks::Class;

struct Hooks {
  Flow (*eval_block)(Cell block, bool chain);
  Flow (*call_with)(const Cell& callable, const Cell* values, int32_t count, const Cell& name);
  Flow (*call_function)(const Cell& function, NodeId context, const Cell& name, int callback_class);
  Cell& (*current_code)();
};
void set_hooks(const Hooks& hooks);

// As interp::eval_block, interp::call_with, interp::call_function and interp::current_code
// (eval/interp.hpp) say. Before start-up hands them over, the code under way is an unset cell.
[[nodiscard]] Flow eval_block(Cell block, bool chain);
[[nodiscard]] Flow call_with(const Cell& callable, const Cell* values, int32_t count,
                             const Cell& name);
[[nodiscard]] Flow call_function(const Cell& function, NodeId context, const Cell& name,
                                 int callback_class);
Cell& current_code();

}  // namespace vyn::evaluator
