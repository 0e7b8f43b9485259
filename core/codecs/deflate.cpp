// core/codecs/deflate.cpp: the DEFLATE encoder: hash chains over three-byte prefixes, one step of lazy
// matching, and a block written whenever the symbol buffer fills.
#include "core/codecs/deflate.hpp"

#include <algorithm>
#include <cstring>

#include "core/codecs/deflate_huffman.hpp"
#include "core/heap.hpp"
#include "core/codecs/deflate_internal.hpp"

namespace vyn::compress {
namespace {

constexpr int nice_length = 128;
constexpr int max_match = 258;

struct Match {
  int length;
  int distance;
};

// How many of the first max bytes of a and b agree; the first two are known to.
int common_length(const uint8_t* a, const uint8_t* b, int max) {
  int len = 2;
  while (len + 8 <= max) {
    uint64_t x, y;
    std::memcpy(&x, a + len, 8);
    std::memcpy(&y, b + len, 8);
    if (x != y) return len + __builtin_ctzll(x ^ y) / 8;
    len += 8;
  }
  while (len < max && a[len] == b[len]) ++len;
  return len;
}

uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// Positions are 1-based: the byte at position p is data[p - 1]. Looks along the chain from
// candidate for a match longer than best.length, up to max bytes. A chain link holds the distance
// back to the previous position with the same hash, 0 for none or one too far to reach.
Match longest_match(const Work& w, const uint8_t* data, uint32_t i, uint32_t candidate, Match best,
                    int max) {
  if (best.length >= max) return best;
  int nice = std::min(nice_length, max);
  int budget = best.length >= 8 ? 32 : 128;
  uint32_t limit = i > uint32_t(window) ? i - window : 0;
  const uint8_t* here = data + i - 1;
  // A candidate must agree on the first two bytes and on the two around the end of the best
  // match so far; both pairs are compared as one load each.
  const uint16_t start = load16(here);
  uint16_t end = load16(here + best.length - 1);
  while (candidate > limit && budget-- > 0) {
    const uint8_t* there = data + candidate - 1;
    if (load16(there + best.length - 1) == end && load16(there) == start) {
      int len = common_length(there, here, max);
      if (len > best.length) {
        best = {len, int(i - candidate)};
        if (len >= nice) break;
        end = load16(here + len - 1);
      }
    }
    uint32_t back = w.chain[candidate & (window - 1)];
    if (back == 0) break;
    candidate -= back;
  }
  return best;
}

// The work block comes zeroed; only the fixed code needs building.
void set_up(Work& w) {
  for (int s = 0; s < 288; ++s) w.fixed_lit_len[s] = uint8_t(fixed_length(s));
  std::memset(w.fixed_dist_len, 5, sizeof w.fixed_dist_len);
  build_codes(w.fixed_lit_len, 288, w.fixed_lit_code);
  build_codes(w.fixed_dist_len, 32, w.fixed_dist_code);
}

struct Encoder {
  Work& w;
  BitWriter& out;
  const uint8_t* data;
  uint32_t block_start = 1, block_end = 1;

  void literal(uint32_t pos) {
    uint8_t b = data[pos - 1];
    w.symbols[w.symbol_count++] = b;
    ++w.lit_freq[b];
  }
  void match(Match m) {
    w.symbols[w.symbol_count++] = uint32_t(m.distance) << 8 | uint32_t(m.length - 3);
    ++w.lit_freq[257 + length_code(m.length)];
    ++w.dist_freq[dist_code(m.distance)];
  }
  void flush(bool final) {
    // Empty input may come as a null pointer, which takes no offset.
    const uint8_t* start = block_end > block_start ? data + block_start - 1 : data;
    write_block(w, out, start, block_end - block_start, final);
    block_start = block_end;
  }
};

void encode(Encoder& e, uint32_t n) {
  Work& w = e.w;
  const uint8_t* data = e.data;
  int bits = 8;
  while (bits < 15 && (uint32_t{1} << bits) < n) ++bits;
  uint32_t mask = (uint32_t{1} << bits) - 1;
  uint32_t h = n > 2 ? uint32_t(data[0]) << 5 ^ data[1] : 0;
  Match prev{2, 0};
  bool pending = false;
  uint32_t skip = 0;
  for (uint32_t i = 1; i <= n; ++i) {
    uint32_t c = 0;
    if (n >= 2 && i <= n - 2) {
      h = ((h << 5) ^ data[i + 1]) & mask;
      c = w.head[h];
      w.head[h] = i;
      uint32_t back = c ? i - c : 0;
      w.chain[i & (window - 1)] = uint16_t(back < uint32_t(window) ? back : 0);
    }
    if (skip) {
      --skip;
      continue;
    }
    Match cur{2, 0};
    if (c >= 1 && i - c <= 32767 && prev.length <= 15) {
      int max = int(std::min<uint32_t>(max_match, n - i + 1));
      cur = longest_match(w, data, i, c, prev, max);
      if (cur.length == 3 && cur.distance > 4096) cur.length = 2;
    }
    if (prev.length >= 3 && prev.length >= cur.length) {
      e.match(prev);
      e.block_end = i + uint32_t(prev.length) - 1;
      skip = uint32_t(prev.length) - 2;
      prev = {2, 0};
      pending = false;
    } else {
      if (pending) {
        e.literal(i - 1);
        e.block_end = i;
      }
      pending = true;
      prev = cur;
    }
    if (w.symbol_count == symbol_capacity) e.flush(false);
  }
  if (pending) e.literal(n);
  e.block_end = n + 1;
  e.flush(true);
}

}  // namespace

int deflate_compress(uint8_t* out, size_t& size, const uint8_t* in, size_t length) {
  if (length > max_output) return corrupt;
  // One tracked block per call; a refusal raises internal/no-memory.
  auto* work = static_cast<Work*>(heap::alloc(sizeof(Work)));
  set_up(*work);
  BitWriter writer{out, 0, out ? size : 0};
  Encoder e{*work, writer, in};
  encode(e, uint32_t(length));
  heap::free(work);
  writer.align();
  bool fits = writer.pos <= size;
  size = writer.pos;
  return fits ? done : too_small;
}

}  // namespace vyn::compress
