// UTF-8 and UTF-16LE codecs, the loaders into text buffers, widening and the platform converters.
#include "core/text/unicode.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/roots.hpp"
#include "tests/unit/support/child_process.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using Unicode = RuntimeTest;
using Cps = std::vector<uint32_t>;

const uint8_t* bytes_of(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

Cps chars(const Cell& str) {
  Cps out;
  for (int32_t i = series_head(str); i < string::length_total(str); ++i)
    out.push_back(string::char_at(series_node(str), static_cast<uint32_t>(i)));
  return out;
}
uint32_t unit_of(const Cell& str) { return buffer_of(series_node(str))->unit(); }

// A string! on the value stack holding the code points in the given unit.
Cell* text(const Cps& cps, uint32_t unit) {
  Cell* s = string::make_at_unit(stack::push_unset(), static_cast<uint32_t>(cps.size()), unit);
  for (uint32_t cp : cps) {
    SeriesBuffer* b = buffer_of(series_node(*s));
    std::memcpy(b->tail_ptr(), &cp, unit);
    b->tail += unit;
  }
  return s;
}

Cell* load_utf8(std::string_view in, int32_t* remaining = nullptr, bool fold = false) {
  Cell* s = stack::push_unset();
  *s = make_series(Type::string, unicode::load_utf8(unicode::outside(in.data()),
                                                    static_cast<uint32_t>(in.size()), 0, remaining, fold));
  return s;
}

std::string utf8(uint32_t cp) {
  uint8_t b[4];
  return std::string(reinterpret_cast<char*>(b), static_cast<size_t>(unicode::encode_utf8(cp, b)));
}

// ---- decoding

TEST_F(Unicode, FastDecoderRoundTripsEveryScalarValueAndRejectsSurrogates) {
  for (uint32_t cp = 0; cp < 0x110000; ++cp) {
    std::string s = utf8(cp);
    int32_t got;
    const uint8_t* end = unicode::fast_decode_utf8_char(bytes_of(s), bytes_of(s) + s.size(), got);
    bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    ASSERT_EQ(got, surrogate ? -1 : static_cast<int32_t>(cp)) << std::hex << cp;
    if (!surrogate) {
      ASSERT_EQ(end, bytes_of(s) + s.size());
    }
  }
}

TEST_F(Unicode, FastDecoderStopsAfterTheRejectingByteAndAtTheEnd) {
  struct Case {
    std::string in;
    int32_t cp;
    size_t consumed;
  };
  for (const Case& c : {Case{"\x80", -1, 1}, Case{"\xC0\x80", -1, 1}, Case{"\xC3\x28", -1, 2},
                        Case{"\xED\xA0\x80", -1, 2}, Case{"\xF4\x90\x80\x80", -1, 2},
                        Case{"\xF5", -1, 1}, Case{"\xE2\x82", -1, 2}, Case{"\xE2\x82\xAC", 0x20AC, 3}}) {
    int32_t cp;
    const uint8_t* p = bytes_of(c.in);
    EXPECT_EQ(unicode::fast_decode_utf8_char(p, p + c.in.size(), cp) - p, static_cast<ptrdiff_t>(c.consumed));
    EXPECT_EQ(cp, c.cp);
  }
  std::string s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
  const uint8_t* p = bytes_of(s);
  EXPECT_EQ(unicode::count_utf8(p, p + s.size()), 5);
  EXPECT_EQ(unicode::skip_utf8(p, p + s.size(), 3), p + 6);
  EXPECT_EQ(unicode::skip_utf8(p, p + s.size(), 99), p + s.size());
  EXPECT_EQ(unicode::utf8_lead_length(0xF0), 4);
  EXPECT_EQ(unicode::utf8_lead_length(0xE2), 3);
  EXPECT_EQ(unicode::utf8_lead_length(0xC3), 2);
  EXPECT_EQ(unicode::utf8_lead_length(0x80), 0);
  EXPECT_EQ(unicode::utf8_lead_length('a'), 0);
}

TEST_F(Unicode, ValidatingDecoderAcceptsWhatTheLoadersTake) {
  struct Case {
    std::string in;
    int32_t cp;
    int32_t len;
  };
  for (const Case& c : {Case{"A", 'A', 1}, Case{"\xC3\xA9", 0xE9, 2}, Case{"\xC0\x80", 0, 2},
                        Case{"\xED\xA0\x80", 0xD800, 3}, Case{"\xED\xBF\xBF", 0xDFFF, 3},
                        Case{"\xEF\xBF\xBF", 0xFFFF, 3}, Case{"\xF0\x9F\x98\x80", 0x1F600, 4},
                        Case{"\xF4\x8F\xBF\xBF", 0x10FFFF, 4}}) {
    int32_t count = static_cast<int32_t>(c.in.size());
    EXPECT_EQ(unicode::decode_utf8_seq(bytes_of(c.in), count), c.cp);
    EXPECT_EQ(count, c.len);
  }
  int32_t count = 1;
  EXPECT_EQ(unicode::decode_utf8_seq(bytes_of("\xC3"), count), -1);
  EXPECT_EQ(count, 1);
  count = 3;
  EXPECT_EQ(unicode::decode_utf8_seq(bytes_of("\xF0\x9F\x98"), count), -1);
}

TEST_F(Unicode, ValidatingDecoderRaisesWithTheBytesAtTheSequence) {
  for (std::string in : {"\x80", "\xF8\x80\x80\x80", "\xC3\x28", "\xED\xB2\x80", "\xEF\xBF\xBE",
                         "\xF4\x90\x80\x80", "\xE2\x28\xAC"}) {
    int32_t count = static_cast<int32_t>(in.size());
    EXPECT_EQ(raised([&] { unicode::decode_utf8_seq(bytes_of(in), count); }), Err::access_invalid_utf8);
    Cell arg = pending_error().args[0];
    ASSERT_TRUE(arg.is(Type::binary));
    SeriesBuffer* b = buffer_of(series_node(arg));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b->data()), b->used()), in.substr(0, 4));
  }
}

