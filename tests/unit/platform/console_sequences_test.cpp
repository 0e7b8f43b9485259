// The console's escape-sequence grammar and attribute arithmetic: what each sequence asks for,
// how much text it takes, and the attribute word after SGR codes.
#include <gtest/gtest.h>

#include <string>

#include "platform/console_sequences.hpp"

namespace vyn::test {
namespace {

using console_seq::Attribute;
using console_seq::Erase;
using console_seq::Op;
using console_seq::Parsed;

Parsed parse(const std::string& text, Attribute current = console_seq::default_attribute) {
  return console_seq::parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 1, 0, current);
}

struct GrammarCase {
  const char* text;
  size_t used;
  Op op;
  uint32_t p1, p2;
};

TEST(ConsoleSequences, ReadsPositionsMovesAndTheirEdges) {
  const GrammarCase cases[] = {
      {"\x1b[3;5Hx", 6, Op::position, 3, 5},   // column first, row second, both from 0
      {"\x1b[3;5fx", 6, Op::position, 3, 5},
      {"\x1b[Hx", 3, Op::position, 0, 0},
      {"\x1b[5Hx", 4, Op::none, 5, 0},        // one number is not a position
      {"\x1b[5;Hx", 5, Op::none, 5, 0},
      {"\x1b[3;;5H", 7, Op::position, 3, 5},
      {"\x1b[;;3;5H", 8, Op::position, 3, 5},
      {"\x1b[1;2;3H", 8, Op::none, 3, 0},     // numbers go in pairs: the third starts afresh
      {"\x1b[999D", 6, Op::left, 999, 0},
      {"\x1b[2A", 4, Op::up, 2, 0},
      {"\x1b[12B", 5, Op::down, 12, 0},
      {"\x1b[4C", 4, Op::right, 4, 0},
      {"\x1b[A", 3, Op::none, 0, 0},          // a move needs its number
      {"\x1b[65535C", 8, Op::right, 0, 0},    // numbers wrap at 65535
      {"\x1b[65536C", 8, Op::right, 1, 0},
      {"\x1b[s", 3, Op::save, 0, 0},
      {"\x1b[u", 3, Op::restore, 0, 0},
      {"\x1b[1s", 4, Op::none, 1, 0},
      {"\x1b[m", 3, Op::none, 0, 0},          // a bare "m" changes nothing
      {"\x1b[3;5", 5, Op::none, 3, 5},        // cut short by the end of the text: dropped
      {"\x1b[", 2, Op::none, 0, 0},
      {"\x1b(B", 0, Op::none, 0, 0},          // not ESC "[": the ESC is text
      {"\x1b", 0, Op::none, 0, 0},
      {"\x1b[\xC4" "5H", 3, Op::none, 0, 0},  // any other character ends the sequence
  };
  for (const GrammarCase& c : cases) {
    Parsed p = parse(c.text);
    EXPECT_EQ(p.used, c.used) << c.text + 1;
    EXPECT_EQ(p.op, c.op) << c.text + 1;
    if (p.op != Op::none) {
      EXPECT_EQ(p.p1, c.p1) << c.text + 1;
      EXPECT_EQ(p.p2, c.p2) << c.text + 1;
    }
  }
}

TEST(ConsoleSequences, EraseKindsFollowTheirNumbers) {
  struct Case {
    const char* text;
    Op op;
    Erase kind;
  } cases[] = {
      {"\x1b[J", Op::erase, Erase::below},       {"\x1b[0J", Op::none, Erase::below},
      {"\x1b[1J", Op::erase, Erase::rows_above}, {"\x1b[2J", Op::erase, Erase::all},
      {"\x1b[3J", Op::none, Erase::below},       {"\x1b[K", Op::erase, Erase::to_line_end},
      {"\x1b[0K", Op::none, Erase::below},       {"\x1b[1K", Op::erase, Erase::line_start},
      {"\x1b[2K", Op::erase, Erase::line},       {"\x1b[02K", Op::erase, Erase::line},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.text);
    EXPECT_EQ(p.op, c.op) << c.text + 1;
    if (p.op == Op::erase) {
      EXPECT_EQ(p.erase, c.kind) << c.text + 1;
    }
  }
}

