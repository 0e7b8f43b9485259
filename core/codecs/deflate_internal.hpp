// core/codecs/deflate_internal.hpp: the encoder's work block and bit writer, shared by the match finder
// and the block writer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/codecs/deflate_tables.hpp"

namespace vyn::compress {

// Writes bits least significant first. Bytes past the end are counted but not stored, so `pos`
// ends at the length the whole stream needs.
struct BitWriter {
  uint8_t* out;
  size_t pos;
  size_t end;
  uint64_t acc = 0;
  int pending = 0;

  void put(uint32_t value, int n) {
    acc |= uint64_t(value) << pending;
    pending += n;
    while (pending >= 8) {
      byte(static_cast<uint8_t>(acc));
      acc >>= 8;
      pending -= 8;
    }
  }
  void byte(uint8_t b) {
    if (pos < end) out[pos] = b;
    ++pos;
  }
  void align() {
    if (pending > 0) put(0, 8 - pending);
  }
};

inline constexpr int symbol_capacity = 16384;
inline constexpr int window = 32768;

// Everything one call needs, in one allocation.
struct Work {
  uint32_t head[window];
  uint16_t chain[window];  // distance back along the hash chain, 0 at its end
  uint32_t symbols[symbol_capacity];  // a byte, or distance << 8 | (length - 3)
  int symbol_count;
  uint32_t lit_freq[288];
  uint32_t dist_freq[32];
  uint32_t clen_freq[clen_symbols];
  uint8_t lit_len[288];
  uint8_t dist_len[32];
  uint8_t clen_len[clen_symbols];
  uint16_t lit_code[288];
  uint16_t dist_code[32];
  uint16_t clen_code[clen_symbols];
  uint8_t fixed_lit_len[288];
  uint8_t fixed_dist_len[32];
  uint16_t fixed_lit_code[288];
  uint16_t fixed_dist_code[32];
};

// Writes the input bytes [start, end) as one block (or several stored pieces) from the symbols
// gathered in work, then clears the symbols and their frequencies.
void write_block(Work& w, BitWriter& out, const uint8_t* start, size_t bytes, bool final);

}  // namespace vyn::compress