// ---- encoding

TEST_F(Unicode, EncodersAndTheirLimits) {
  struct Case {
    uint32_t cp;
    int len;
  };
  for (Case c : {Case{0x7F, 1}, Case{0x80, 2}, Case{0x7FF, 2}, Case{0x800, 3}, Case{0xD800, 3},
                 Case{0xFFFF, 3}, Case{0x10000, 4}, Case{0x10FFFF, 4}}) {
    EXPECT_EQ(unicode::utf8_length(c.cp), c.len);
    EXPECT_EQ(utf8(c.cp).size(), static_cast<size_t>(c.len));
  }
  EXPECT_EQ(utf8(0xD800), "\xED\xA0\x80");
  for (auto f : {+[] { unicode::utf8_length(0x110000); },
                 +[] { uint8_t b[4]; unicode::encode_utf8(0x110000, b); },
                 +[] { uint8_t b[4]; unicode::encode_utf8_bounded(0xFFFFFFFF, b, 4); }}) {
    EXPECT_EQ(raised(f), Err::script_invalid_char);
  }
  EXPECT_EQ(pending_error().args[0].int_value(), -1);

  uint8_t b[4] = {0, 0, 0, 0};
  EXPECT_EQ(unicode::encode_utf8_bounded(0x20AC, b, 2), 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 2), "\xE2\x82");
  EXPECT_EQ(unicode::encode_utf8_bounded(0x20AC, b, 0), 0);

  uint16_t u[2];
  EXPECT_EQ(unicode::encode_utf16(0xFFFF, u), 1);
  EXPECT_EQ(u[0], 0xFFFF);
  EXPECT_EQ(unicode::encode_utf16(0x1F600, u), 2);
  EXPECT_EQ(u[0], 0xD83D);
  EXPECT_EQ(u[1], 0xDE00);
  EXPECT_EQ(unicode::encode_utf16(0x10FFFF, u), 2);
  EXPECT_EQ(u[0], 0xDBFF);
  EXPECT_EQ(u[1], 0xDFFF);
  EXPECT_EQ(unicode::encode_utf16(0x110000, u), 0);

  std::string s = "\x41\xE9";  // as 1-byte units
  EXPECT_EQ(unicode::utf8_size(bytes_of(s), bytes_of(s) + 2, 1), 3);
  uint32_t wide[] = {0x41, 0x1F600, 0x110000};
  const uint8_t* w = reinterpret_cast<const uint8_t*>(wide);
  EXPECT_EQ(unicode::utf8_size(w, w + 8, 4), 5);
  EXPECT_EQ(raised([&] { unicode::utf8_size(w, w + 12, 4); }), Err::script_invalid_char);
}

