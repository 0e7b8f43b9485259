// String storage: units and widening, single characters, loading, concatenation and the helpers.
#include "values/text/string_storage.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/support/child_process.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using StringStorage = RuntimeTest;
using Cps = std::vector<uint32_t>;

uint32_t unit_of(const Cell& s) { return buffer_of(series_node(s))->unit(); }

Cps chars(const Cell& str) {
  Cps out;
  for (int32_t i = series_head(str); i < string::length_total(str); ++i)
    out.push_back(string::char_at(series_node(str), static_cast<uint32_t>(i)));
  return out;
}

// A string! on the value stack from UTF-8 text; its unit is the narrowest that holds it.
Cell* utf8(std::string_view text) {
  return string::load(unicode::outside(text.data()), static_cast<uint32_t>(text.size()), nullptr,
                      string::encoding_utf8);
}

TEST_F(StringStorage, AppendingWidensAboveAsciiWritingAboveLatin1) {
  Cell* s = string::make_at(stack::push_unset(), 4);
  string::append_char(series_node(*s), 0xE9);
  EXPECT_EQ(unit_of(*s), 2u) << "appending keeps a 1-byte buffer ASCII";
  Cell* t = string_of("abc");
  string::write_char(series_node(*t), 1, 0xE9);
  EXPECT_EQ(unit_of(*t), 1u) << "writing keeps Latin-1 in 1-byte units";
  string::overwrite_char(series_node(*t), 2, 0xFF);
  string::insert_char(series_node(*t), 0, 0xF0);
  EXPECT_EQ(unit_of(*t), 1u);
  EXPECT_EQ(chars(*t), (Cps{0xF0, 'a', 0xE9, 0xFF}));
  string::write_char(series_node(*t), 0, 0x100);
  EXPECT_EQ(unit_of(*t), 2u);
  string::write_char(series_node(*t), 3, 0x10000);
  EXPECT_EQ(unit_of(*t), 4u);
  EXPECT_EQ(chars(*t), (Cps{0x100, 'a', 0xE9, 0x10000}));
}

TEST_F(StringStorage, WideningAUcs2StringKeepsHeadAndLength) {
  Cell* s = utf8("x\xE2\x82\xAC" "abcdefghijklmnopqrstuvwxyz");
  ASSERT_EQ(unit_of(*s), 2u);
  set_series_head(*s, 1);
  string::append_char(series_node(*s), 0x1F600);
  EXPECT_EQ(unit_of(*s), 4u);
  EXPECT_EQ(series_head(*s), 1);
  EXPECT_EQ(string::length_q(*s), 28);
  EXPECT_EQ(string::to_utf8(*s), "\xE2\x82\xAC" "abcdefghijklmnopqrstuvwxyz\xF0\x9F\x98\x80");
}

TEST_F(StringStorage, AHeadPastTheTailReadsAsTheTail) {
  Cell* s = string_of("abcdef");
  Cell* other = stack::push(*s);
  set_series_head(*other, 5);
  string::truncate_at(*s, 2);  // shortened through another reference
  EXPECT_EQ(string::length(*other), 0);
  EXPECT_TRUE(string::at_tail_q(*other));
  EXPECT_EQ(series_head(*other), 2) << "stored back clamped";
  set_series_head(*other, 7);
  EXPECT_EQ(string::length_q(*other), 0);
  EXPECT_EQ(series_head(*other), 2);
  EXPECT_EQ(string::vs_head(*other), buffer_of(series_node(*s))->tail_ptr());
}

TEST_F(StringStorage, OverwriteInsertRemoveAndClear) {
  Cell* s = string_of("ab");
  string::overwrite_char(series_node(*s), 40, 'z');  // far past the room: grows, fills with U+0000
  EXPECT_EQ(string::length_total(*s), 41);
  EXPECT_EQ(string::char_at(series_node(*s), 2), 0u);
  EXPECT_EQ(string::char_at(series_node(*s), 40), uint32_t{'z'});
  string::remove_part(*s, 2, 38);
  EXPECT_EQ(string::to_utf8(*s), "abz");
  string::insert_char(series_node(*s), 1, 0x20AC);
  string::insert_char(series_node(*s), 99, '!');  // past the tail: at the tail
  EXPECT_EQ(string::to_utf8(*s), "a\xE2\x82\xAC" "bz!");
  string::remove_char(*s, 0);
  string::remove_part(*s, 2, 50);
  string::remove_char(*s, 9);
  EXPECT_EQ(string::to_utf8(*s), "\xE2\x82\xAC" "b");
  set_series_head(*s, 1);
  string::clear(*s);
  EXPECT_EQ(series_head(*s), 0);
  EXPECT_EQ(unit_of(*s), 1u);
  EXPECT_EQ(string::length_total(*s), 0);
}

