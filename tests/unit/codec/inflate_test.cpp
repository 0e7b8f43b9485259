// The DEFLATE decoder: hand-built stored, fixed and dynamic blocks, and every way a stream can be
// refused.
#include <gtest/gtest.h>

#include "tests/unit/codec/codec_support.hpp"

namespace vyn::test {
namespace {

int inflate(const Bytes& in, Bytes& out) { return run(compress::deflate_decompress, in, out); }

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes stored(const std::string& s, bool final = true, uint16_t nlen_xor = 0xFFFF) {
  BitPut p;
  p.bits(final, 1).bits(0, 2).align();
  p.bits(uint32_t(s.size()), 16).bits(uint32_t(s.size()) ^ nlen_xor, 16);
  for (char c : s) p.byte(uint8_t(c));
  return p.take();
}

// "abcabcabc": three fixed-code literals, then length 6 (symbol 260) at distance 3 (code 2).
Bytes fixed_abc() {
  BitPut p;
  p.bits(1, 1).bits(1, 2);
  for (char c : std::string("abc")) p.code(0x30 + uint8_t(c), 8);
  return p.code(4, 7).code(2, 5).code(0, 7).take();
}

// A dynamic block for "ababa": literal/length lengths a:1 b:2 256:3 257:3, distance lengths
// 0:0 1:1, sent with a code-length code of five 3-bit codes (0, 1, 2, 3, 18).
Bytes dynamic_ababa() {
  BitPut p;
  p.bits(1, 1).bits(2, 2).bits(258 - 257, 5).bits(2 - 1, 5).bits(18 - 4, 4);
  const int order_lengths[18] = {0, 0, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3, 0, 3};
  for (int len : order_lengths) p.bits(uint32_t(len), 3);
  p.code(4, 3).bits(97 - 11, 7);         // zeros for 0-96
  p.code(1, 3).code(2, 3);               // a, b
  p.code(4, 3).bits(127, 7);             // 138 zeros
  p.code(4, 3).bits(19 - 11, 7);         // 19 more, up to 255
  p.code(3, 3).code(3, 3);               // 256, 257
  p.code(0, 3).code(1, 3);               // distance lengths
  p.code(0, 1).code(2, 2);               // a b
  p.code(7, 3).code(0, 1);               // length 3, distance 2
  return p.code(6, 3).take();            // end of block
}

TEST(Inflate, DecodesEachBlockType) {
  Bytes out;
  ASSERT_EQ(inflate(stored("hello"), out), compress::done);
  EXPECT_EQ(text(out), "hello");
  ASSERT_EQ(inflate(stored("any nlen", true, 0x1234), out), compress::done);
  EXPECT_EQ(text(out), "any nlen");
  ASSERT_EQ(inflate(fixed_abc(), out), compress::done);
  EXPECT_EQ(text(out), "abcabcabc");
  ASSERT_EQ(inflate(dynamic_ababa(), out), compress::done);
  EXPECT_EQ(text(out), "ababa");
}

TEST(Inflate, MeasuresWithoutAnOutput) {
  Bytes in = fixed_abc();
  size_t size = 0;
  EXPECT_EQ(compress::deflate_decompress(nullptr, size, in.data(), in.size()), compress::too_small);
  EXPECT_EQ(size, 9u);
  Bytes buf(8, 0xEE);
  size = 4;
  EXPECT_EQ(compress::deflate_decompress(buf.data(), size, in.data(), in.size()),
            compress::too_small);
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(text(Bytes(buf.begin(), buf.begin() + 4)), "abca");
  EXPECT_EQ(buf[4], 0xEE);
}

// A stream that stops after a complete, non-final block keeps what it decoded.
TEST(Inflate, StreamCutAfterACompleteBlock) {
  Bytes in = stored("first", false), out;
  ASSERT_EQ(inflate(in, out), compress::done);
  EXPECT_EQ(text(out), "first");
  BitPut p;
  p.bits(0, 1).bits(1, 2).code(0x30 + 'x', 8).code(0, 7);
  ASSERT_EQ(inflate(p.take(), out), compress::done);
  EXPECT_EQ(text(out), "x");
}

TEST(Inflate, RefusesBadStreams) {
  struct Case {
    const char* name;
    Bytes in;
    int status;
  };
  Bytes cut_fixed = fixed_abc();
  cut_fixed.resize(3);
  Bytes cut_dynamic = dynamic_ababa();
  cut_dynamic.resize(cut_dynamic.size() - 2);
  Bytes cut_stored = stored("hello");
  cut_stored.resize(7);
  Case cases[] = {
      {"block type 3", BitPut().bits(1, 1).bits(3, 2).take(), compress::bad_block},
      {"stored longer than the input", cut_stored, compress::stored_short},
      {"stored header cut", Bytes{0x01, 0x05}, compress::corrupt},
      {"distance before the start",
       BitPut().bits(1, 1).bits(1, 2).code(0x30 + 'a', 8).code(1, 7).code(1, 5).take(),
       compress::too_far},
      {"length symbol 286", BitPut().bits(1, 1).bits(1, 2).code(0xC6, 8).take(), compress::corrupt},
      {"distance symbol 30",
       BitPut().bits(1, 1).bits(1, 2).code(0x30, 8).code(1, 7).code(30, 5).take(),
       compress::corrupt},
      {"fixed block cut inside", cut_fixed, compress::corrupt},
      {"dynamic block cut inside", cut_dynamic, compress::corrupt},
      {"HLIT above 286", BitPut().bits(1, 1).bits(2, 2).bits(30, 5).bits(0, 5).bits(0, 4).take(),
       compress::corrupt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    EXPECT_EQ(inflate(c.in, out), c.status);
  }
}

// Dynamic headers whose length lists are malformed: too many codes of one length, a repeat
// with nothing to repeat, a run past the end of the lists, no end-of-block code.
TEST(Inflate, RefusesBadCodeLengths) {
  auto header = [](int hclen, std::initializer_list<int> clens) {
    BitPut p;
    p.bits(1, 1).bits(2, 2).bits(0, 5).bits(0, 5).bits(uint32_t(hclen - 4), 4);
    for (int len : clens) p.bits(uint32_t(len), 3);
    return p;
  };
  // Code-length code: 16, 17, 18 and 0 each 2 bits (codes 0:00 16:01 17:10 18:11).
  auto four = [&] { return header(4, {2, 2, 2, 2}); };
  Bytes oversubscribed = header(4, {1, 1, 1, 0}).take();
  Bytes repeat_first = four().code(1, 2).bits(0, 2).take();
  Bytes run_past = four().code(3, 2).bits(127, 7).code(3, 2).bits(127, 7).take();
  // 258 zeros: 138 + 120, so end-of-block has no code.
  Bytes no_end = four().code(3, 2).bits(127, 7).code(3, 2).bits(109, 7).code(0, 2).take();
  for (const Bytes& in : {oversubscribed, repeat_first, run_past, no_end}) {
    Bytes out;
    EXPECT_EQ(inflate(in, out), compress::corrupt);
  }
}

// A length symbol in a block whose distance code is empty.
TEST(Inflate, RefusesAMatchWithNoDistanceCode) {
  BitPut p;
  p.bits(1, 1).bits(2, 2).bits(1, 5).bits(0, 5).bits(18 - 4, 4);
  const int order_lengths[18] = {0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  for (int len : order_lengths) p.bits(uint32_t(len), 3);
  // Code-length code: 0:00 1:01 18:10. Lengths: 256 and 257 get 1, the distance 0.
  p.code(2, 2).bits(138 - 11, 7).code(2, 2).bits(118 - 11, 7).code(1, 2).code(1, 2).code(0, 2);
  p.code(1, 1).code(0, 1);  // symbol 257, then a distance that cannot be decoded
  Bytes out;
  EXPECT_EQ(inflate(p.take(), out), compress::corrupt);
}

}  // namespace
}  // namespace vyn::test