// ---- loading UTF-8

TEST_F(Unicode, Utf8LoadKeepsTheNarrowestUnitAndWidensAsNeeded) {
  struct Case {
    std::string in;
    Cps cps;
    uint32_t unit;
  };
  for (const Case& c : {
           Case{"", {}, 1},
           Case{"\xEF\xBB\xBF", {}, 1},
           Case{"\xEF\xBB\xBFhi", {'h', 'i'}, 1},
           Case{"\xC3\xA9t\xC3\xA9", {0xE9, 't', 0xE9}, 1},
           Case{"a\xE2\x82\xAC", {'a', 0x20AC}, 2},
           Case{"caf\xC3\xA9 \xF0\x9F\x98\x80", {'c', 'a', 'f', 0xE9, ' ', 0x1F600}, 4},
           Case{"\xC3\xBF\xE2\x82\xAC\xF0\x9F\x98\x80x", {0xFF, 0x20AC, 0x1F600, 'x'}, 4},
           Case{"\xED\xA0\x80", {0xD800}, 2},
           Case{"\xC0\x80", {0}, 1},
       }) {
    int32_t remaining = -7;
    Cell* s = load_utf8(c.in, &remaining);
    EXPECT_EQ(chars(*s), c.cps) << c.in;
    EXPECT_EQ(unit_of(*s), c.unit) << c.in;
    EXPECT_EQ(remaining, c.in == "\xEF\xBB\xBF" ? 0 : -7) << "untouched unless cut short";
  }
}

TEST_F(Unicode, Utf8LoadStopsAtACutShortSequence) {
  int32_t remaining = -1;
  Cell* s = load_utf8("A\xC3", &remaining);
  EXPECT_EQ(chars(*s), (Cps{'A'}));
  EXPECT_EQ(remaining, 1);
  s = load_utf8("\xE2\x82\xAC\xF0\x9F\x98", &remaining);
  EXPECT_EQ(chars(*s), (Cps{0x20AC}));
  EXPECT_EQ(remaining, 3);
}

TEST_F(Unicode, Utf8LoadRaisesOnInvalidInput) {
  for (std::string in : {"\xC3\x28", "\xED\xB2\x80", "ok\xFF", "\xEF\xBF\xBE"})
    EXPECT_EQ(raised([&] { load_utf8(in); }), Err::access_invalid_utf8) << in;
}

TEST_F(Unicode, Utf8LoadFoldsLineBreaks) {
  Cell* s = load_utf8("a\r\nb\rc\r\r\nd\r", nullptr, true);
  EXPECT_EQ(string::to_utf8(*s), "a\nb\nc\n\nd\n");
  s = load_utf8("a\r\nb", nullptr, false);
  EXPECT_EQ(string::to_utf8(*s), "a\r\nb");
  std::string long_line(40, 'x');
  s = load_utf8(long_line + "\r\n" + long_line, nullptr, true);
  EXPECT_EQ(string::to_utf8(*s), long_line + "\n" + long_line);
}

// Random text of every width against the code points it was made from: exercises the ASCII runs,
// widening at any point and the unit kept.
TEST_F(Unicode, Utf8LoadOfRandomMixedText) {
  std::mt19937 rng(7);
  const uint32_t ranges[][2] = {{0x20, 0x7E}, {0xA0, 0xFF}, {0x100, 0x7FF}, {0x800, 0xD7FF},
                                {0xE000, 0xFFFD}, {0x10000, 0x10FFFF}};
  for (int round = 0; round < 40; ++round) {
    Cps cps;
    std::string in;
    uint32_t max = 0;
    int widest = round % 6;
    int n = 1 + static_cast<int>(rng() % 300);
    for (int i = 0; i < n; ++i) {
      int r = static_cast<int>(rng() % 8) < 5 ? 0 : static_cast<int>(rng() % (widest + 1));
      uint32_t cp = ranges[r][0] + rng() % (ranges[r][1] - ranges[r][0] + 1);
      cps.push_back(cp);
      in += utf8(cp);
      max = std::max(max, cp);
    }
    Cell* s = load_utf8(in);
    ASSERT_EQ(chars(*s), cps);
    EXPECT_EQ(unit_of(*s), max < 0x100 ? 1u : max < 0x10000 ? 2u : 4u);
    EXPECT_EQ(string::to_utf8(*s), in);
  }
}