// A private mode goes to the terminal whole; a bare "?" is the screen-buffer dump, and what
// follows it is text.
TEST(ConsoleSequences, PrivateModesPassAndABareQuestionMarkDumps) {
  const GrammarCase cases[] = {
      {"\x1b[?25l", 6, Op::private_mode, 0, 0}, {"\x1b[?1049h", 8, Op::private_mode, 0, 0},
      {"\x1b[?1;2h", 7, Op::private_mode, 0, 0}, {"\x1b[?", 3, Op::dump, 0, 0},
      {"\x1b[?x", 3, Op::dump, 0, 0},           {"\x1b[?25 ", 3, Op::dump, 0, 0},
      {"\x1b[;?", 4, Op::dump, 0, 0},           {"\x1b[?25", 5, Op::none, 0, 0},
  };
  for (const GrammarCase& c : cases) {
    Parsed p = parse(c.text);
    EXPECT_EQ(p.used, c.used) << c.text + 1;
    EXPECT_EQ(p.op, c.op) << c.text + 1;
  }
}

TEST(ConsoleSequences, SgrCodesMakeTheAttributeWord) {
  Attribute plain = console_seq::default_attribute;
  Attribute yellow_on_blue{0x1E, false, false};
  struct Case {
    const char* text;
    Attribute from;
    uint16_t word;
    bool default_fg, default_bg;
  } cases[] = {
      {"\x1b[1m", plain, 0x0F, true, true},            // intensity of the foreground only
      {"\x1b[31m", plain, 0x04, false, true},
      {"\x1b[36m", plain, 0x03, false, true},
      {"\x1b[44m", plain, 0x17, true, false},
      {"\x1b[1;33;44m", plain, 0x1E, false, false},    // 1 and 33 at the second ";", then 44
      {"\x1b[4m", plain, 0x8007, true, true},
      {"\x1b[4;31m", plain, 0x0004, false, true},      // a colour drops the underscore
      {"\x1b[4;7m", plain, 0x0070, true, true},
      {"\x1b[7m", yellow_on_blue, 0xE1, false, false},
      {"\x1b[39m", yellow_on_blue, 0x1F, true, false}, // the default colour, intensity kept
      {"\x1b[49m", yellow_on_blue, 0x0E, false, true},
      {"\x1b[0m", yellow_on_blue, 0x07, true, true},
      {"\x1b[5m", yellow_on_blue, 0x1E, false, false}, // unknown codes change nothing
      {"\x1b[1;31;0m", plain, 0x07, true, true},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.text, c.from);
    ASSERT_EQ(p.op, Op::attribute) << c.text + 1;
    EXPECT_EQ(p.attribute.word, c.word) << c.text + 1;
    EXPECT_EQ(p.attribute.default_fg, c.default_fg) << c.text + 1;
    EXPECT_EQ(p.attribute.default_bg, c.default_bg) << c.text + 1;
  }
}

TEST(ConsoleSequences, ReadsWideUnits) {
  const uint16_t wide[] = {27, '[', '3', ';', '5', 'H'};
  Parsed p = console_seq::parse(reinterpret_cast<const uint8_t*>(wide), 6, 2, 0, {});
  EXPECT_EQ(p.op, Op::position);
  EXPECT_EQ(p.used, 6u);
  const uint32_t four[] = {'a', 27, '[', '2', 'K'};
  p = console_seq::parse(reinterpret_cast<const uint8_t*>(four), 5, 4, 1, {});
  EXPECT_EQ(p.op, Op::erase);
  EXPECT_EQ(p.erase, Erase::line);
}

}  // namespace
}  // namespace vyn::test
