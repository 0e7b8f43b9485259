// platform/key_decode.hpp: turns the bytes a terminal sends for one key press into a key code.
//
// A key that produces a character gives its code point; the others give the negative codes below
// (Enter gives 13). Bytes come as UTF-8; a byte that cannot start a sequence, or a sequence cut
// by a wrong byte, gives U+FFFD for its first byte alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::keys {

inline constexpr int up = -20;
inline constexpr int down = -21;
inline constexpr int right = -22;
inline constexpr int left = -23;
inline constexpr int end = -24;
inline constexpr int home = -25;
inline constexpr int insert = -26;
inline constexpr int del = -27;
inline constexpr int page_up = -28;
inline constexpr int page_down = -29;
inline constexpr int enter = 13;
inline constexpr int other = 0;     // a key with no character and no code of its own
inline constexpr int failed = -1;   // reading failed or the input ended
inline constexpr int resized = -100;  // no key: the terminal changed its size (terminal::read_key)

struct Decoded {
  int key = other;
  size_t used = 0;  // bytes taken; 0 when the bytes so far start a longer sequence
};

// Decodes the key at the start of bytes. With complete set (no more bytes are coming soon), a
// lone escape is the Esc key and a cut sequence gives what its bytes so far allow.
Decoded decode(const uint8_t* bytes, size_t n, bool complete);

}  // namespace vyn::keys