TEST_F(StringStorage, FindingCharactersAndPrefixes) {
  Cell* s = utf8("xa\xC3\xA9" "B\xE2\x82\xAC" "b");
  set_series_head(*s, 1);
  EXPECT_EQ(string::find_char(*s, 'B'), 2);
  EXPECT_EQ(string::find_char(*s, 'x'), -1);
  EXPECT_EQ(string::find_char(*s, 0x20AC), 3);
  Cell* latin = string_of("hello");
  EXPECT_EQ(string::find_char(*latin, 'l'), 2);
  EXPECT_EQ(string::find_char(*latin, 0x16C), -1);

  EXPECT_TRUE(string::has_char_q(*s, 'b', 1, true));
  EXPECT_TRUE(string::has_char_q(*s, 0xC9, 1, false));
  EXPECT_FALSE(string::has_char_q(*s, 0xC9, 1, true));
  EXPECT_TRUE(string::has_char_q(*s, 'b', 2, false));  // positions 0, 2, 4: a, B, b
  EXPECT_FALSE(string::has_char_q(*s, 0x20AC, 2, false));

  EXPECT_TRUE(string::starts_with_c_string_q(*s, "a\xE9"));
  EXPECT_FALSE(string::starts_with_c_string_q(*s, "A"));
  EXPECT_FALSE(string::starts_with_c_string_q(*latin, "hello!"));
  EXPECT_TRUE(string::starts_with_c_string_q(*latin, ""));
}

TEST_F(StringStorage, LoadingByEncoding) {
  using namespace std::string_literals;
  std::string u16 = "h\0\xAC\x20"s;
  Cell* s = string::load(unicode::outside(u16.data()), 2, nullptr, string::encoding_utf16le);
  EXPECT_TRUE(s->is(Type::string));
  EXPECT_EQ(string::conversion_node(*s), 0u);
  EXPECT_EQ(chars(*s), (Cps{'h', 0x20AC}));
  Cell* pushed = string::load_push(unicode::outside("\xC3\xA9"), 2, string::encoding_utf8);
  EXPECT_EQ(chars(*pushed), (Cps{0xE9}));
  Cell* b = block_of({});
  Cell* in = string::load_in(unicode::outside("ok"), 2, *b, string::encoding_utf8);
  EXPECT_EQ(block::length_total(*b), 1);
  EXPECT_EQ(string::to_utf8(*in), "ok");
}

TEST_F(StringStorage, UnsupportedEncodingEndsTheProcessWithFailure) {
  ChildOutcome o = in_child([] { string::load(unicode::outside("x"), 1, nullptr, 1); });
  EXPECT_TRUE(o.exited);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "*** Loading Error: input encoding unsupported\n");
}

TEST_F(StringStorage, CheckedUtf8LoadRejectsACutShortEnd) {
  Cell* s = string::load_utf8_checked(unicode::outside("ok\xE2\x82\xAC"), 5);
  EXPECT_EQ(chars(*s), (Cps{'o', 'k', 0x20AC}));
  EXPECT_EQ(raised([] { string::load_utf8_checked(unicode::outside("A\xE2\x82"), 3); }),
            Err::access_invalid_utf8);
  Cell arg = pending_error().args[0];
  ASSERT_TRUE(arg.is(Type::binary));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer_of(series_node(arg))->data()),
                        buffer_of(series_node(arg))->used()),
            "\xE2\x82");
}

// ---- concatenation

TEST_F(StringStorage, ConcatenateModesAndUnits) {
  struct Case {
    std::string target, source;
    int32_t target_head, source_head, part, offset;
    bool keep_unit;
    string::Concat mode;
    std::string out;
    uint32_t target_unit, source_unit;
  };
  using string::Concat;
  const std::string euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
  for (const Case& c : {
           Case{"ab", "cd", 0, 0, -1, 0, false, Concat::append, "abcd", 1, 1},
           Case{"ab", "cdef", 0, 1, 2, 0, false, Concat::append, "abde", 1, 1},
           Case{"abcd", "XY", 1, 0, -1, 1, false, Concat::insert, "abXYcd", 1, 1},
           Case{"abcd", "XY", 1, 0, -1, 1, false, Concat::overwrite, "abXY", 1, 1},
           Case{"abcd", "XYZ", 0, 0, -1, 3, false, Concat::overwrite, "abcXYZ", 1, 1},
           Case{"abcd", "XY", 0, 0, -1, 0, false, Concat::overwrite, "XYcd", 1, 1},
           Case{"ab", euro + "c", 0, 0, -1, 0, false, Concat::append, "ab" + euro + "c", 2, 2},
           Case{"a" + euro, "xy", 0, 0, -1, 1, true, Concat::insert, "axy" + euro, 2, 1},
           Case{"a" + euro, "xy", 0, 0, -1, 1, false, Concat::insert, "axy" + euro, 2, 2},
           Case{"a" + smile, "b" + euro, 0, 0, -1, 0, true, Concat::append, "a" + smile + "b" + euro, 4, 2},
           Case{"a" + smile + "cd", "b" + euro, 0, 0, -1, 1, true, Concat::overwrite, "ab" + euro + "d", 4, 2},
           Case{"ab", "", 0, 0, -1, 0, false, Concat::insert, "ab", 1, 1},
       }) {
    Cell* t = utf8(c.target);
    Cell* s = utf8(c.source);
    set_series_head(*t, c.target_head);
    set_series_head(*s, c.source_head);
    string::concatenate(t, s, c.part, c.offset, c.keep_unit, c.mode);
    set_series_head(*t, 0);
    EXPECT_EQ(string::to_utf8(*t), c.out) << c.target << " + " << c.source;
    EXPECT_EQ(unit_of(*t), c.target_unit) << c.target << " + " << c.source;
    EXPECT_EQ(unit_of(*s), c.source_unit) << c.target << " + " << c.source;
  }
}

