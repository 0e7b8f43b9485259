// eval/natives/support.hpp: what the natives that evaluate blocks share.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "eval/call.hpp"
#include "core/flow.hpp"

namespace vyn::natives {

// Evaluates the block; its value becomes the current call's result.
[[nodiscard]] Flow do_block(const Cell& block);
// One pass of a loop body inside the loop frame: break_ ends the loop (its value in the loop
// frame's result slot), continue_ and normal go on; any other code is passed on.
inline bool goes_on(Flow f) { return f == Flow::normal || f == Flow::continue_; }
[[nodiscard]] Flow body_pass(const Cell& body);
// The count of loop and repeat: a float! truncated toward zero, out-of-range counts clamped.
int64_t loop_count(const Cell& count);
// Pushes a loop frame named <body>; its result slot starts as the given value.
void open_loop(const Cell& initial);
// Pops the loop frame; its result slot's value becomes the native's result.
void close_loop();
// Pushes the error! the pending error makes (the value a try answers).
Cell* caught_error();
// Reduces the block's expressions into out (appended at its tail, else inserted at its position).
[[nodiscard]] Flow reduce_into(Cell source, Cell* out);
// The word of a call frame pushed by a native for its own work.
const Cell& body_word();

// A fresh runtime's root block holds no print buffer yet: the one print kept is gone.
void forget_print_buffer();

}  // namespace vyn::natives
