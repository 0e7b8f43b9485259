// values/string_storage.hpp: character series of 1, 2 or 4-byte units (Latin-1, UCS-2, UCS-4).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/cell.hpp"

namespace vyn::string {

// Makes cell an empty string! with room for capacity characters (at least 1) of unit 1.
Cell* make_at(Cell* cell, uint32_t capacity);
// Appends one code point at the tail, widening the buffer's unit when the code point needs it.
// May allocate; the series is reached through its node.
void append_char(NodeId node, uint32_t cp);
// Appends each byte of text as the code point of the same value.
void append_latin1(const Cell& str, std::string_view text);
// Characters from the head to the tail.
int32_t length(const Cell& str);
uint32_t char_at(NodeId node, uint32_t index);  // absolute index
// Overwrites the character at an absolute index, widening the unit when the code point needs it.
void set_char(NodeId node, uint32_t index, uint32_t cp);
// The text from the head, encoded as UTF-8 (for the platform and for tests).
std::string to_utf8(const Cell& str);

}  // namespace vyn::string
