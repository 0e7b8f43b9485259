// eval/exits.hpp: starting break, continue, return, exit and throw: each cuts the frame stacks
// back to its target frame and answers the code its callers pass up (core/flow.hpp).
#pragma once

#include "core/cell.hpp"
#include "core/flow.hpp"

namespace vyn::stack {

// break (with_value: break/return, the value being the current call's first argument) and
// continue. No loop frame, or a try/all barrier on the way, raises throw/break or throw/continue.
[[nodiscard]] Flow throw_break(bool with_value, bool is_continue);
// return (with_value) and exit: the target is the nearest frame with the return-target flag.
[[nodiscard]] Flow throw_return(bool with_value);
// throw: the target is the nearest catch frame, which receives the thrown value (the current
// call's first argument) and the /name argument (its second).
[[nodiscard]] Flow throw_value(Flow code);

// The frame-level half of catching an error at a try frame: records where the error was raised
// and cuts the frame stacks back to the try (or try/all) frame at depth, which is popped too; the
// value stack goes back to top.
void catch_error_at(int depth, Cell* top);

}  // namespace vyn::stack
