// core/codecs/inflate.cpp: the DEFLATE decoder. Every length list is checked before it becomes a table,
// every symbol is checked against the code it came from, and reads past the input end mark the
// stream as cut short instead of inventing data.
#include <algorithm>
#include <cstring>

#include "core/codecs/deflate.hpp"
#include "core/codecs/deflate_tables.hpp"

namespace vyn::compress {
namespace {

uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Bits above count are zero, or are the input bytes that come next, already in their places: a
// refill ORs those same bytes in again.
struct BitReader {
  const uint8_t* pos;
  const uint8_t* end;
  uint64_t bits = 0;
  int count = 0;
  bool overrun = false;  // bits were taken that the input does not have

  void refill() {
    if (count >= 32) return;
    if (end - pos >= 8) {
      bits |= load64(pos) << count;
      pos += (63 - count) >> 3;
      count |= 56;
      return;
    }
    while (count <= 56 && pos < end) bits |= uint64_t(*pos++) << count, count += 8;
  }
  uint32_t peek16() {
    refill();
    return uint32_t(bits & 0xFFFF);
  }
  void drop(int n) {
    if (n > count) overrun = true;
    n = std::min(n, count);
    bits >>= n;
    count -= n;
  }
  uint32_t take(int n) {
    if (n == 0) return 0;
    uint32_t v = peek16() & ((1u << n) - 1);
    drop(n);
    return v;
  }
};

// One entry per used symbol, in canonical order: code left-justified in the top bits, symbol in
// bits 4-15, length in bits 0-3.
// Codes of up to fast_bits bits are also found in one step: fast is indexed by the next fast_bits
// bits of the input as they arrive (the code's bits reversed) and holds symbol << 4 | length, or
// 0 where a longer code, or none, starts.
inline constexpr int fast_bits = 10;
struct Table {
  uint32_t entry[288];
  int size = 0;
  uint16_t fast[1 << fast_bits];
};

uint32_t reversed(uint32_t code, int len) {
  uint32_t r = 0;
  for (int b = 0; b < len; ++b) r |= ((code >> b) & 1u) << (len - 1 - b);
  return r;
}

void fill_fast(Table& t) {
  std::memset(t.fast, 0, sizeof t.fast);
  for (int i = 0; i < t.size; ++i) {
    uint32_t e = t.entry[i];
    int len = int(e & 15);
    if (len > fast_bits) continue;
    uint32_t first = reversed(e >> (32 - len), len);
    for (uint32_t at = first; at < (1u << fast_bits); at += 1u << len) t.fast[at] = uint16_t(e & 0xFFFF);
  }
}

// Builds the table of a length list; false for a code that claims more codes than its lengths
// allow. An incomplete code is accepted: symbols outside it are refused when met.
bool build_table(const uint8_t* lengths, int m, Table& t) {
  int count[16] = {};
  for (int s = 0; s < m; ++s) ++count[lengths[s]];
  int32_t left = 1;
  for (int len = 1; len <= 15; ++len) {
    left = left * 2 - count[len];
    if (left < 0) return false;
  }
  uint32_t code = 0, next[16] = {};
  count[0] = 0;
  for (int len = 1; len <= 15; ++len) next[len] = code = (code + uint32_t(count[len - 1])) << 1;
  t.size = 0;
  for (int len = 1; len <= 15; ++len)
    for (int s = 0; s < m; ++s)
      if (lengths[s] == len)
        t.entry[t.size++] = next[len]++ << (32 - len) | uint32_t(s) << 4 | uint32_t(len);
  fill_fast(t);
  return true;
}

// A symbol whose code is longer than fast_bits: a search of the canonical entries.
[[gnu::noinline]] int decode_long(BitReader& in, const Table& t, uint32_t v) {
  uint32_t r = 0;
  for (int b = 0; b < 16; ++b) r |= ((v >> b) & 1u) << (15 - b);
  uint32_t key = r << 16 | 0xFFFF;
  const uint32_t* after = std::upper_bound(t.entry, t.entry + t.size, key);
  if (after == t.entry) return -1;
  uint32_t e = after[-1];
  int len = int(e & 15);
  if ((e ^ (r << 16)) >> (32 - len)) return -1;
  in.drop(len);
  return int(e >> 4 & 0xFFF);
}

// The next symbol of t, or -1 when the bits match no code of t.
[[gnu::always_inline]] inline int decode(BitReader& in, const Table& t) {
  if (t.size == 0) return -1;
  uint32_t v = in.peek16();
  if (uint16_t f = t.fast[v & ((1u << fast_bits) - 1)]) {
    in.drop(f & 15);
    return f >> 4;
  }
  return decode_long(in, t, v);
}

struct Inflater {
  BitReader in;
  uint8_t* out;
  size_t capacity;
  uint64_t produced = 0;
  Table lit, dist;