TEST_F(Unicode, Utf8LoadIntoAnExistingBufferKeepsItsUnit) {
  Cell* s = text({0x3A9, 0x3A9, 0x3A9}, 2);
  unicode::load_utf8_into(unicode::outside("abcdefghijklmnopqrstuvwxyz0123456789"), 36, *s, nullptr);
  EXPECT_EQ(unit_of(*s), 2u);
  EXPECT_EQ(string::to_utf8(*s), "abcdefghijklmnopqrstuvwxyz0123456789");
}

// The source may be a byte series, found again after the buffer moves.
TEST_F(Unicode, Utf8LoadFromASeries) {
  std::string in = "x\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  Cell* bin = stack::push(make_series(Type::binary, alloc::new_bytes(static_cast<uint32_t>(in.size()))));
  SeriesBuffer* b = buffer_of(series_node(*bin));
  std::memcpy(b->data(), in.data(), in.size());
  b->tail = static_cast<uint32_t>(in.size());
  Cell* s = string::load(unicode::in_series(series_node(*bin), 1), static_cast<uint32_t>(in.size() - 1),
                         nullptr, string::encoding_utf8);
  EXPECT_EQ(chars(*s), (Cps{0xE9, 0x20AC, 0x1F600}));
}

// ---- loading UTF-16LE

Cell* load_utf16(std::string_view in, bool fold = false) {
  Cell* s = stack::push_unset();
  *s = make_series(Type::string, unicode::load_utf16le(unicode::outside(in.data()),
                                                       static_cast<uint32_t>(in.size() / 2), nullptr, fold));
  return s;
}

TEST_F(Unicode, Utf16LoadPicksTheUnitAndPairsSurrogates) {
  struct Case {
    std::string in;
    Cps cps;
    uint32_t unit;
  };
  using namespace std::string_literals;
  for (const Case& c : {Case{""s, {}, 2}, Case{"a\0\xE9\0"s, {'a', 0xE9}, 1},
                        Case{"a\0\xAC\x20"s, {'a', 0x20AC}, 2},
                        Case{"\x3D\xD8\x00\xDE"s, {0x1F600}, 4},
                        Case{"a\0\x00\xDC"s, {'a', 0xDC00}, 4},
                        Case{"\xFF\xDB\xFF\xDF"s, {0x10FFFF}, 4}}) {
    Cell* s = load_utf16(c.in);
    EXPECT_EQ(chars(*s), c.cps);
    EXPECT_EQ(unit_of(*s), c.unit);
  }
  EXPECT_EQ(unicode::utf16_unit(bytes_of(std::string("\x00\xDF", 2)), 1), 4u);
}

TEST_F(Unicode, Utf16LoadFoldingDropsEveryCr) {
  using namespace std::string_literals;
  for (uint32_t unit : {1u, 2u, 4u}) {
    std::string wide = unit == 1 ? "x\0"s : unit == 2 ? "\xAC\x20"s : "\x3D\xD8\x00\xDE"s;
    Cell* s = load_utf16("a\0\r\0\n\0\r\0b\0"s + wide, true);
    EXPECT_EQ(unit_of(*s), unit);
    Cps cps = chars(*s);
    ASSERT_GE(cps.size(), 3u);
    EXPECT_EQ(Cps(cps.begin(), cps.begin() + 3), (Cps{'a', '\n', 'b'}));
  }
}

TEST_F(Unicode, BrokenSurrogatePairEndsTheProcessWithFailure) {
  using namespace std::string_literals;
  for (std::string in : {"\x3D\xD8"s, "\x3D\xD8\x41\x00"s, "a\0\x3D\xD8\x3D\xD8"s}) {
    ChildOutcome o = in_child([&] { load_utf16(in); });
    EXPECT_TRUE(o.exited);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "*** Input Error: invalid UTF-16LE codepoint\n");
  }
}

// ---- widening

