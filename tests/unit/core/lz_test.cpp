// The LZ unpacker: hand-built token streams, round trips through a test packer, corrupt input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/codecs/lz.hpp"

namespace vyn::test {
namespace {

using Bytes = std::vector<uint8_t>;
using compress::Stream;

// Writes packed blocks token by token through the stream's writing half.
class Writer {
 public:
  explicit Writer(uint32_t capacity) {
    compress::new_stream(s_, capacity + 16, nullptr, nullptr);
    compress::take_bytes(s_, 8);  // the header, filled by finish()
  }
  ~Writer() { compress::free_buffer(s_.out); }

  void chunk(uint32_t length) {
    align();
    compress::put_bits(32, length, s_);
  }
  void literal(uint8_t byte) {
    compress::put_bits(1, 0, s_);
    compress::put_bits(8, byte, s_);
  }
  // Copies count (3..566) bytes from distance (1..262144) back.
  void match(uint32_t count, uint32_t distance) {
    compress::put_bits(1, 1, s_);
    length(count - 3);
    offset(distance - 1);
  }
  void raw(int n, uint32_t value) { compress::put_bits(n, value, s_); }

  // The block with its header; unpacked is the size it declares.
  Bytes finish(uint32_t unpacked) {
    align();
    EXPECT_FALSE(s_.error) << "writer capacity too small";
    uint32_t packed = s_.used - 8;
    std::memcpy(s_.out, &packed, 4);
    std::memcpy(s_.out + 4, &unpacked, 4);
    return Bytes(s_.out, s_.out + s_.used);
  }

 private:
  void align() { compress::put_bits((8 - s_.count) & 7, 0, s_); }
  void length(uint32_t n) {
    struct Class { int prefix; int bits; uint32_t base, limit; };
    static constexpr Class classes[] = {
        {0, 2, 0, 4}, {1, 2, 4, 8}, {2, 2, 8, 12}, {3, 3, 12, 20}, {4, 5, 20, 52}};
    for (const Class& c : classes) {
      if (n >= c.limit) continue;
      compress::put_bits(c.prefix + 1, 1u << c.prefix, s_);
      compress::put_bits(c.bits, n - c.base, s_);
      return;
    }
    compress::put_bits(5, 0, s_);
    compress::put_bits(9, n - 52, s_);
  }
  void offset(uint32_t b) {
    if (b < 8) {
      compress::put_bits(4, 0, s_);
      compress::put_bits(3, b, s_);
      return;
    }
    int j = 31 - __builtin_clz(b);
    compress::put_bits(4, static_cast<uint32_t>(j - 2), s_);
    compress::put_bits(j, b - (1u << j), s_);
  }
  Stream s_;
};

// A greedy packer: the longest match found along a short hash chain, else a literal.
Bytes pack(const Bytes& data, uint32_t chunk_size = compress::max_chunk) {
  constexpr uint32_t max_distance = 262144, max_length = 566, chain_limit = 48;
  size_t chunks = data.size() / chunk_size + 1;
  Writer w(static_cast<uint32_t>(data.size() * 9 / 8 + chunks * 5));
  std::vector<int32_t> head(1 << 16), prev(chunk_size);
  for (size_t start = 0; start < data.size(); start += chunk_size) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(chunk_size, data.size() - start));
    const uint8_t* p = data.data() + start;
    std::fill(head.begin(), head.end(), -1);
    auto hash = [&](uint32_t i) { return (p[i] * 506832829u ^ p[i + 1] << 8 ^ p[i + 2]) & 0xFFFF; };
    auto insert = [&](uint32_t i) {
      if (i + 2 >= n) return;
      prev[i] = head[hash(i)];
      head[hash(i)] = static_cast<int32_t>(i);
    };
    w.chunk(n);
    for (uint32_t i = 0; i < n;) {
      uint32_t best = 0, best_distance = 0;
      if (i + 2 < n) {
        int32_t cand = head[hash(i)];
        for (uint32_t steps = 0; cand >= 0 && steps < chain_limit; ++steps, cand = prev[cand]) {
          uint32_t distance = i - static_cast<uint32_t>(cand);
          if (distance > max_distance) break;
          uint32_t len = 0;
          while (len < max_length && i + len < n && p[cand + len] == p[i + len]) ++len;
          if (len > best) best = len, best_distance = distance;
          if (best == max_length) break;
        }
      }
      if (best < 3) {
        w.literal(p[i]);
        insert(i++);
        continue;
      }
      w.match(best, best_distance);
      for (uint32_t k = 0; k < best; ++k) insert(i++);
    }
  }
  return w.finish(static_cast<uint32_t>(data.size()));
}

// Unpacks into a vector; false when the unpacker refuses.
bool unpack(const Bytes& packed, Bytes& out) {
  uint32_t size = 0xDEAD;
  uint8_t* buffer = compress::unpack(packed.data(), packed.size(), &size);
  if (!buffer) return false;
  out.assign(buffer, buffer + size);
  compress::free_buffer(buffer);
  return true;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes random_bytes(size_t n, uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng() % alphabet);
  return b;
}

