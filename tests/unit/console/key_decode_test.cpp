// The terminal key decoder: ANSI sequences, control keys and UTF-8 characters to key codes, and
// the bytes each takes.
#include <gtest/gtest.h>

#include <string>

#include "platform/key_decode.hpp"

namespace vyn::test {
namespace {

keys::Decoded run(const std::string& bytes, bool complete) {
  return keys::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), complete);
}

TEST(KeyDecode, GivesEachKeyItsCodeAndLength) {
  struct Case {
    const char* name;
    std::string bytes;
    int key;
    size_t used;
  } cases[] = {
      {"letter", "ab", 'a', 1},
      {"ctrl-a", "\x01", 1, 1},
      {"backspace", "\x7f", 127, 1},
      {"carriage return", "\r", keys::enter, 1},
      {"line feed", "\n", keys::enter, 1},
      {"up", "\x1b[A", keys::up, 3},
      {"down, application mode", "\x1bOB", keys::down, 3},
      {"right with ctrl", "\x1b[1;5C", keys::right, 6},
      {"left", "\x1b[Dx", keys::left, 3},
      {"home", "\x1b[H", keys::home, 3},
      {"home, tilde form", "\x1b[1~", keys::home, 4},
      {"end", "\x1bOF", keys::end, 3},
      {"end, tilde form", "\x1b[4~", keys::end, 4},
      {"insert", "\x1b[2~", keys::insert, 4},
      {"delete", "\x1b[3~", keys::del, 4},
      {"page up", "\x1b[5~", keys::page_up, 4},
      {"page down", "\x1b[6~", keys::page_down, 4},
      {"function key", "\x1b[15~", keys::other, 5},
      {"mouse report, taken whole", "\x1b[<0;12;5Mx", keys::other, 10},
      {"device answer, taken whole", "\x1b[?1;2cx", keys::other, 7},
      {"intermediate byte", "\x1b[1 qx", keys::other, 5},
      {"CSI cut by Enter: the Enter stays", "\x1b[1\r", keys::other, 3},
      {"CSI cut by a UTF-8 lead byte", "\x1b[\xc3\xa9", keys::other, 2},
      {"alt with a letter: one key, ignored", "\x1bxy", keys::other, 2},
      {"alt with Enter", "\x1b\r", keys::other, 2},
      {"alt with a UTF-8 letter", "\x1b\xc3\xa9z", keys::other, 3},
      {"alt with an arrow", "\x1b\x1b[Az", keys::other, 4},
      {"two bytes", "\xc3\xa9", 0xE9, 2},
      {"three bytes", "\xe2\x82\xac", 0x20AC, 3},
      {"four bytes", "\xf0\x9f\x98\x80", 0x1F600, 4},
      {"continuation byte alone", "\x80z", 0xFFFD, 1},
      {"lead byte cut by ascii", "\xc3(", 0xFFFD, 1},
      {"overlong", "\xe0\x80\x80", 0xFFFD, 3},
      {"surrogate", "\xed\xa0\x80", 0xFFFD, 3},
      {"above the last code point", "\xf4\x90\x80\x80", 0xFFFD, 4},
      {"lead byte F8", "\xf8", 0xFFFD, 1},
  };
  for (const Case& c : cases) {
    keys::Decoded d = run(c.bytes, false);
    EXPECT_EQ(d.key, c.key) << c.name;
    EXPECT_EQ(d.used, c.used) << c.name;
  }
}

TEST(KeyDecode, WaitsForTheRestOfASequenceUnlessNoMoreIsComing) {
  struct Case {
    const char* name;
    std::string bytes;
    int key_when_complete;
  } cases[] = {
      {"lone escape is Esc", "\x1b", 27},
      {"CSI without its end", "\x1b[1;", keys::other},
      {"SS3 without its letter", "\x1bO", keys::other},
      {"alt with a cut UTF-8 letter", "\x1b\xc3", keys::other},
      {"alt with a cut arrow", "\x1b\x1b[", keys::other},
      {"cut UTF-8", "\xe2\x82", 0xFFFD},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.bytes, false).used, 0u) << c.name;
    keys::Decoded d = run(c.bytes, true);
    EXPECT_EQ(d.key, c.key_when_complete) << c.name;
    EXPECT_EQ(d.used, c.bytes.size()) << c.name;
  }
}

}  // namespace
}  // namespace vyn::test
