// platform/console_render.hpp: carries out the console's escape sequences on a terminal, in the
// terminal's own sequences. The visible screen is the console's screen buffer (0,0 its top-left
// cell); a model follows the cursor and the attribute word so the console's rules (positions from
// 0, clamped moves, erase runs, default-coloured fills) hold whatever the terminal does itself.
#pragma once

#include <cstdint>
#include <string>

#include "platform/console_sequences.hpp"

namespace vyn::console_render {

// The bytes that carry out one sequence; the model follows. A screen-buffer dump is text, which
// the caller prints (and tracks) as it prints any other.
std::string apply(const console_seq::Parsed& p);
// The attribute in force, which the next sequence's SGR codes start from.
console_seq::Attribute attribute();
// One character written to the terminal as text: the cursor moves as the terminal moves it.
void track(uint32_t cp);
// Something else wrote to the terminal (or it was resized): the cursor is asked for when next
// needed.
void forget_cursor();

// For tests: the model as a fresh terminal of this size with the cursor at column, row.
void reset(int columns, int rows, int column, int row);

}  // namespace vyn::console_render
