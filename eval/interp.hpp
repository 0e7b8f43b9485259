// eval/interp.hpp: the interpreter: evaluating blocks, expressions, calls and paths.
//
// Positions in code are cell indexes into the code block (never addresses: evaluation allocates).
// Every routine answers a Flow: normal, or an exit under way that the caller passes up unless its
// catch level admits it (core/flow.hpp). Errors are exceptions (core/error.hpp).
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/flow.hpp"
#include "values/evaluator_hooks.hpp"

namespace vyn::interp {

// Callback classes of call_function (values/evaluator_hooks.hpp).
using CallbackClass = callbacks::Class;
using enum callbacks::Class;

// Also hands eval_block, call_with, call_function and current_code to values/evaluator_hooks.hpp.
void init();
// The block being evaluated by the innermost eval_block, its head at the expression under way.
Cell& current_code();

// Evaluates every expression of the block from its head. The result lands in a frame pushed for
// it: with chain it then becomes the caller's result slot, else the caller's last value.
[[nodiscard]] Flow eval_block(Cell block, bool chain);
// Evaluates the block inside the current frame, whose result slot receives the value: for callers
// that own the frame and need none of its other cells afterwards (parens, the branch of if).
[[nodiscard]] Flow eval_block_here(Cell block);
// Evaluates the expression at position (before end) of code and moves position past it. With
// push the value is pushed, else stored in the current frame's result slot.
[[nodiscard]] Flow eval_expression(Cell code, int32_t& position, int32_t end, bool no_infix, bool push,
                                   bool literal_functions);
// One expression in a frame of its own; used by any, all, case, reduce.
[[nodiscard]] Flow eval_next(Cell code, int32_t& position, int32_t end, bool push);
// The next expression of a block value (do/next): unset at the tail.
[[nodiscard]] Flow eval_single(Cell& block, int32_t& next_index);
// Calls any callable with the given values as its arguments, taken as they stand (not
// evaluated); the result is pushed. Used by C++ callers such as comparators and handlers.
[[nodiscard]] Flow call_with(const Cell& callable, const Cell* values, int32_t count, const Cell& name);
// The same, with no argument checked against the callable's types: the tracer of do/trace takes
// whatever the evaluation met, unset values included.
[[nodiscard]] Flow call_unchecked(const Cell& callable, const Cell* values, int32_t count, const Cell& name);
// Runs a function! with its arguments already in the current frame.
[[nodiscard]] Flow call_function(const Cell& function, NodeId context, const Cell& name, int callback_class);

}  // namespace vyn::interp
