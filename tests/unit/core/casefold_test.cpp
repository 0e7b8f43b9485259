// Case tables, checked against python3 for every code point, and case changes of characters and text.
#include "core/text/casefold.hpp"
#include "values/text/case_change.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using CaseFold = RuntimeTest;

TEST(CaseTables, MappingsTheRuntimeReliesOn) {
  struct Case {
    uint32_t cp, upper, lower;
  };
  for (Case c : {
           Case{'a', 'A', 'a'}, Case{'Z', 'Z', 'z'}, Case{0xDF, 0x53, 0xDF},  // sharp s: first of "SS"
           Case{0xFF, 0x178, 0xFF}, Case{0x130, 0x130, 0x69}, Case{0x131, 0x49, 0x131},
           Case{0x149, 0x2BC, 0x149}, Case{0x1F0, 0x4A, 0x1F0}, Case{0x1C5, 0x1C4, 0x1C6},
           Case{0x1F80, 0x1F08, 0x1F80},  // with ypogegrammeni: the capital without it
           Case{0x1E9E, 0x1E9E, 0xDF}, Case{0x3A3, 0x3A3, 0x3C3}, Case{0xFF5A, 0xFF3A, 0xFF5A},
           Case{0x10428, 0x10400, 0x10428}, Case{0x10400, 0x10400, 0x10428},
           Case{0x1E922, 0x1E900, 0x1E922}, Case{0x1E943, 0x1E921, 0x1E943},
           Case{0x1F600, 0x1F600, 0x1F600}, Case{0x10FFFF, 0x10FFFF, 0x10FFFF},
           Case{0x110000, 0x110000, 0x110000}, Case{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
       }) {
    EXPECT_EQ(casefold::to_upper(c.cp), c.upper) << std::hex << c.cp;
    EXPECT_EQ(casefold::to_lower(c.cp), c.lower) << std::hex << c.cp;
    EXPECT_EQ(casefold::map(c.cp, true), c.upper);
    EXPECT_EQ(casefold::map(c.cp, false), c.lower);
  }
  EXPECT_TRUE(casefold::same_folded(0xDF, 's'));
  EXPECT_TRUE(casefold::same_folded(0x131, 'i'));
  EXPECT_FALSE(casefold::same_folded(0x130, 'I'));
}

// Every code point against str.upper and str.lower of the python3 on this machine. Deliberate
// differences, applied to the expectations too: a mapping to several code points keeps the first
// of them; everything else is compared as is. The check is skipped when python3 is missing or
// knows another Unicode version than the tables.
TEST(CaseTables, AgreeWithPythonForEveryCodePoint) {
  const char* script =
      "python3 -c \"import sys, unicodedata\n"
      "print(unicodedata.unidata_version)\n"
      "for cp in range(0x110000):\n"
      "    c = chr(cp); u = c.upper(); l = c.lower()\n"
      "    if u != c or l != c: print(cp, ord(u[0]), ord(l[0]))\n\" 2>/dev/null";
  FILE* p = popen(script, "r");
  if (!p) GTEST_SKIP() << "cannot run python3";
  char version[32] = "";
  if (std::fscanf(p, "%31s", version) != 1) {
    pclose(p);
    GTEST_SKIP() << "python3 gave no output";
  }
  std::map<uint32_t, std::pair<uint32_t, uint32_t>> expected;
  uint32_t cp, up, low;
  while (std::fscanf(p, "%u %u %u", &cp, &up, &low) == 3) expected[cp] = {up, low};
  pclose(p);
  if (std::string(version) != casefold::unicode_version())
    GTEST_SKIP() << "python3 knows Unicode " << version << ", the tables " << casefold::unicode_version();
  ASSERT_GT(expected.size(), 2500u);
  int wrong = 0;
  for (uint32_t c = 0; c < 0x110000 && wrong < 10; ++c) {
    auto it = expected.find(c);
    uint32_t want_up = it == expected.end() ? c : it->second.first;
    uint32_t want_low = it == expected.end() ? c : it->second.second;
    if (casefold::to_upper(c) != want_up || casefold::to_lower(c) != want_low) {
      ++wrong;
      ADD_FAILURE() << std::hex << "U+" << c << ": upper " << casefold::to_upper(c) << " want "
                    << want_up << ", lower " << casefold::to_lower(c) << " want " << want_low;
    }
  }
}

uint32_t unit_of(const Cell& s) { return buffer_of(series_node(s))->unit(); }

TEST_F(CaseFold, ChangeOfACharAndOfText) {
  Cell* ch = stack::push(make_char(0xE9));
  casefold::change(ch, nullptr, true);
  EXPECT_EQ(char_of(*ch), 0xC9u);

  Cell* s = string_of("abc");
  string::write_char(series_node(*s), 1, 0xFF);  // a Latin-1 character in a 1-byte buffer
  ASSERT_EQ(unit_of(*s), 1u);
  casefold::change(s, nullptr, true);
  EXPECT_EQ(string::to_utf8(*s), "A\xC5\xB8" "C");
  EXPECT_EQ(unit_of(*s), 2u) << "U+0178 widens the buffer";
  casefold::change(s, nullptr, false);
  EXPECT_EQ(string::to_utf8(*s), "a\xC3\xBF" "c");
}

TEST_F(CaseFold, ChangeFromTheHeadAndWithPart) {
  struct Case {
    int32_t head;
    Cell part;
    std::string out;
  };
  for (const Case& c : {Case{1, make_none(), "aBCDE"}, Case{1, make_integer(2), "aBCde"},
                        Case{0, make_integer(-3), "abcde"}, Case{3, make_integer(50), "abcDE"},
                        Case{9, make_none(), "abcde"}}) {
    Cell* s = string_of("abcde");
    s->w1 = static_cast<uint32_t>(c.head);
    Cell* part = stack::push(c.part);
    casefold::change(s, part, true);
    s->w1 = 0;
    EXPECT_EQ(string::to_utf8(*s), c.out);
  }
  Cell* s = string_of("abcde");
  Cell* position = stack::push(*s);
  position->w1 = 3;
  casefold::change(s, position, true);
  EXPECT_EQ(string::to_utf8(*s), "ABCde") << "a position in the same series counts up to it";
  Cell* other = string_of("xyz");
  EXPECT_EQ(raised([&] { casefold::change(s, other, true); }), Err::script_invalid_refine_arg);
}

}  // namespace
}  // namespace vyn::test
