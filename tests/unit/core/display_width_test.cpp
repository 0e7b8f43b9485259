// Terminal column widths: the cases the console relies on, every code point against python3, and
// the width of a text.
#include "core/text/display_width.hpp"
#include "values/text/text_width.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

TEST(DisplayWidth, CodePointsTheTerminalMeets) {
  struct Case {
    uint32_t cp;
    int width, ambiguous_wide;
  };
  for (Case c : {
           Case{0x0000, 0, 0}, Case{0x0009, 1, 1}, Case{0x001F, 1, 1}, Case{'A', 1, 1},
           Case{0x007F, 1, 1}, Case{0x009F, 1, 1},      // controls take one column
           Case{0x00A1, 1, 2}, Case{0x00AD, 1, 2},      // soft hyphen is not zero width
           Case{0x00E9, 1, 2}, Case{0x0301, 0, 2}, Case{0x20DD, 0, 0},  // Mn and Me
           Case{0x0600, 0, 0}, Case{0x061C, 0, 0}, Case{0x070F, 0, 0}, Case{0x200B, 1, 1},
           Case{0x1100, 2, 2}, Case{0x1160, 0, 0}, Case{0x11FF, 0, 0}, Case{0xD7B0, 0, 0},
           Case{0xD7FB, 0, 0}, Case{0x4E00, 2, 2}, Case{0x3000, 2, 2}, Case{0xFF01, 2, 2},
           Case{0xFF61, 1, 1}, Case{0x1F600, 2, 2}, Case{0x1F1E6, 1, 1},
           Case{0xE0100, 0, 2}, Case{0x2FFFD, 2, 2}, Case{0x3FFFD, 2, 2},  // unassigned, still wide
           Case{0xE000, 1, 2}, Case{0xFFFD, 1, 2}, Case{0x10FFFD, 1, 2}, Case{0x10FFFF, 1, 1},
           Case{0x110000, 1, 1}, Case{0xFFFFFFFF, 1, 1},
       }) {
    EXPECT_EQ(width::of(c.cp), c.width) << std::hex << "U+" << c.cp;
    EXPECT_EQ(width::of_ambiguous_wide(c.cp), c.ambiguous_wide) << std::hex << "U+" << c.cp;
  }
}

// Every code point against the python3 on this machine: general category Mn or Me (and the
// prefixed format characters and conjoining jamo) are 0, East Asian Width W or F of an assigned
// code point (and any code point of the ideograph blocks and planes) 2, A counts 2 only for
// of_ambiguous_wide. Skipped when python3 is missing or knows another Unicode version.
TEST(DisplayWidth, AgreesWithPythonForEveryCodePoint) {
  const char* script =
      "python3 -c \"import sys, unicodedata as u\n"
      "print(u.unidata_version)\n"
      "Z = [(0x600, 0x605), (0x61C, 0x61C), (0x70F, 0x70F), (0x1160, 0x11FF), (0xD7B0, 0xD7FB)]\n"
      "W = [(0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF), (0x20000, 0x2FFFD), (0x30000, 0x3FFFD)]\n"
      "out = []\n"
      "for cp in range(0x110000):\n"
      "    c = chr(cp); cat = u.category(c); e = '' if cat == 'Cn' else u.east_asian_width(c)\n"
      "    if cp == 0: w = 0\n"
      "    elif cp < 0x20 or 0x7F <= cp <= 0x9F: w = 1\n"
      "    elif cat in ('Mn', 'Me') or any(a <= cp <= b for a, b in Z) and not 0xD7C7 <= cp <= 0xD7CA: w = 0\n"
      "    elif e in ('W', 'F') or any(a <= cp <= b for a, b in W): w = 2\n"
      "    else: w = 1\n"
      "    out.append(str(w) + ('2' if e == 'A' else str(w)))\n"
      "sys.stdout.write(''.join(out))\n\" 2>/dev/null";
  FILE* p = popen(script, "r");
  if (!p) GTEST_SKIP() << "cannot run python3";
  char version[32] = "";
  if (std::fscanf(p, "%31s\n", version) != 1) {
    pclose(p);
    GTEST_SKIP() << "python3 gave no output";
  }
  std::string widths;
  char chunk[65536];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, p)) > 0;) widths.append(chunk, n);
  pclose(p);
  if (std::string(version) != width::unicode_version())
    GTEST_SKIP() << "python3 knows Unicode " << version << ", the tables " << width::unicode_version();
  ASSERT_EQ(widths.size(), 2u * 0x110000);
  int wrong = 0;
  for (uint32_t cp = 0; cp < 0x110000 && wrong < 10; ++cp) {
    int want = widths[2 * cp] - '0', want_ambiguous = widths[2 * cp + 1] - '0';
    if (width::of(cp) != want || width::of_ambiguous_wide(cp) != want_ambiguous) {
      ++wrong;
      ADD_FAILURE() << std::hex << "U+" << cp << ": " << width::of(cp) << " want " << want
                    << ", ambiguous wide " << width::of_ambiguous_wide(cp) << " want "
                    << want_ambiguous;
    }
  }
}

using DisplayWidthText = RuntimeTest;

TEST_F(DisplayWidthText, ColumnsOfATextFromItsHead) {
  const char text[] = "a\xE4\xB8\x80" "e\xCC\x81" "\xF0\x9F\x98\x80";  // a, U+4E00, e + U+0301, U+1F600
  Cell* s = string::load_utf8_checked(unicode::outside(text), sizeof text - 1);
  EXPECT_EQ(width::of_text(*s), 1 + 2 + 1 + 0 + 2);
  s->w1 = 2;
  EXPECT_EQ(width::of_text(*s), 1 + 0 + 2);
  s->w1 = 9;  // past the tail
  EXPECT_EQ(width::of_text(*s), 0);
}

}  // namespace
}  // namespace vyn::test
