// Vynbin: the bytes of the compact layout for known values, and decoding of damaged data, which
// must raise an error and never read outside the data.
#include <string>

#include "library/vynbin.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/load_text.hpp"
#include "values/percent.hpp"
#include "values/typeset.hpp"

namespace vyn::test {
namespace {

using VynbinTest = RuntimeTest;

std::string bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

// The records of an encoding without symbols, after the preamble and the two counts.
std::string records(const Cell& v) {
  std::string all = vynbin::encode(v);
  EXPECT_EQ(all.substr(0, 8), std::string("VYNBIN\x02\x01", 8));
  EXPECT_EQ(all[8], 1);
  EXPECT_LT(static_cast<uint8_t>(all[9]), 0x80);
  EXPECT_EQ(static_cast<size_t>(all[9]), all.size() - 10);
  return all.substr(10);
}

Cell value_of(const char* text) { return *load_text(*string_of(text)); }

Cell decoded(const std::string& data) {
  Cell* out = block::push_only(4);
  Cell* source = block::push_only(1);
  vynbin::decode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), *out, *source);
  return *out;
}

TEST_F(VynbinTest, ScalarRecords) {
  struct Case {
    Cell value;
    std::string bytes;
  } cases[] = {
      {make_none(), bytes({0x03})},
      {make_integer(63), bytes({0xBF})},
      {make_integer(64), bytes({0x0B, 0x80, 0x01})},
      {make_integer(-1), bytes({0x0B, 0x01})},
      {make_logic(true), bytes({0xC2})},
      {make_float(3.0), bytes({0x4C, 0x06})},
      {make_float(0.5), bytes({0x0C, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F})},
      {make_float(-0.0), bytes({0x0C, 0, 0, 0, 0, 0, 0, 0, 0x80})},
      {percent::make(0.25), bytes({0x66, 0x32})},
      {typeset::make_empty(), bytes({0x21, 0x00})},
  };
  for (const Case& c : cases) EXPECT_EQ(records(c.value), c.bytes) << mold(c.value);
  EXPECT_EQ(records(percent::make(0.125)).size(), 9u);
}

TEST_F(VynbinTest, TextRecords) {
  struct Case {
    const char* text;
    std::string bytes;
  } cases[] = {
      {"\"abc\"", bytes({0x07, 0x0C, 'a', 'b', 'c'})},
      {"1.2.3", bytes({0x27, 1, 2, 3})},
      {"1.2.3.4", bytes({0x67, 4, 1, 2, 3, 4})},
      {"next [1 2]", bytes({0x45, 0x01, 0x02, 0x81, 0x82})},
  };
  for (const Case& c : cases) {
    Cell* v = stack::push(value_of(c.text));
    if (std::string(c.text).rfind("next", 0) == 0) {
      *v = value_of("[1 2]");
      v->w1 = 1;
    }
    EXPECT_EQ(records(*v), c.bytes) << c.text;
  }
}

TEST_F(VynbinTest, GlobalWordsShareOneSymbol) {
  Cell* v = stack::push(value_of("[a a]"));
  std::string all = vynbin::encode(*v);
  EXPECT_EQ(all[7], 5);  // compact, with symbols
  EXPECT_EQ(all.substr(10), bytes({1, 2, 0, 0, 0, 0, 'a', 0, 0x05, 0x02, 0x0F, 0x00, 0x0F, 0x00}));
}

TEST_F(VynbinTest, SharedBlockIsWrittenOnceThenByPath) {
  Cell* inner = block_of({make_integer(1)});
  Cell* outer = block_of({*inner, *inner});
  EXPECT_EQ(records(*outer), bytes({0x05, 0x02, 0x05, 0x01, 0x81, 0xC1, 0x05, 0x02, 0x00, 0x00}));
  Cell back = *stack::push(decoded(vynbin::encode(*outer)));
  Cell first = block::cells(back)[0];
  Cell a = block::cells(first)[0], b = block::cells(first)[1];
  EXPECT_EQ(series_node(a), series_node(b));
}