TEST(LzUnpack, LiteralsOnlyChunkTakesNineBitsPerByte) {
  Writer w(64);
  w.chunk(8);
  for (char c : std::string("literals")) w.literal(static_cast<uint8_t>(c));
  Bytes packed = w.finish(8);
  EXPECT_EQ(packed.size(), 8u + 4 + 9);  // 72 bits
  Bytes out;
  ASSERT_TRUE(unpack(packed, out));
  EXPECT_EQ(out, text("literals"));
}

TEST(LzUnpack, MatchesCopyFromBackInTheChunk) {
  struct Case { const char* name; uint8_t first, second; uint32_t count, distance; const char* out; };
  for (Case c : {Case{"n=0 b=0 repeats the previous byte", 'x', 0, 3, 1, "xxxx"},
                 Case{"overlap repeats the pattern", 'a', 'b', 7, 2, "ababababa"},
                 Case{"distance equal to what was produced", 'a', 'b', 4, 2, "ababab"}}) {
    std::string want = c.out;
    Writer w(64);
    w.chunk(static_cast<uint32_t>(want.size()));
    w.literal(c.first);
    if (c.second) w.literal(c.second);
    w.match(c.count, c.distance);
    Bytes out;
    ASSERT_TRUE(unpack(w.finish(static_cast<uint32_t>(want.size())), out)) << c.name;
    EXPECT_EQ(out, text(want)) << c.name;
  }
}

TEST(LzUnpack, EmptyBlockUnpacksToEmptyBuffer) {
  Bytes packed = {0, 0, 0, 0, 0, 0, 0, 0};
  uint32_t size = 99;
  uint8_t* buffer = compress::unpack(packed.data(), packed.size(), &size);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(size, 0u);
  compress::free_buffer(buffer);
  // the size out-parameter is optional
  buffer = compress::unpack(packed.data(), packed.size(), nullptr);
  ASSERT_NE(buffer, nullptr);
  compress::free_buffer(buffer);
}

TEST(LzUnpack, ChunksStartOnWholeBytesAndMatchOnlyWithinThemselves) {
  Writer w(64);
  w.chunk(1);
  w.literal('a');  // 9 bits: the chunk ends 7 bits into its second byte, which are dropped
  w.chunk(4);
  w.literal('b');
  w.match(3, 1);
  Bytes out;
  ASSERT_TRUE(unpack(w.finish(5), out));
  EXPECT_EQ(out, text("abbbb"));

  Writer v(64);
  v.chunk(1);
  v.literal('a');
  v.chunk(3);
  v.match(3, 1);  // the byte one back belongs to the previous chunk
  EXPECT_FALSE(unpack(v.finish(4), out));
}

// A block of one chunk that claims length bytes and fills them with 'a'; its declared size
// leaves room for them, so only the chunk length itself can be refused.
Bytes chunk_length(uint32_t length) {
  Writer w(8192);
  w.chunk(length);
  if (length) w.literal('a');
  for (uint32_t done = 1; done < length;) {
    uint32_t n = std::min<uint32_t>(566, length - done);
    if (n < 3) {
      w.literal('a');
      ++done;
      continue;
    }
    w.match(n, 1);
    done += n;
  }
  return w.finish(length);
}

TEST(LzUnpack, MalformedBlocksAreRefused) {
  auto far_match = [] {
    Writer w(64);
    w.chunk(5);
    w.literal('a');
    w.match(4, 2);
    return w.finish(5);
  };
  auto past_chunk = [] {
    Writer w(64);
    w.chunk(3);
    w.literal('a');
    w.match(3, 1);
    return w.finish(3);
  };
  auto cut = [](Bytes b, size_t keep) {
    uint32_t packed = static_cast<uint32_t>(keep - 8);
    b.resize(keep);
    std::memcpy(b.data(), &packed, 4);
    return b;
  };
  auto room_short = [] {
    Writer w(64);
    w.chunk(20);
    for (int i = 0; i < 20; ++i) w.literal('z');
    return w.finish(11);  // room for 11 + 8 bytes, 20 written
  };
  Bytes literals = pack(text("0123456789abcdef"));
  Bytes lying = literals;
  lying[0] += 1;  // claims one more byte than the input holds

  struct Case { const char* name; Bytes block; };
  for (const Case& c : {Case{"chunk length 0", chunk_length(0)},
                        Case{"chunk length above 1 MB", chunk_length(0x100001)},
                        Case{"match reaching before the chunk", far_match()},
                        Case{"match passing the chunk length", past_chunk()},
                        Case{"tokens cut short", cut(literals, literals.size() - 1)},
                        Case{"chunk length cut short", cut(literals, 8 + 2)},
                        Case{"packed size past the input", lying},
                        Case{"shorter than the header", Bytes{1, 0, 0, 0, 1, 0, 0}},
                        Case{"output past the declared room", room_short()}}) {
    Bytes out;
    EXPECT_FALSE(unpack(c.block, out)) << c.name;
  }
  EXPECT_EQ(compress::unpack(nullptr, 100, nullptr), nullptr);
}

