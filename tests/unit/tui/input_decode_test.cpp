// The text UI's input decoder: keys, modifiers, mouse reports, cursor reports, and what becomes
// of sequences that are cut short or malformed.
#include <gtest/gtest.h>

#include <string>

#include "view/tui/input/input_decode.hpp"

namespace vyn::test {
namespace {

using tui::input::Item;
using tui::input::Kind;
namespace in = tui::input;

in::Decoded run(const std::string& bytes, bool final = false) {
  return in::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), final);
}

// One item per line: "k<key>" or "s<code>" (special), "+<mods hex>" when set; "m<b>,<x>,<y>"
// with "r" for a release; "c<row>,<col>".
std::string show(const in::Decoded& d) {
  std::string out;
  for (const Item& i : d.items) {
    if (!out.empty()) out += ' ';
    if (i.kind == Kind::key) {
      out += (i.special ? "s" : "k") + std::to_string(i.key);
      if (i.mods) out += "+" + std::to_string(i.mods >> 28);
    } else if (i.kind == Kind::mouse) {
      out += "m" + std::to_string(i.button) + "," + std::to_string(i.column) + "," +
             std::to_string(i.row) + (i.release ? "r" : "");
    } else {
      out += "c" + std::to_string(i.row) + "," + std::to_string(i.column);
    }
  }
  return out;
}

TEST(TuiInputDecode, DecodesCompleteInput) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* items;  // modifier digit: 1 ctrl, 2 shift, 4 alt
  } cases[] = {
      {"text", "ab", "k97 k98"},
      {"utf-8", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "k233 k8364 k128512"},
      {"invalid utf-8 byte", "\x80z", "k65533 k122"},
      {"backspace both ways", "\x08\x7f", "k127 k127"},
      {"enter both ways", "\n\r", "k13 k13"},
      {"tab and ctrl-a and nul", "\t\x01", "k9 k1"},
      {"lone esc", "\x1b", "k27"},
      {"esc then an arrow", "\x1b\x1b[A", "k27 s-20"},
      {"esc then other byte dropped", "\x1bxa", "k97"},
      {"arrows", "\x1b[A\x1b[B\x1b[C\x1b[D", "s-20 s-21 s-22 s-23"},
      {"home end", "\x1b[H\x1b[F", "s-25 s-24"},
      {"ctrl-right", "\x1b[1;5C", "s-22+1"},
      {"shift-alt-up", "\x1b[1;4A", "s-20+6"},
      {"shift-tab", "\x1b[Z", "k9+2"},
      {"delete page keys", "\x1b[3~\x1b[5~\x1b[6~", "s-27 s-28 s-29"},
      {"insert gives nothing", "\x1b[2~x", "k120"},
      {"f1-f4", "\x1bOP\x1bOQ\x1bOR\x1bOS", "s-31 s-32 s-33 s-34"},
      {"f5-f12", "\x1b[15~\x1b[17~\x1b[21~\x1b[23~\x1b[24~", "s-35 s-36 s-40 s-41 s-42"},
      {"unknown tilde", "\x1b[99~", ""},
      {"application arrows", "\x1bOA", "s-20"},
      {"mouse press", "\x1b[<0;5;3M", "m0,5,3"},
      {"mouse release", "\x1b[<0;5;3m", "m0,5,3r"},
      {"wheel with ctrl", "\x1b[<80;1;1M", "m80,1,1"},
      {"motion no button", "\x1b[<35;10;2M", "m35,10,2"},
      {"1015 mouse", "\x1b[32;7;8M", "m0,7,8"},
      {"mouse wrong arity", "\x1b[<0;5M", ""},
      {"cursor report", "\x1b[12;40R", "c12,40"},
      {"osc skipped", "\x1b]0;title\x1b\\q", "k113"},
      {"osc ended by bel", "\x1b]0;t\x07q", "k113"},
      {"dcs skipped", "\x1bPabc\x1b\\q", "k113"},
      {"device attributes dropped", "\x1b[?1;2c", ""},
      {"control byte aborts csi", "\x1b[1\rz", "k13 k122"},
      {"huge parameter", "\x1b[99999999999999;1R", "c1000000,1"},
      {"many parameters", "\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18A", "s-20+2"},
  };
  for (const Case& c : cases) {
    in::Decoded d = run(c.bytes);
    EXPECT_EQ(show(d), c.items) << c.name;
    EXPECT_EQ(d.used, c.bytes.size()) << c.name;
    EXPECT_FALSE(d.incomplete) << c.name;
  }
}

TEST(TuiInputDecode, LeavesCutSequencesForLaterUnlessFinal) {
  struct Case {
    const char* name;
    std::string bytes;
    size_t used;             // not final
    const char* items;       // not final
    const char* final_items;
  } cases[] = {
      {"cut csi", "a\x1b[1;", 1, "k97", "k97"},
      {"cut mouse", "\x1b[<0;5", 0, "", ""},
      {"esc at the end", "a\x1b", 1, "k97", "k97 k27"},
      {"cut utf-8", "a\xe2\x82", 1, "k97", "k97 k65533"},
      {"cut ss3", "\x1bO", 0, "", ""},
      {"cut osc", "\x1b]0;ti", 0, "", ""},
      {"osc cut before backslash", "\x1b]x\x1b", 0, "", ""},
  };
  for (const Case& c : cases) {
    in::Decoded d = run(c.bytes);
    EXPECT_EQ(d.used, c.used) << c.name;
    EXPECT_TRUE(d.incomplete) << c.name;
    EXPECT_EQ(show(d), c.items) << c.name;
    in::Decoded f = run(c.bytes, true);
    EXPECT_EQ(f.used, c.bytes.size()) << c.name;
    EXPECT_FALSE(f.incomplete) << c.name;
    EXPECT_EQ(show(f), c.final_items) << c.name;
  }
}

// Every prefix and every byte-at-a-time split of a busy stream decodes to the same items, and no
// input at all (random bytes included) takes more bytes than given or crashes.
TEST(TuiInputDecode, SplitStreamsGiveTheSameItems) {
  std::string stream = "x\x1b[<0;5;3M\xc3\xa9\x1b[12;40R\x1b[1;5C\x1b]0;t\x1b\\\x1bOPy";
  std::string whole = show(run(stream, true));
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    in::Decoded first = run(stream.substr(0, cut));
    std::string rest = stream.substr(first.used);
    std::string joined = show(first);
    std::string tail = show(run(rest, true));
    if (!joined.empty() && !tail.empty()) joined += ' ';
    EXPECT_EQ(joined + tail, whole) << "cut at " << cut;
  }
  uint32_t seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string noise;
    for (int k = 0; k < 24; ++k) {
      seed = seed * 1103515245 + 12345;
      uint8_t b = static_cast<uint8_t>(seed >> 16);
      noise += static_cast<char>(k % 3 == 0 ? "\x1b[<;Mm0O]P\\~"[b % 13] : b);
    }
    in::Decoded d = run(noise, round % 2);
    EXPECT_LE(d.used, noise.size());
  }
}

}  // namespace
}  // namespace vyn::test
