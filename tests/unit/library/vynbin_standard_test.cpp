// Vynbin standard layout: the 32-bit words of known values, names padded to 8 bytes, doubles on
// 8-byte boundaries, and operators, whose made-from type shares header bits with the shared flag.
#include <string>

#include "library/vynbin.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "tests/unit/values/eval_text.hpp"

namespace vyn::test {
namespace {

using VynbinStandard = RuntimeTest;

std::string words(std::initializer_list<uint32_t> list) {
  std::string s;
  for (uint32_t w : list)
    for (int i = 0; i < 4; ++i) s += static_cast<char>(w >> (8 * i));
  return s;
}

std::string standard(const char* text) { return vynbin::encode(*eval_text(text), false); }

// The records of an encoding without symbols, after the 16-byte header.
std::string records(const char* text) {
  std::string all = standard(text);
  EXPECT_EQ(all.substr(0, 8), std::string("VYNBIN\x02\x00", 8)) << text;
  EXPECT_EQ(all.substr(8, 8), words({1, static_cast<uint32_t>(all.size() - 16)})) << text;
  return all.substr(16);
}

TEST_F(VynbinStandard, RecordWords) {
  struct Case {
    const char* text;
    std::string words;
  } cases[] = {
      {"1.5", words({0x0C, 0x3FF80000, 0})},
      {"[1 1.5]", words({0x05, 0, 2, 0x0B, 1, 0, 0x0C, 0x3FF80000, 0})},  // a padding word
      {"\"abc\"", words({0x107, 0, 3, 0x00636261})},
      {"1.2.3.4", words({0x427, 0x04030201, 0, 0})},
      {"make bitset! #{0F}", words({0x1E, 1, 0x0F})},
      {"true", words({0x04, 1})},
  };
  for (const Case& c : cases) EXPECT_EQ(records(c.text), c.words) << c.text;
}

TEST_F(VynbinStandard, NamesArePaddedToEightBytes) {
  std::string all = standard("[abcdefg abcdefgh]");
  EXPECT_EQ(all[7], 4);
  // count 2, names size 8 + 16, offsets 0 and 8
  EXPECT_EQ(all.substr(16, 16), words({2, 24, 0, 8}));
  EXPECT_EQ(all.substr(32, 24), std::string("abcdefg\0abcdefgh\0\0\0\0\0\0\0\0", 24));
  // global words: bit 25, the symbol, index -1
  EXPECT_EQ(all.substr(56 + 12, 12), words({0x0200000F, 0, 0xFFFFFFFF}));
}

TEST_F(VynbinStandard, SharedAndBoundValuesComeBack) {
  eval_text("o: make object! [a: 1 b: [a] f: make function! [[x y] [add x a]]] p: make op! get in o 'f");
  eval_text("v: reduce [o o/b get in o 'f :p o]");
  std::string data = vynbin::encode(value_of("v"), false);
  Cell* out = block::push_only(1);
  vynbin::decode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), *out, *out);
  word::set(*stack::push(word::load("w")), block::cells(*out)[0]);
  EXPECT_EQ(mold_of("w/1 = w/5"), "true");
  EXPECT_EQ(mold_of("same? w/1 w/5"), "true");
  EXPECT_EQ(mold_of("w/1/a: 4 reduce [get first w/2  w/3 1 0  op? :w/4]"), "[4 5 true]");
}

TEST_F(VynbinStandard, BadRecordsRaise) {
  auto decode = [](const std::string& records) {
    std::string data = std::string("VYNBIN\x02\x00", 8) + words({1, static_cast<uint32_t>(records.size())}) + records;
    Cell* out = block::push_only(1);
    vynbin::decode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), *out, *out);
  };
  // record types without a body, a truncated float, a reference of length 0, a string of 3-byte
  // units, a port
  for (const std::string& bad : {words({13}), words({42}), words({60}), words({0x0C, 0}), words({255, 0}),
                                 words({0x307, 0, 1, 0})})
    EXPECT_EQ(raised([&] { decode(bad); }), Err::script_vb_invalid_record);
  EXPECT_EQ(raised([&] { decode(words({48})); }), Err::access_no_codec);
}

}  // namespace
}  // namespace vyn::test