TEST(LzUnpack, DeclaredSizeIsRoomNotLength) {
  Bytes packed = pack(text("hello hello hello"));
  uint32_t generous = 1000;
  std::memcpy(packed.data() + 4, &generous, 4);
  Bytes out;
  ASSERT_TRUE(unpack(packed, out));
  EXPECT_EQ(out, text("hello hello hello"));
  // up to 8 bytes past the declared size still fit
  uint32_t short_by_8 = 17 - 8;
  std::memcpy(packed.data() + 4, &short_by_8, 4);
  EXPECT_TRUE(unpack(packed, out));
}

TEST(LzUnpack, RoundTrips) {
  Bytes long_repeat = random_bytes(200000, 7);
  long_repeat.insert(long_repeat.end(), long_repeat.begin(), long_repeat.end());  // distance 200000
  Bytes zeros(3 * compress::max_chunk + 12345, 0);                                // several chunks
  std::string words;
  for (int i = 0; i < 3000; ++i) words += "word" + std::to_string(i % 97) + (i % 13 ? " " : "\n");
  struct Case { const char* name; Bytes data; uint32_t chunk; };
  for (const Case& c : {Case{"one byte", text("A"), compress::max_chunk},
                        Case{"text", text(words), compress::max_chunk},
                        Case{"text in small chunks", text(words), 777},
                        Case{"random", random_bytes(50000, 1), compress::max_chunk},
                        Case{"small alphabet", random_bytes(100000, 2, 3), 4096},
                        Case{"long distance", long_repeat, compress::max_chunk},
                        Case{"zeros", zeros, compress::max_chunk}}) {
    Bytes packed = pack(c.data, c.chunk);
    Bytes out;
    ASSERT_TRUE(unpack(packed, out)) << c.name;
    EXPECT_TRUE(out == c.data) << c.name;
  }
}

TEST(LzStream, TakeBytesAndGetBitsSetTheErrorFlag) {
  Stream s;
  uint8_t input[2] = {0xA5, 0x01};
  compress::new_stream(s, 4, input, input + 2);
  EXPECT_EQ(compress::get_bits(4, s), 0x5u);
  EXPECT_EQ(compress::get_bits(5, s), 0x1Au);  // 1010 from the first byte, then bit 0 of the second
  EXPECT_FALSE(s.error);
  EXPECT_EQ(compress::get_bits(8, s), 0u);     // only 7 bits left
  EXPECT_TRUE(s.error);

  s.error = false;
  EXPECT_EQ(compress::take_bytes(s, -1), nullptr);
  EXPECT_TRUE(s.error);
  s.error = false;
  EXPECT_EQ(compress::take_bytes(s, 4), s.out);
  EXPECT_EQ(compress::take_bytes(s, 1), nullptr);
  EXPECT_TRUE(s.error);
  compress::free_buffer(s.out);
}

// Thousands of truncated, mutated and random blocks: each is refused or unpacks within its
// declared room, and none reads or writes out of bounds (the suite runs under ASan).
TEST(LzUnpack, CorruptInputNeverBreaksBounds) {
  std::mt19937 rng(12345);
  std::vector<Bytes> samples = {pack(text("the quick brown fox jumps over the quick brown dog")),
                                pack(random_bytes(3000, 3, 4), 500),
                                pack(random_bytes(2000, 4), 300)};
  auto check = [](const Bytes& block) {
    Bytes copy = block;  // exact size, so an overread is caught
    uint32_t size = 0;
    uint8_t* out = compress::unpack(copy.data(), copy.size(), &size);
    if (!out) return;
    uint32_t declared;
    std::memcpy(&declared, copy.data() + 4, 4);
    EXPECT_LE(uint64_t{size}, uint64_t{declared} + 8);
    compress::free_buffer(out);
  };
  for (const Bytes& s : samples)
    for (size_t keep = 0; keep < s.size(); ++keep) check(Bytes(s.begin(), s.begin() + keep));
  for (int i = 0; i < 3000; ++i) {
    Bytes b = samples[rng() % samples.size()];
    int flips = 1 + rng() % 4;
    for (int k = 0; k < flips; ++k) b[rng() % b.size()] ^= static_cast<uint8_t>(1 + rng() % 255);
    check(b);
  }
  for (int i = 0; i < 2000; ++i) {
    Bytes b = random_bytes(8 + rng() % 200, rng());
    uint32_t packed = static_cast<uint32_t>(b.size() - 8), room = rng() % 2 ? rng() : rng() % 4096;
    std::memcpy(b.data(), &packed, 4);
    std::memcpy(b.data() + 4, &room, 4);
    if (b.size() >= 12 && rng() % 2) b[8 + 2] = b[8 + 3] = 0;  // a plausible chunk length
    check(b);
  }
}

}  // namespace
}  // namespace vyn::test
