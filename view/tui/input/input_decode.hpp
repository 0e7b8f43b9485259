// view/tui/input/input_decode.hpp: turns the bytes the terminal sends to the text UI (UTF-8 text, key
// sequences, SGR mouse reports, cursor-position reports) into input items.
//
// The decoder keeps no state: it reads from the start of the bytes, answers what it found and how
// many bytes it took. A sequence cut at the end of the bytes is left untaken (incomplete) unless
// the caller says no more bytes are coming, in which case it is dropped (a lone Esc is the key 27).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vyn::tui::input {

// Special-key codes, as event! reads them.
inline constexpr int32_t key_up = -20, key_down = -21, key_right = -22, key_left = -23,
                         key_end = -24, key_home = -25, key_delete = -27, key_page_up = -28,
                         key_page_down = -29, key_f1 = -31;

// Modifier bits, as event! flags.
inline constexpr uint32_t mod_ctrl = 0x10000000, mod_shift = 0x20000000, mod_alt = 0x40000000;

enum class Kind : uint8_t { key, mouse, cursor };

struct Item {
  Kind kind = Kind::key;
  int32_t key = 0;         // key: a code point, or a special-key code when special
  bool special = false;
  uint32_t mods = 0;       // key: modifier bits (shift-Tab is key 9 with shift)
  int32_t button = 0;      // mouse: the SGR button code
  int32_t column = 0;      // mouse and cursor: 1-based column
  int32_t row = 0;         // mouse and cursor: 1-based row
  bool release = false;    // mouse: "m" final (button released)
  size_t end = 0;          // offset just past the item's bytes
};

struct Decoded {
  std::vector<Item> items;
  size_t used = 0;          // bytes taken; the rest starts a sequence that is not complete yet
  bool incomplete = false;  // some bytes were left for later
};

// Decodes bytes[0, n), at most max_items items. With final set, nothing is left for later.
Decoded decode(const uint8_t* bytes, size_t n, bool final, size_t max_items = SIZE_MAX);

}  // namespace vyn::tui::input