  void put(uint8_t b) {
    if (produced < capacity) out[produced] = b;
    ++produced;
  }
  int stored();
  int codes(const uint8_t* lengths, int hlit, int hdist);
  int dynamic();
  int data();
  void copy(uint32_t distance, uint32_t length);
};

int Inflater::stored() {
  in.drop(in.count & 7);
  uint32_t len = in.take(16);
  in.take(16);  // NLEN: not compared, as other encoders do not always fill it in
  if (in.overrun) return corrupt;
  in.pos -= in.count / 8;  // give back the whole bytes still buffered
  in.bits = 0;
  in.count = 0;
  if (size_t(in.end - in.pos) < len) return stored_short;
  if (produced + len > max_output) return corrupt;
  if (produced < capacity)
    std::memcpy(out + produced, in.pos, std::min<uint64_t>(len, capacity - produced));
  produced += len;
  in.pos += len;
  return done;
}

int Inflater::codes(const uint8_t* lengths, int hlit, int hdist) {
  if (!build_table(lengths, hlit, lit) || !build_table(lengths + hlit, hdist, dist))
    return corrupt;
  return data();
}

int Inflater::dynamic() {
  int hlit = 257 + int(in.take(5)), hdist = 1 + int(in.take(5)), hclen = 4 + int(in.take(4));
  if (hlit > 286 || hdist > 30) return corrupt;
  uint8_t clen[clen_symbols] = {};
  for (int k = 0; k < hclen; ++k) clen[clen_order[k]] = uint8_t(in.take(3));
  Table t;
  if (!build_table(clen, clen_symbols, t)) return corrupt;
  uint8_t lengths[320] = {};
  for (int k = 0; k < hlit + hdist;) {
    int sym = decode(in, t);
    if (sym < 0 || in.overrun) return corrupt;
    if (sym < 16) {
      lengths[k++] = uint8_t(sym);
      continue;
    }
    if (sym == 16 && k == 0) return corrupt;
    uint8_t value = sym == 16 ? lengths[k - 1] : 0;
    int run = sym == 16 ? 3 + int(in.take(2)) : sym == 17 ? 3 + int(in.take(3)) : 11 + int(in.take(7));
    if (k + run > hlit + hdist) return corrupt;
    while (run--) lengths[k++] = value;
  }
  if (lengths[end_of_block] == 0) return corrupt;
  return codes(lengths, hlit, hdist);
}

// Symbols up to end-of-block.
int Inflater::data() {
  for (;;) {
    int sym = decode(in, lit);
    if (sym < 0 || in.overrun) return corrupt;
    if (sym < 256) {
      put(uint8_t(sym));
      if (produced > max_output) return corrupt;
      continue;
    }
    if (sym == end_of_block) return done;
    if (sym > 285) return corrupt;
    int lc = sym - 257;
    uint32_t length = length_base[lc] + in.take(length_extra[lc]);
    int dc = decode(in, dist);
    if (dc < 0 || dc >= dist_symbols) return corrupt;
    uint32_t distance = dist_base[dc] + in.take(dist_extra[dc]);
    if (in.overrun) return corrupt;
    if (distance > produced) return too_far;
    if (produced + length > max_output) return corrupt;
    copy(distance, length);
  }
}

// A match of length bytes from distance back. Past the capacity only the length is counted.
void Inflater::copy(uint32_t distance, uint32_t length) {
  if (produced + length + 8 <= capacity) {
    uint8_t* to = out + produced;
    const uint8_t* from = to - distance;
    produced += length;
    if (distance >= 8) {  // eight at a time: each piece reads only bytes already written
      for (uint32_t k = 0; k < length; k += 8) std::memcpy(to + k, from + k, 8);
    } else if (distance == 1) {
      std::memset(to, *from, length);
    } else {  // byte by byte: a near overlapping copy repeats the pattern
      for (uint32_t k = 0; k < length; ++k) to[k] = from[k];
    }
    return;
  }
  uint32_t k = 0;
  for (; k < length && produced < capacity; ++k, ++produced) out[produced] = out[produced - distance];
  produced += length - k;
}

}  // namespace

int deflate_decompress(uint8_t* out, size_t& size, const uint8_t* in, size_t length) {
  Inflater f{{in, in + length}, out, out ? size : 0, 0, {}, {}};
  bool final = false;
  // Fewer than 8 bits cannot hold a block: they are the padding after the last one read.
  while (!final && !(f.in.pos == f.in.end && f.in.count < 8)) {
    final = f.in.take(1);
    int type = int(f.in.take(2));
    int r;
    if (f.in.overrun) {
      r = corrupt;
    } else if (type == 0) {
      r = f.stored();
    } else if (type == 1) {
      uint8_t lengths[320];
      for (int s = 0; s < 288; ++s) lengths[s] = uint8_t(fixed_length(s));
      std::fill(lengths + 288, lengths + 320, uint8_t{5});
      r = f.codes(lengths, 288, 32);
    } else if (type == 2) {
      r = f.dynamic();
    } else {
      r = bad_block;
    }
    if (r != done) return r;
  }
  size = size_t(f.produced);
  return f.produced > f.capacity ? too_small : done;
}

}  // namespace vyn::compress
