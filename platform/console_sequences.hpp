// platform/console_sequences.hpp: the console's own escape-sequence grammar for printed text, and
// its 16-colour attribute word. Pure: reads text, answers what one sequence asks for.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::console_seq {

// Foreground colour bits 0x1 (blue), 0x2 (green), 0x4 (red), intensity 0x8; background the same
// four bits shifted left by 4; underscore 0x8000. Each colour also remembers whether it is still
// the terminal's own default, which no colour number can stand for.
struct Attribute {
  uint16_t word = 0x0007;
  bool default_fg = true;
  bool default_bg = true;
  // Code 7 swapped the colours: a default shown in the other place is the terminal's reverse video.
  bool reversed = false;
  bool operator==(const Attribute&) const = default;
};

inline constexpr Attribute default_attribute{};

// The attribute after one SGR code.
Attribute sgr(Attribute a, uint32_t code);

enum class Op : uint8_t {
  none,          // the sequence is read and does nothing
  save,          // keep the cursor position
  restore,       // back to the kept position
  erase,         // `erase` says which cells
  position,      // cursor to column p1, row p2, from 0
  up, down, right, left,  // by p1 cells
  attribute,     // set `attribute`
  dump,          // print the screen-buffer description
  private_mode,  // ESC [ ? digits letter: goes to the terminal as it is
};

enum class Erase : uint8_t {
  below,             // from column 0 of the cursor row to the end of the screen
  rows_above,        // every row above the cursor row
  all,               // the whole screen; cursor to 0,0
  line,              // the cursor row; cursor to its column 0
  to_line_end,       // from the cursor to the end of its row
  line_start,        // from column 0 to just before the cursor; cursor to column 0
};

struct Parsed {
  size_t used = 0;  // units read from the ESC on; 0 when ESC is not followed by "[" (ESC is text)
  Op op = Op::none;
  Erase erase = Erase::below;
  uint32_t p1 = 0, p2 = 0;
  Attribute attribute;
};

// Reads the sequence whose ESC is unit `at` of text (units of 1, 2 or 4 bytes, `count` of them).
// `current` is the attribute in force, which SGR codes start from. A sequence cut short by the
// end of the text is used up and does nothing.
Parsed parse(const uint8_t* text, size_t count, uint32_t unit, size_t at, Attribute current);

// The unit at index i.
uint32_t unit_at(const uint8_t* text, uint32_t unit, size_t i);

}  // namespace vyn::console_seq
