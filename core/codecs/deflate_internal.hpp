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

// Hash chains: the latest position of each hash, and from each position the distance back to the
// one before it with the same hash (0: none, or one too far to reach).
struct Chains {
  uint32_t head[window];
  uint16_t chain[window];
};

// Everything one call needs, in one allocation.
struct Work {
  Chains chains;
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

// Gathers symbols (a byte, or distance << 8 | (length - 3)) and writes a block whenever the
// buffer fills; positions are 1-based.
struct BlockWriter {
  Work& w;
  BitWriter& out;
  const uint8_t* data;
  uint32_t block_start = 1, block_end = 1;

  void add(uint32_t symbol) {
    w.symbols[w.symbol_count++] = symbol;
    if (symbol < 256) {
      ++w.lit_freq[symbol];
      ++block_end;
      return;
    }
    int length = int(symbol & 0xFF) + 3;
    ++w.lit_freq[257 + length_code(length)];
    ++w.dist_freq[dist_code(int(symbol >> 8))];
    block_end += uint32_t(length);
  }
  void emit(uint32_t symbol) {
    add(symbol);
    if (w.symbol_count == symbol_capacity) flush(false);
  }
  void flush(bool final) {
    // Empty input may come as a null pointer, which takes no offset.
    const uint8_t* start = block_end > block_start ? data + block_start - 1 : data;
    write_block(w, out, start, block_end - block_start, final);
    block_start = block_end;
  }
};

}  // namespace vyn::compress
