// eval/dispatch.hpp: comparing values and the fast routines (values/dispatch_direct.hpp reaches a
// datatype's entry for an action).
#pragma once

#include "core/cell.hpp"
#include "eval/call.hpp"
#include "values/action_sigs.hpp"
#include "values/compare.hpp"
#include "values/dispatch_direct.hpp"
#include "values/registry.hpp"

namespace vyn::actions {

// The index argument of pick and poke: an integer, a char's code point, true 1, false 2; any
// other type 0 (the entry then takes the argument as a key).
int32_t pick_index(const Cell& index);

// The comparison answer as truth by op; -2 under an ordering op raises script/invalid-compare.
bool compare(Cell* a, Cell* b, int op);
// The raw answer, -2 included, never raising: vyn::compare_value (values/compare.hpp).
// Compares the current call's first two arguments and leaves a logic! in its result slot.
void compare_args(int op);

// Fast routines for the common operand types; others go through the front-ends.
enum class MathOp { add = 0, subtract = 1, multiply = 2, or_ = 5, and_ = 6, xor_ = 7 };
// Combines a and b; the answer is written into a.
void math_op_fast(Cell* a, const Cell* b, MathOp op);
bool compare_op_fast(Cell* a, Cell* b, int op);
Cell pick_index_fast(Cell* series, Cell* index);
enum class Nav { length = 1, index = 2, head_q = 3, tail_q = 4, next = 5, back = 6, head = 7, tail = 8 };
Cell series_nav_fast(const Cell& series, Nav op);

}  // namespace vyn::actions