TEST_F(VynbinTest, EmptyRecordsAndBadPreamble) {
  EXPECT_EQ(block::length_total(decoded(bytes({'V', 'Y', 'N', 'B', 'I', 'N', 1, 1, 1, 0}))), 0);
  EXPECT_EQ(raised([] { decoded("VYNBOX\x02\x01\x01\x01\x03"); }), Err::script_invalid_data);
  EXPECT_EQ(raised([] { decoded(std::string("VYNBIN\x02\x01\x01\x02\xC4\x0F", 12)); }),
            Err::script_vb_invalid_record);
  EXPECT_EQ(raised([] { decoded(std::string("VYNBIN\x02\x01\x01\x01\x36", 11)); }), Err::access_no_codec);
  Cell* handle = block_of({make_integer(1), make_cell(Type::handle)});
  EXPECT_EQ(raised([&] { vynbin::encode(*handle); }), Err::access_no_codec);
}

const char* sample =
    "[1 -7 100000 3.5 25% 12.5% 10:20:30 #\"x\" 3x4 1.2.3.4 $12.50 1-Jan-2020/10:00 [nested [deep]] "
    "(p) a/b/c c: 'd :e /f #g \"text\" %file http://x.y <tag> #{DEADBEEF} none true "
    "#[map! [k 1]] #[hash! [h 2]] #[datatype! integer!] \"wide ^(2192)\"]";

// Every truncation and every single-bit change of a real encoding decodes or raises; under the
// address sanitizer an out-of-bounds read would fail the test.
TEST_F(VynbinTest, DamagedDataRaisesOrDecodes) {
  Cell* v = stack::push(value_of(sample));
  ASSERT_TRUE(v->is(Type::block));
  std::string good = vynbin::encode(*v);
  Cell* out = stack::push(decoded(good));
  EXPECT_EQ(mold(block::cells(*out)[0]), mold(*v));
  auto attempt = [](const std::string& data) {
    uint32_t depth = static_cast<uint32_t>(stack::depth());
    try {
      decoded(data);
    } catch (const Raised&) {
      Err id = pending_error().id;
      EXPECT_TRUE(id == Err::script_vb_invalid_record || id == Err::script_invalid_data ||
                  id == Err::access_no_codec || id == Err::script_invalid_path)
          << static_cast<int>(id);
    }
    stack::set_top(stack::at_index(depth));
  };
  for (size_t n = 0; n < good.size(); ++n) attempt(good.substr(0, n));
  for (size_t i = 8; i < good.size(); ++i)
    for (int bit = 0; bit < 8; ++bit) {
      std::string bad = good;
      bad[i] = static_cast<char>(bad[i] ^ (1 << bit));
      attempt(bad);
    }
}

TEST_F(VynbinTest, HugeCountsAreRefusedBeforeAllocating) {
  // a block claiming 2^31-1 members, a string of 2^29 four-byte units, a deep nest of blocks
  EXPECT_EQ(raised([] { decoded(bytes({'V', 'Y', 'N', 'B', 'I', 'N', 2, 1, 1, 6, 0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0x07})); }),
            Err::script_vb_invalid_record);
  EXPECT_EQ(raised([] { decoded(bytes({'V', 'Y', 'N', 'B', 'I', 'N', 2, 1, 1, 6, 0x07, 0xFE, 0xFF, 0xFF, 0xFF, 0x0F})); }),
            Err::script_vb_invalid_record);
  std::string deep = "VYNBIN\x02\x01\x01";
  std::string recs;
  for (int i = 0; i < 5000; ++i) recs += bytes({0x05, 0x01});
  recs += bytes({0x03});
  deep += bytes({static_cast<int>((recs.size() & 0x7F) | 0x80), static_cast<int>(recs.size() >> 7)});
  EXPECT_EQ(raised([&] { decoded(deep + recs); }), Err::script_vb_invalid_record);
}

}  // namespace
}  // namespace vyn::test