TEST_F(Unicode, WideningKeepsTheCharactersInPlaceOrInAMovedBuffer) {
  struct Case {
    uint32_t from, to, size;  // size: the buffer's data bytes before widening
    bool in_place;
  };
  Cps cps = {'a', 0xE9, 'z', 0xFF, '0'};
  for (Case c : {Case{1, 2, 16, true}, Case{1, 4, 16, false}, Case{1, 4, 64, true},
                 Case{2, 4, 16, false}, Case{2, 4, 32, true}}) {
    Cell* s = text(cps, c.from);
    if (c.size > 16) alloc::expand_series_copy(series_node(*s), c.size);
    ASSERT_EQ(buffer_of(series_node(*s))->size, c.size);
    set_series_head(*s, 2);
    SeriesBuffer* before = buffer_of(series_node(*s));
    SeriesBuffer* after = unicode::widen(series_node(*s), c.to, 0);
    EXPECT_EQ(after == before, c.in_place);
    EXPECT_EQ(after, buffer_of(series_node(*s)));
    EXPECT_EQ(after->unit(), c.to);
    EXPECT_EQ(series_head(*s), 2);
    set_series_head(*s, 0);
    EXPECT_EQ(chars(*s), cps);
  }
  Cell* s = text({0x3A9, 0xFFFF}, 2);
  EXPECT_EQ(unicode::widen_ucs2_to_ucs4(series_node(*s))->unit(), 4u);
  EXPECT_EQ(chars(*s), (Cps{0x3A9, 0xFFFF}));
  s = text({'q'}, 1);
  EXPECT_EQ(unicode::widen_to_ucs2(series_node(*s))->unit(), 2u);
  EXPECT_EQ(unicode::widen_to_ucs4(series_node(*s))->unit(), 4u);
  EXPECT_EQ(chars(*s), (Cps{'q'}));
}

// ---- to the platform

TEST_F(Unicode, Utf8ForThePlatformFromEveryUnit) {
  struct Case {
    Cps cps;
    uint32_t unit;
    std::string out;
  };
  for (const Case& c : {Case{{'a', 0xE9, '\n'}, 1, "a\xC3\xA9\n"},
                        Case{{'a', 0x20AC, 0xE9}, 2, "a\xE2\x82\xAC\xC3\xA9"},
                        Case{{0x1F600, 'b', 0xD800}, 4, "\xF0\x9F\x98\x80" "b\xED\xA0\x80"},
                        Case{Cps(37, 'x'), 1, std::string(37, 'x')}}) {
    Cell* s = text(c.cps, c.unit);
    int32_t length = -1;
    const char* out = unicode::to_utf8(s, length);
    EXPECT_EQ(std::string(out, static_cast<size_t>(length)), c.out);
    EXPECT_EQ(out[length], 0);
  }
}

TEST_F(Unicode, Utf8ConversionFromTheHeadWithLimitAndLineFeeds) {
  Cell* s = text({'a', '\n', 0xE9, '\n', 'z'}, 1);
  set_series_head(*s, 1);
  int32_t length = 3;
  const char* out = unicode::to_utf8_part(s, length, true);
  EXPECT_EQ(std::string(out, static_cast<size_t>(length)), "\r\n\xC3\xA9\r\n");
  NodeId conversion = series_extra(*s);
  EXPECT_NE(conversion, 0u);
  length = -1;
  EXPECT_EQ(std::string(unicode::to_utf8(s, length)), "\n\xC3\xA9\nz");
  EXPECT_EQ(series_extra(*s), conversion) << "the conversion buffer is reused";
  set_series_head(*s, 99);
  length = -1;
  EXPECT_EQ(std::string(unicode::to_utf8(s, length)), "");
  EXPECT_EQ(series_head(*s), 5) << "a head past the tail is stored back clamped";
}

TEST_F(Unicode, ConversionBufferGrowsForLongerText) {
  Cell* s = text({'a'}, 1);
  int32_t length = -1;
  unicode::to_utf8(s, length);
  for (int i = 0; i < 200; ++i) string::append_char(series_node(*s), 0x1F600);
  length = -1;
  const char* out = unicode::to_utf8(s, length);
  EXPECT_EQ(length, 801);
  EXPECT_EQ(std::string(out + 1, 4), "\xF0\x9F\x98\x80");
}

