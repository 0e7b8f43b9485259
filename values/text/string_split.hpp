// values/text/string_split.hpp: a string cut at every character of a bitset.
#pragma once

#include "core/cell.hpp"

namespace vyn::string {

// Fills out (a rooted cell) with a new block of the pieces of text from its head: the characters
// between one member of delimiters and the next, each a new string of text's type and unit. n
// delimiters give n + 1 pieces, empty ones included. text and delimiters must be rooted.
void split_at_bitset(Cell* text, Cell* delimiters, Cell* out);

}  // namespace vyn::string
