// eval/routine_call.hpp: calling a routine! once its arguments are gathered in the current frame.
#pragma once

#include "core/cell.hpp"
#include "core/flow.hpp"

namespace vyn::interp {

// Checks and converts the arguments by the routine's spec, runs its body and stores its result.
// name is the call's word, for errors.
[[nodiscard]] Flow exec_routine(const Cell& routine, const Cell& name);

}  // namespace vyn::interp
