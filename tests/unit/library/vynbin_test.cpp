// Vynbin: the bytes of the compact layout for known values, and decoding of damaged data, which
// must raise an error and never read outside the data.
#include <cstdlib>
#include <string>

#include "library/vynbin.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "tests/unit/values/eval_text.hpp"
#include "values/text/load_text.hpp"
#include "values/numbers/percent.hpp"
#include "values/words/typeset.hpp"

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

Cell loaded(const char* text) { return *load_text(*string_of(text)); }

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
    Cell* v = stack::push(loaded(c.text));
    if (std::string(c.text).rfind("next", 0) == 0) {
      *v = loaded("[1 2]");
      v->w1 = 1;
    }
    EXPECT_EQ(records(*v), c.bytes) << c.text;
  }
}

TEST_F(VynbinTest, GlobalWordsShareOneSymbol) {
  Cell* v = stack::push(loaded("[a a]"));
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

// Values of every kind the codec writes: scalars, series of each kind, shared series, objects
// with words bound to them, functions, errors, natives, actions and operators.
// A word bound to an object carries the object inline; index -1 is looked up by name, and an
// index or a name that does not match the context is corrupt data.
TEST_F(VynbinTest, WordsBoundToAnInlineObject) {
  std::string head = bytes({'V', 'Y', 'N', 'B', 'I', 'N', 2, 5, 1, 10, 2, 4, 0, 0, 0, 0, 2, 0, 0, 0, 'b', 0, 'a', 0});
  auto word_of = [&](int index, int field) {
    // word a, index, then object [field: 1] with class 0 and its context record
    return head + bytes({0x4F, 1, index, 0x20, 0x00, 0x0E, 0x12, 0x01, field, 0x81});
  };
  Cell w = block::cells(decoded(word_of(0x01, 1)))[0];  // index -1, field a
  ASSERT_TRUE(w.is(Type::word));
  EXPECT_EQ(word::index(w), 0);
  EXPECT_EQ(word::get(w)->int_value(), 1);
  EXPECT_EQ(raised([&] { decoded(word_of(0x02, 1)); }), Err::script_vb_invalid_record);  // index 1
  EXPECT_EQ(raised([&] { decoded(word_of(0x01, 0)); }), Err::script_vb_invalid_record);  // field b
}

const char* sample =
    "o: make object! [a: 1 s: \"x\" blk: [a s] me: none] o/me: o "
    "f: make function! [[x /r y /local z] [z: add x a either r [[y z]] [x]]] "
    "g: make function! [[a b] [add a b]] "
    "v: reduce [1 -7 100000 3.5 25% 12.5% 10:20:30 #\"x\" 3x4 1.2.3.4 $12.50 -$1 1-Jan-2020/10:00 "
    "[nested [deep]] quote (p) quote a/b/c quote c: quote 'd quote :e /f #g \"text\" %file http://x.y "
    "<tag> a@b.c #{DEADBEEF} none true make map! [k 1] make hash! [h 2] integer! \"wide ^(2192)\" "
    "make bitset! #{0F} make vector! [integer! 16 [1 2 3]] make vector! [float! 64 [1.5]] "
    "make image! 2x1 o o/blk :f :add :append make op! :add make op! :g "
    "make error! [script invalid-arg 5] (2, 3) (1, 2.5, 3)]";

// Truncations and single-bit changes of a real encoding, in both layouts, decode or raise a
// language error; under the address sanitizer an out-of-bounds read fails the test, and no count
// may make the decoder ask for memory it cannot have. Each byte gets one changed bit (a different
// one from byte to byte). The stressed collector makes one decode take half a second, so there
// only a few positions of each kind are tried; the script tests decode every kind under it.
TEST_F(VynbinTest, DamagedDataRaisesOrDecodes) {
  const char* stress = std::getenv("VYN_GC_STRESS");
  bool stressed = stress && *stress && std::string(stress) != "0";
  Cell* v = eval_text(sample);
  ASSERT_TRUE(v->is(Type::block));
  for (bool compact : {true, false}) {
    std::string good = vynbin::encode(*v, compact);
    size_t stride = stressed ? good.size() / 4 : 1;
    Cell* out = stack::push(decoded(good));
    EXPECT_EQ(mold(block::cells(*out)[0]), mold(*v)) << compact;
    auto attempt = [](const std::string& data) {
      uint32_t depth = static_cast<uint32_t>(stack::depth());
      int frames = stack::frame_depth();
      try {
        decoded(data);
      } catch (const Raised&) {
        EXPECT_NE(pending_error().id, Err::internal_no_memory);
        stack::catch_error_at(frames, stack::at_index(depth));
      }
      stack::set_top(stack::at_index(depth));
    };
    for (size_t n = 0; n < good.size(); n += stride) attempt(good.substr(0, n));
    for (size_t i = 8; i < good.size(); i += stride) {
      std::string bad = good;
      bad[i] = static_cast<char>(bad[i] ^ (1 << (i % 8)));
      attempt(bad);
    }
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
  // words each carrying, inline, the object they are bound to, whose one field is the next word
  std::string nest;
  for (int i = 0; i < 5000; ++i) nest += bytes({0x4F, 0x00, 0x00, 0x20, 0x00, 0x0E, 0x12, 0x01, 0x00});
  nest += bytes({0x03});
  std::string named = bytes({'V', 'Y', 'N', 'B', 'I', 'N', 2, 5, 1});
  for (uint32_t v = static_cast<uint32_t>(nest.size()); v >= 0x80; v >>= 7) named += static_cast<char>(v | 0x80);
  named += static_cast<char>(nest.size() >> 14);
  named += bytes({1, 2, 0, 0, 0, 0, 'a', 0});
  EXPECT_EQ(raised([&] { decoded(named + nest); }), Err::script_vb_invalid_record);
}

}  // namespace
}  // namespace vyn::test
