// core/codecs/deflate_parse.hpp: the encoder's parse: hash chains over three-byte prefixes, the match
// search and one step of lazy matching. The one-pass encoder and the parallel encoder's segments
// run this same loop, so both choose the same symbols.
#pragma once

#include <algorithm>
#include <cstring>

#include "core/codecs/deflate_internal.hpp"

namespace vyn::compress {

inline constexpr int nice_length = 128;
inline constexpr int max_match = 258;

struct Match {
  int length;
  int distance;
  bool operator==(const Match&) const = default;
};

// Where a parse stands at the top of an iteration: the match found one byte back, whether that
// byte still waits to go out as a literal, and the bytes left to step over inside a match. The
// symbols a parse makes from an iteration on depend only on this and the data, so two parses that
// agree here agree from here on.
struct ParseState {
  Match prev{2, 0};
  bool pending = false;
  uint32_t skip = 0;
  bool operator==(const ParseState&) const = default;
};

inline uint32_t hash_mask(uint32_t n) {
  int bits = 8;
  while (bits < 15 && (uint32_t{1} << bits) < n) ++bits;
  return (uint32_t{1} << bits) - 1;
}

namespace parse_detail {

// How many of the first max bytes of a and b agree; the first two are known to.
inline int common_length(const uint8_t* a, const uint8_t* b, int max) {
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

inline uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// Positions are 1-based: the byte at position p is data[p - 1]. Looks along the chain from
// candidate for a match longer than best.length, up to max bytes.
inline Match longest_match(const Chains& t, const uint8_t* data, uint32_t i, uint32_t candidate,
                           Match best, int max) {
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
    uint32_t back = t.chain[candidate & (window - 1)];
    if (back == 0) break;
    candidate -= back;
  }
  return best;
}

}  // namespace parse_detail

// Runs the iterations [warm, to) over the n bytes of data: each position from warm on goes into
// the chains; from `from` on the parse runs from state s, handing the sink its symbols
// (sink.literal(position), sink.match(match)) and the state at the top of every iteration
// (sink.at(i, s)). The chains must hold nothing before warm; a parse started past position 1
// finds what the whole parse finds once warm is a window or more behind from.
template <class Sink>
void parse(Chains& t, const uint8_t* data, uint32_t n, uint32_t warm, uint32_t from, uint32_t to,
           ParseState& s, Sink& sink) {
  uint32_t mask = hash_mask(n);
  uint32_t h = n > 2 ? uint32_t(data[warm - 1]) << 5 ^ data[warm] : 0;
  for (uint32_t i = warm; i < to; ++i) {
    uint32_t c = 0;
    if (i >= from) sink.at(i, s);
    if (n >= 2 && i <= n - 2) {
      h = ((h << 5) ^ data[i + 1]) & mask;
      c = t.head[h];
      t.head[h] = i;
      uint32_t back = c ? i - c : 0;
      t.chain[i & (window - 1)] = uint16_t(back < uint32_t(window) ? back : 0);
    }
    if (i < from) continue;
    if (s.skip) {
      --s.skip;
      continue;
    }
    Match cur{2, 0};
    if (c >= 1 && i - c <= 32767 && s.prev.length <= 15) {
      int max = int(std::min<uint32_t>(max_match, n - i + 1));
      cur = parse_detail::longest_match(t, data, i, c, s.prev, max);
      if (cur.length == 3 && cur.distance > 4096) cur.length = 2;
    }
    if (s.prev.length >= 3 && s.prev.length >= cur.length) {
      sink.match(s.prev);
      s.skip = uint32_t(s.prev.length) - 2;
      s.prev = {2, 0};
      s.pending = false;
    } else {
      if (s.pending) sink.literal(i - 1);
      s.pending = true;
      s.prev = cur;
    }
  }
}

}  // namespace vyn::compress