TEST_F(Unicode, Utf8ConversionRaisesPastTheCodeRange) {
  Cell* s = text({'a', 0x110000}, 4);
  int32_t length = -1;
  EXPECT_EQ(raised([&] { unicode::to_utf8(s, length); }), Err::script_invalid_char);
  EXPECT_EQ(pending_error().args[0].int_value(), 0x110000);
}

TEST_F(Unicode, Utf8IntoCallerBuffersStopsAtWholeCharacters) {
  Cell* s = text({'a', 0x20AC, 'b', 0x1F600}, 4);
  uint8_t out[32];
  std::memset(out, 0x55, sizeof out);
  EXPECT_EQ(unicode::to_utf8_into(*s, out, -1, true), 9);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out)), "a\xE2\x82\xAC" "b\xF0\x9F\x98\x80");
  struct Case {
    int32_t room, limit;
    bool terminate;
    std::string out;
  };
  for (const Case& c : {Case{3, 0, false, "a"}, Case{4, 0, false, "a\xE2\x82\xAC"},
                        Case{4, 0, true, "a"}, Case{16, 2, true, "a\xE2\x82\xAC"},
                        Case{8, -1, false, "a\xE2\x82\xAC" "b"}, Case{0, 0, true, ""}}) {
    std::memset(out, 0x55, sizeof out);
    int32_t n = unicode::to_utf8_bounded(*s, out, c.room, c.limit, c.terminate);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)), c.out);
    EXPECT_LE(n + (c.terminate && c.room > 0), c.room);
    if (c.terminate && c.room > 0) {
      EXPECT_EQ(out[n], 0);
    }
    EXPECT_EQ(out[c.room], 0x55) << "nothing past room";
  }
}

TEST_F(Unicode, Utf16ForThePlatform) {
  struct Case {
    Cps cps;
    uint32_t unit;
    bool expand_lf;
    std::vector<uint16_t> out;
  };
  for (const Case& c : {Case{{'a', '\n', 'b'}, 1, true, {0x61, 0x0D, 0x0A, 0x62}},
                        Case{{'a', '\n', 'b'}, 1, false, {0x61, 0x0A, 0x62}},
                        Case{{0x20AC, '\n'}, 2, false, {0x20AC, 0x0A}},
                        Case{{0x20AC, '\n'}, 2, true, {0x20AC, 0x0D, 0x0A}},
                        Case{{0x1F600, '\n', 0xE9}, 4, true, {0xD83D, 0xDE00, 0x0D, 0x0A, 0xE9}}}) {
    Cell* s = text(c.cps, c.unit);
    int32_t length = -1;
    const uint16_t* out = unicode::to_utf16_part(s, length, c.expand_lf);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::vector<uint16_t>(out, out + length), c.out);
    EXPECT_EQ(out[length], 0);
  }
  Cell* s = text({'a', 0x110000}, 4);
  EXPECT_EQ(unicode::to_utf16(s), nullptr);
}

// Text written as UTF-16 into the conversion buffer loads back from there.
TEST_F(Unicode, Utf16RoundTripThroughTheConversionBuffer) {
  Cell* s = text({'h', 0x20AC, 0x1F600, '\r', 'z'}, 4);
  int32_t units = -1;
  ASSERT_NE(unicode::to_utf16_part(s, units, false), nullptr);
  EXPECT_EQ(units, 6);
  unicode::load_utf16le(unicode::Bytes{}, static_cast<uint32_t>(units), s, true);
  EXPECT_EQ(chars(*s), (Cps{'h', 0x20AC, 0x1F600, 'z'}));
}

TEST_F(Unicode, ABufferOfAnotherUnitIsAnInternalFault) {
  Cell* s = text({'a'}, 1);
  buffer_of(series_node(*s))->flags = (buffer_of(series_node(*s))->flags & ~SeriesBuffer::unit_mask) | 3;
  ChildOutcome o = in_child([&] {
    int32_t length = -1;
    unicode::to_utf8(s, length);
  });
  EXPECT_EQ(o.status, 101);
  EXPECT_NE(o.out.find("*** Runtime Error 101: invalid character unit 3\n*** at: "), std::string::npos);
}

}  // namespace
}  // namespace vyn::test
