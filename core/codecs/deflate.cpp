// core/codecs/deflate.cpp: the DEFLATE encoder: one parse over the whole input (a large input is
// parsed in segments on several threads, to the same symbols), and a block written whenever the
// symbol buffer fills.
#include "core/codecs/deflate.hpp"

#include <cstring>

#include "core/codecs/deflate_huffman.hpp"
#include "core/codecs/deflate_parallel.hpp"
#include "core/codecs/deflate_parse.hpp"
#include "core/heap.hpp"

namespace vyn::compress {
namespace {

// The work block comes zeroed; only the fixed code needs building.
void set_up(Work& w) {
  for (int s = 0; s < 288; ++s) w.fixed_lit_len[s] = uint8_t(fixed_length(s));
  std::memset(w.fixed_dist_len, 5, sizeof w.fixed_dist_len);
  build_codes(w.fixed_lit_len, 288, w.fixed_lit_code);
  build_codes(w.fixed_dist_len, 32, w.fixed_dist_code);
}

// Hands the parse's symbols straight to the block writer.
struct Direct {
  BlockWriter& blocks;
  void at(uint32_t, const ParseState&) {}
  void literal(uint32_t position) { blocks.emit(blocks.data[position - 1]); }
  void match(Match m) { blocks.emit(uint32_t(m.distance) << 8 | uint32_t(m.length - 3)); }
};

void encode(BlockWriter& blocks, uint32_t n) {
  if (n >= parallel_input && encode_parallel(blocks, n)) return;
  ParseState s;
  Direct sink{blocks};
  parse(blocks.w.chains, blocks.data, n, 1, 1, n + 1, s, sink);
  finish(blocks, s, n);
}

}  // namespace

void finish(BlockWriter& blocks, const ParseState& s, uint32_t n) {
  if (s.pending) blocks.add(blocks.data[n - 1]);  // the last byte, into the last block
  blocks.flush(true);
}

int deflate_compress(uint8_t* out, size_t& size, const uint8_t* in, size_t length) {
  if (length > max_output) return corrupt;
  // One tracked block per call; a refusal raises internal/no-memory.
  auto* work = static_cast<Work*>(heap::alloc(sizeof(Work)));
  set_up(*work);
  BitWriter writer{out, 0, out ? size : 0};
  BlockWriter blocks{*work, writer, in};
  encode(blocks, uint32_t(length));
  heap::free(work);
  writer.align();
  bool fits = writer.pos <= size;
  size = writer.pos;
  return fits ? done : too_small;
}

}  // namespace vyn::compress