TEST_F(StringStorage, ConcatenatingAStringIntoItself) {
  struct Case {
    int32_t source_head, offset;
    string::Concat mode;
    std::string out;
  };
  using string::Concat;
  for (const Case& c : {Case{0, 0, Concat::append, "abcdefabcdef"},
                        Case{0, 2, Concat::insert, "ababcdefcdef"},
                        Case{1, 3, Concat::insert, "abcbcdefdef"},
                        Case{4, 1, Concat::insert, "aefbcdef"},
                        Case{0, 0, Concat::insert, "abcdefabcdef"},
                        Case{0, 2, Concat::overwrite, "ababcdef"},
                        Case{2, 0, Concat::overwrite, "cdefef"}}) {
    Cell* t = string_of("abcdef");
    Cell* s = stack::push(*t);
    set_series_head(*s, c.source_head);
    string::concatenate(t, s, -1, c.offset, false, c.mode);
    EXPECT_EQ(string::to_utf8(*t), c.out) << c.source_head << " " << c.offset;
  }
  Cell* big = string_of(std::string(100, 'q').c_str());
  string::concatenate(big, big, -1, 0, false, string::Concat::append);
  EXPECT_EQ(string::to_utf8(*big), std::string(200, 'q')) << "the source follows the grown buffer";
}

TEST_F(StringStorage, CopyWidenedIntoATargetOrIntoTheSourceItself) {
  Cell* src = utf8("ab\xC3\xA9");
  Cell* dst = utf8("\xE2\x82\xAC");
  string::copy_widened(series_node(*src), series_node(*dst), 0, 2, 1, 2, 0, false);
  EXPECT_EQ(chars(*dst), (Cps{0x20AC, 'b', 0xE9}));
  string::copy_widened(series_node(*src), 0, 64, 4, 0, 0, 0, false);
  EXPECT_EQ(unit_of(*src), 4u);
  EXPECT_EQ(chars(*src), (Cps{'a', 'b', 0xE9}));
  EXPECT_GE(buffer_of(series_node(*src))->size, 64u);
  Cell* wide = utf8("\xF0\x9F\x98\x80");
  ChildOutcome o = in_child([&] { string::copy_widened(series_node(*wide), 0, 64, 4, 0, 0, 0, false); });
  EXPECT_EQ(o.status, 100);
}

TEST_F(StringStorage, RotateBytesExchangesRanges) {
  struct Case {
    std::string in;
    uint32_t first, second, second_size, gap;
    std::string out;
  };
  for (const Case& c : {Case{"ABCxyz", 3, 3, 3, 0, "xyzABC"}, Case{"Axyz", 1, 1, 3, 0, "xyzA"},
                        Case{"ABCx", 3, 3, 1, 0, "xABC"}, Case{"AB..xy", 2, 4, 2, 2, "xy..AB"}}) {
    std::string s = c.in;
    auto* p = reinterpret_cast<uint8_t*>(s.data());
    string::rotate_bytes(p, c.first, p + c.second, c.second_size, c.gap);
    EXPECT_EQ(s, c.out) << c.in;
  }
  std::string big = std::string(70000, 'a') + std::string(80000, 'b');
  auto* p = reinterpret_cast<uint8_t*>(big.data());
  string::rotate_bytes(p, 70000, p + 70000, 80000, 0);
  EXPECT_EQ(big, std::string(80000, 'b') + std::string(70000, 'a'));
}

TEST_F(StringStorage, MoveCharsBetweenWidths) {
  Cell* from = utf8("xy\xE2\x82\xAC" "z");
  Cell* to = string_of("ab");
  set_series_head(*to, 1);
  string::move_chars(from, to, 3 * 2);
  set_series_head(*to, 0);
  EXPECT_EQ(string::to_utf8(*to), "axy\xE2\x82\xAC" "b");
  EXPECT_EQ(string::to_utf8(*from), "z");
}

TEST_F(StringStorage, HexHelpers) {
  EXPECT_STREQ(string::byte_to_hex(0xA5), "A5");
  EXPECT_STREQ(string::byte_to_hex(7), "07");
  struct Case {
    int32_t n;
    bool short_form;
    const char* out;
  };
  for (Case c : {Case{-1, false, "FFFFFFFF"}, Case{255, true, "FF"}, Case{0, true, "00"},
                 Case{255, false, "000000FF"}, Case{0x1F600, true, "1F600"},
                 Case{-2, true, "FE"}, Case{0x12345678, true, "12345678"}})
    EXPECT_STREQ(string::int_to_hex(c.n, c.short_form), c.out) << c.n;
}

}  // namespace
}  // namespace vyn::test
