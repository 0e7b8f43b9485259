// MurmurHash3 against its published vectors, and the hash of values by type.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/text/casefold.hpp"
#include "core/hash.hpp"
#include "core/series.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

TEST(Murmur3, PublishedVectors) {
  struct Case { std::string bytes; uint32_t seed, hash; };
  const std::string pi = "\xCF\x80\xCF\x80\xCF\x80\xCF\x80\xCF\x80\xCF\x80\xCF\x80\xCF\x80";
  for (const Case& c : {
           Case{"", 0, 0}, Case{"", 1, 0x514E28B7}, Case{"", 0xFFFFFFFF, 0x81F16F39},
           Case{std::string("\xFF\xFF\xFF\xFF"), 0, 0x76293B50},
           Case{std::string("\x21\x43\x65\x87"), 0, 0xF55B516B},
           Case{std::string("\x21\x43\x65\x87"), 0x5082EDEE, 0x2362F9DE},
           Case{std::string("\x21\x43\x65"), 0, 0x7E4A8634},
           Case{std::string("\x21\x43"), 0, 0xA0F7B07A}, Case{std::string("\x21"), 0, 0x72661CF4},
           Case{std::string(4, '\0'), 0, 0x2362F9DE}, Case{std::string(3, '\0'), 0, 0x85F0B427},
           Case{std::string(2, '\0'), 0, 0x30F4C306}, Case{std::string(1, '\0'), 0, 0x514E28B7},
           Case{"aaaa", 0x9747B28C, 0x5A97808A}, Case{"aaa", 0x9747B28C, 0x283E0130},
           Case{"aa", 0x9747B28C, 0x5D211726}, Case{"a", 0x9747B28C, 0x7FA09EA6},
           Case{"abcd", 0x9747B28C, 0xF0478627}, Case{"abc", 0x9747B28C, 0xC84A62DD},
           Case{"ab", 0x9747B28C, 0x74875592}, Case{"Hello, world!", 0x9747B28C, 0x24884CBA},
           Case{pi, 0x9747B28C, 0xD58063C1}, Case{std::string(256, 'a'), 0x9747B28C, 0x37405BDC},
           Case{"abc", 0, 0xB3DD93FA},
           Case{"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 0, 0xEE925B90},
           Case{"The quick brown fox jumps over the lazy dog", 0x9747B28C, 0x2FA826CD},
       }) {
    EXPECT_EQ(hash::murmur3_seeded(c.bytes.data(), c.bytes.size(), c.seed), c.hash)
        << '"' << c.bytes << "\" seed " << std::hex << c.seed;
  }
}

TEST(Murmur3, RuntimeSeedAndFinaliser) {
  EXPECT_NE(hash::seed(), 0u);
  EXPECT_EQ(hash::murmur3("", 0), hash::finish(hash::seed()));  // an empty range
  EXPECT_EQ(hash::murmur3("abc", 3), hash::murmur3_seeded("abc", 3, hash::seed()));
  EXPECT_EQ(hash::int_(1), 0x514E28B7u);  // the finaliser alone, as the empty hash with seed 1
  EXPECT_EQ(hash::int_(0), 0u);
}

TEST(Murmur3, NextPow2) {
  struct Case { uint32_t n, p; };
  for (Case c : {Case{5, 8}, Case{8, 8}, Case{1, 1}, Case{0, 0}, Case{3, 4}, Case{9, 16},
                 Case{0x40000001, 0x80000000}})
    EXPECT_EQ(hash::next_pow2(c.n), c.p) << c.n;
}

class ValueHash : public RuntimeTest {
 protected:
  // A text value of the given type with the code points stored in units of the given size.
  static Cell text(const std::u32string& cps, uint32_t unit, Type t = Type::string, int32_t head = 0) {
    NodeId node = alloc::new_codepoints(static_cast<uint32_t>(cps.size()) + 1, unit);
    SeriesBuffer* b = buffer_of(node);
    for (size_t i = 0; i < cps.size(); ++i) std::memcpy(b->data() + i * unit, &cps[i], unit);
    b->tail = static_cast<uint32_t>(cps.size() * unit);
    return *stack::push(make_series(t, node, head));
  }
  static Cell symbol(const std::string& utf8) {
    NodeId node = alloc::new_bytes(static_cast<uint32_t>(utf8.size()) + 1);
    std::memcpy(buffer_of(node)->data(), utf8.data(), utf8.size());
    buffer_of(node)->tail = static_cast<uint32_t>(utf8.size());
    return *stack::push(make_cell(Type::symbol, static_cast<uint32_t>(-1), 0, node));
  }
  // The hash of text as defined: code points as 4-byte blocks.
  static uint32_t as_ucs4(const std::u32string& cps, bool fold) {
    std::vector<uint32_t> words;
    for (char32_t c : cps) words.push_back(fold ? casefold::to_upper(c) : c);
    return hash::murmur3(words.data(), words.size() * 4);
  }
};

TEST_F(ValueHash, TextHashesPerCodePointAlikeInEveryUnitTypeAndCase) {
  uint32_t h = hash::value(text(U"Hello", 1), false);
  EXPECT_EQ(h, as_ucs4(U"HELLO", false));
  EXPECT_EQ(hash::value(text(U"hello", 2), false), h);
  EXPECT_EQ(hash::value(text(U"HeLLo", 4), false), h);
  EXPECT_EQ(hash::value(text(U"hello", 1, Type::file), false), h);
  EXPECT_EQ(hash::value(text(U"xxHello", 1, Type::url, 2), false), h);  // from the head
  EXPECT_EQ(hash::value(text(U"Hello", 1), true), as_ucs4(U"Hello", false));
  EXPECT_NE(hash::value(text(U"hello", 1), true), hash::value(text(U"Hello", 1), true));
  EXPECT_EQ(hash::value(text(U"", 1), false), hash::murmur3("", 0));
  EXPECT_EQ(hash::value(text(U"ab", 1, Type::string, 9), false), hash::murmur3("", 0));  // head past tail
}

TEST_F(ValueHash, TextFoldsThroughTheCaseTables) {
  const std::u32string mixed = U"Stra\u00DFe \u00E9t\u00C9 \u0434\u043E\u043C \U0001F600";
  EXPECT_EQ(hash::value(text(mixed, 4), false), as_ucs4(mixed, true));
  EXPECT_EQ(hash::value(text(mixed, 4), true), as_ucs4(mixed, false));
  EXPECT_EQ(hash::value(text(U"\u00E9t\u00C9", 2), false), as_ucs4(U"\u00E9t\u00C9", true));
}

// Text of one byte per unit takes its own way through the hash (a table per byte, four bytes a
// round); random texts in every unit that can hold them must hash as the definition says, folded
// and not. Latin-1 draws often from the letters whose upper case lies outside it (y with
// diaeresis, micro sign) or is not one letter (sharp s).
TEST_F(ValueHash, EveryUnitHashesRandomTextAsDefined) {
  std::mt19937 random(20240611);
  auto pick = [&random](uint32_t below) { return static_cast<uint32_t>(random() % below); };
  const char32_t awkward[] = {0xFF, 0xB5, 0xDF, 0xE0, 0xC0, 'z', 'A', 0x7F, 0};
  for (int n = 0; n < 400; ++n) {
    stack::Mark mark;
    uint32_t widest = n % 3 == 0 ? 1 : n % 3 == 1 ? 2 : 4;
    std::u32string cps;
    for (uint32_t length = pick(41), i = 0; i < length; ++i) {
      uint32_t cp = pick(3) == 0 ? awkward[pick(9)] : pick(4) ? pick(128) : pick(256);
      if (widest > 1 && pick(3) == 0) cp = widest == 2 ? pick(0x10000) : pick(0x110000);
      cps += static_cast<char32_t>(cp);
    }
    for (uint32_t unit : {1u, 2u, 4u}) {
      if (unit < widest) continue;
      for (bool sensitive : {false, true})
        ASSERT_EQ(hash::value(text(cps, unit), sensitive), as_ucs4(cps, !sensitive))
            << "text " << n << " unit " << unit << (sensitive ? " case-sensitive" : "");
    }
  }
}

TEST_F(ValueHash, SymbolsFoldOnlyAsciiLetters) {
  EXPECT_EQ(hash::key_of(symbol("Foo-Bar")), hash::murmur3("foo-bar", 7));
  EXPECT_EQ(hash::value(symbol("FOO"), false), hash::key_of(symbol("foo")));
  EXPECT_NE(hash::key_of(symbol("\xC3\x84")), hash::key_of(symbol("\xC3\xA4")));  // Ä, ä
}

TEST_F(ValueHash, ScalarsAndIdentitiesByPayload) {
  EXPECT_EQ(hash::value(make_unset(), false), static_cast<uint32_t>(-2));
  EXPECT_EQ(hash::value(make_none(), false), static_cast<uint32_t>(-1));
  EXPECT_EQ(hash::value(make_logic(true), false), hash::int_(1));
  EXPECT_EQ(hash::value(make_integer(-5), false), hash::int_(static_cast<uint32_t>(-5)));
  EXPECT_EQ(hash::value(make_datatype(Type::block), false), hash::int_(5));
  EXPECT_NE(hash::value(make_char('a'), false), hash::value(make_char('A'), false));
  uint32_t f[2];
  Cell x = make_float(2.5);
  std::memcpy(f, &x.w2, 8);
  EXPECT_EQ(hash::value(x, false), hash::murmur3(f, 8));
  // words of every kind and an issue hash alike by symbol
  uint32_t w = hash::value(make_cell(Type::word, 0, 42, 0), false);
  for (Type t : {Type::set_word, Type::lit_word, Type::get_word, Type::refinement, Type::issue})
    EXPECT_EQ(hash::value(make_cell(t, 99, 42, 7), false), w);
  // series by head and node
  Cell* a = block_of({make_integer(1)});
  Cell* b = block_of({make_integer(1)});
  Cell a2 = *a;
  set_series_head(a2, 1);
  EXPECT_NE(hash::value(*a, false), hash::value(*b, false));
  EXPECT_NE(hash::value(*a, false), hash::value(a2, false));
  EXPECT_EQ(hash::value(*a, false), hash::value(make_series(Type::block, series_node(*a)), false));
  EXPECT_EQ(hash::value(make_cell(Type::context, 1, 2, 3), false), 0u);
}

TEST_F(ValueHash, BinaryTupleAndMoney) {
  NodeId bin = alloc::new_bytes(8);
  std::memcpy(buffer_of(bin)->data(), "xyabcd", 6);
  buffer_of(bin)->tail = 6;
  EXPECT_EQ(hash::value(make_series(Type::binary, bin, 2), false), hash::murmur3("abcd", 4));
  // a tuple's length sits in header bits 19-22; no more than its 12 payload bytes are read
  Cell t = make_cell(Type::tuple, 0x04030201, 0x08070605, 0x0C0B0A09);
  t.header |= 3u << 19;
  EXPECT_EQ(hash::value(t, false), hash::murmur3("\x01\x02\x03", 3));
  t.header |= 15u << 19;
  uint32_t all[3] = {t.w1, t.w2, t.w3};
  EXPECT_EQ(hash::value(t, false), hash::murmur3(all, 12));
  // money keeps only its type and sign bit
  Cell m = make_cell(Type::money, 1, 2, 3);
  Cell m_flags = m;
  m_flags.header |= 0x40000000 | 0x100;
  EXPECT_EQ(hash::value(m, false), hash::value(m_flags, false));
  Cell m_neg = m;
  m_neg.header |= 0x4000;
  EXPECT_NE(hash::value(m, false), hash::value(m_neg, false));
}

TEST(ValueHashTypes, PointerKeyed) {
  for (Type t : {Type::block, Type::paren, Type::native, Type::action, Type::op, Type::function,
                 Type::path, Type::lit_path, Type::set_path, Type::get_path, Type::object,
                 Type::error, Type::hash, Type::map, Type::port, Type::image, Type::event})
    EXPECT_TRUE(hash::pointer_keyed_q(t)) << static_cast<int>(t);
  for (Type t : {Type::string, Type::integer, Type::word, Type::binary, Type::float_, Type::none_,
                 Type::char_, Type::tuple, Type::symbol})
    EXPECT_FALSE(hash::pointer_keyed_q(t)) << static_cast<int>(t);
}

TEST_F(ValueHash, TextOfAnUnknownUnitIsFatal) {
  NodeId node = alloc::new_series(4, 8, 0);
  buffer_of(node)->tail = 16;
  Cell bad = make_series(Type::string, node);
  EXPECT_EXIT(hash::value(bad, false), ::testing::ExitedWithCode(101), "");
}

}  // namespace
}  // namespace vyn::test
