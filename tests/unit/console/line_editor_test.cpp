// The line editor: what keys do to the line, its cursor and the history, and what the terminal
// shows, through a small screen that applies the editor's output as a terminal would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/unicode.hpp"
#include "platform/key_decode.hpp"
#include "console/line_editor.hpp"
#include "tests/unit/terminal_screen.hpp"

namespace vyn::test {
namespace {

using editor::End;

constexpr int tab = 9, bs = 127, ctrl_a = 1, ctrl_b = 2, ctrl_c = 3, ctrl_d = 4, ctrl_e = 5,
              ctrl_f = 6, ctrl_k = 11, ctrl_n = 14, ctrl_p = 16, esc = 27;

std::vector<int> typed(const std::u32string& text) { return {text.begin(), text.end()}; }
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// One editor over a screen, fed a list of keys (then the input ends).
struct Session {
  TerminalScreen screen;
  editor::Carry carry;
  std::vector<int> keys;
  size_t next = 0;
  std::vector<editor::Completed> completions;
  std::vector<std::u32string> history;
  std::u32string line;
  int columns;
  int start_column = 0;

  explicit Session(int cols = 40, int rows = 10) : screen(cols, rows), columns(cols) {}

  End edit(const std::vector<int>& k, const std::u32string& prompt = U"> ", bool hide = false) {
    keys = k;
    next = 0;
    line.clear();
    editor::Hooks hooks;
    hooks.read_key = [this] {
      return next < keys.size() ? keys[next++] : keys::failed;
    };
    hooks.write = [this](const std::string& s) { screen.write(s); };
    hooks.size = [this](int& c, int& r) { c = columns, r = 10; };
    hooks.complete = [this](const std::u32string&, size_t) { return completions; };
    hooks.column = [this] { return start_column; };
    editor::LineEditor editor(hooks, carry);
    return editor.edit(line, prompt, history, hide);
  }
};

TEST(LineEditor, KeysChangeTheLineAsExpected) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    std::u32string line;
    End end;
  } cases[] = {
      {"typing", typed(U"abc") + std::vector<int>{keys::enter}, U"abc", End::enter},
      {"insert after moving left", typed(U"abc") + std::vector<int>{keys::left, ctrl_b, 'X', keys::enter},
       U"aXbc", End::enter},
      {"home then type", typed(U"bc") + std::vector<int>{keys::home, 'a', keys::enter}, U"abc", End::enter},
      {"ctrl-a, ctrl-f, ctrl-e", typed(U"ac") + std::vector<int>{ctrl_a, ctrl_f, 'b', ctrl_e, 'd', keys::enter},
       U"abcd", End::enter},
      {"backspace at the end and inside", typed(U"abcd") + std::vector<int>{bs, keys::left, 8, keys::enter},
       U"ac", End::enter},
      {"backspace at the start does nothing", std::vector<int>{bs, 'a', keys::enter}, U"a", End::enter},
      {"delete under the cursor", typed(U"abc") + std::vector<int>{keys::home, keys::del, keys::enter}, U"bc",
       End::enter},
      {"delete at the end does nothing", typed(U"ab") + std::vector<int>{keys::del, keys::enter}, U"ab",
       End::enter},
      {"ctrl-k cuts to the end", typed(U"abcd") + std::vector<int>{keys::left, keys::left, ctrl_k, keys::enter},
       U"ab", End::enter},
      {"ctrl-d deletes in the middle", typed(U"abc") + std::vector<int>{keys::home, ctrl_d, keys::enter}, U"bc",
       End::enter},
      {"ctrl-d at the end of text does nothing", typed(U"ab") + std::vector<int>{ctrl_d, keys::enter}, U"ab",
       End::enter},
      {"ctrl-d on an empty line quits", std::vector<int>{ctrl_d}, U"q", End::quit},
      {"ctrl-c quits whatever the line holds", typed(U"abc") + std::vector<int>{ctrl_c}, U"q", End::quit},
      {"esc ends with the escape character", typed(U"ab") + std::vector<int>{esc}, U"ab\x1b", End::escape},
      {"ignored keys", typed(U"a") + std::vector<int>{keys::insert, keys::page_up, keys::other, 7, keys::enter},
       U"a", End::enter},
      {"wide and astral characters", std::vector<int>{0x4E2D, 0x1F600, keys::enter}, U"\u4E2D\U0001F600",
       End::enter},
      {"input gone ends as quit", typed(U"ab"), U"q", End::input_gone},
  };
  for (const Case& c : cases) {
    Session s;
    EXPECT_EQ(s.edit(c.keys), c.end) << c.name;
    EXPECT_EQ(s.line, c.line) << c.name;
  }
}

TEST(LineEditor, RecallsHistoryEntriesWithoutChangingThem) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    std::u32string line;
  } cases[] = {
      {"up shows the newest", {keys::up, keys::enter}, U"new"},
      {"up twice the older", {keys::up, ctrl_p, keys::enter}, U"old"},
      {"up past the oldest is empty", {keys::up, keys::up, keys::up, keys::enter}, U""},
      {"down first shows the entry already shown", {keys::up, keys::up, keys::down, keys::enter}, U"old"},
      {"then moves towards the newest", {keys::up, keys::up, keys::down, ctrl_n, keys::enter}, U"new"},
      {"down past the newest is empty", {keys::up, keys::down, keys::down, keys::enter}, U""},
      {"an entry can be edited", {keys::up, bs, 'X', keys::enter}, U"neX"},
  };
  for (const Case& c : cases) {
    Session s;
    s.history = {U"new", U"old"};
    s.edit(c.keys);
    EXPECT_EQ(s.line, c.line) << c.name;
    EXPECT_EQ(s.history, (std::vector<std::u32string>{U"new", U"old"})) << c.name;
  }
}

TEST(LineEditor, ShowsThePromptAndLineAndGoesOnBelowAfterEnter) {
  Session s;
  s.edit(typed(U"abc") + std::vector<int>{keys::left, 'X', keys::enter});
  EXPECT_EQ(s.screen.row(0), U"> abXc");
  EXPECT_EQ(s.screen.cursor_row(), 1);
  EXPECT_EQ(s.screen.cursor_col(), 0);
}

// Text printed without a line end stays before the prompt, which starts after it; the line wraps
// and the cursor moves from there.
TEST(LineEditor, APromptAfterTextOnItsRowStartsWhereTheTextEnds) {
  Session s(10, 10);
  s.screen.write("abc");
  s.start_column = 3;
  s.edit(typed(U"defgh") + std::vector<int>{keys::home, 'Z', keys::right, 'Y', keys::enter});
  EXPECT_EQ(s.line, U"ZdYefgh");
  EXPECT_EQ(s.screen.row(0), U"abc> ZdYef");
  EXPECT_EQ(s.screen.row(1), U"gh");
  EXPECT_EQ(s.screen.cursor_row(), 2);
  EXPECT_EQ(s.screen.cursor_col(), 0);
}

TEST(LineEditor, TypingAtTheEndOfAFullRowMovesToTheNextRow) {
  Session s(10, 10);
  s.edit(typed(U"abcdefgh") + std::vector<int>{keys::enter});
  EXPECT_EQ(s.screen.row(0), U"> abcdefgh");
  EXPECT_EQ(s.screen.row(1), U"");
  EXPECT_EQ(s.screen.cursor_row(), 1);  // the row the cursor waited on holds no text: output goes on there

  Session t(10, 10);
  t.edit(typed(U"abcdefghij") + std::vector<int>{keys::home, 'Z', keys::enter});
  EXPECT_EQ(t.screen.row(0), U"> Zabcdefg");
  EXPECT_EQ(t.screen.row(1), U"hij");
  EXPECT_EQ(t.screen.cursor_row(), 2);
}

TEST(LineEditor, EnterInTheMiddleOfAWrappedLineGoesOnBelowItsLastRow) {
  Session s(10, 10);
  s.edit(typed(U"abcdefghijklmnopq") + std::vector<int>{keys::home, keys::enter});
  EXPECT_EQ(s.screen.row(1), U"ijklmnopq");
  EXPECT_EQ(s.screen.cursor_row(), 2);
  EXPECT_EQ(s.screen.cursor_col(), 0);
}

TEST(LineEditor, WideCharacterInTheLastColumnMovesToTheNextRow) {
  Session s(10, 10);
  // "> " and seven letters leave one column: the wide character goes to the next row whole.
  s.edit(typed(U"abcdefg") + std::vector<int>{0x4E2D, 'x', keys::left, keys::left, 'Y', keys::enter});
  EXPECT_EQ(s.screen.row(0), U"> abcdefgY");
  EXPECT_EQ(s.screen.row(1), U"\u4E2Dx");
}

TEST(LineEditor, WideCharactersOnTwoColumnsFillTheirRows) {
  // A wide character wrapped on a screen two columns wide fills its row: the next character
  // starts a row of its own, and redraws come back to the prompt's row, not above it.
  Session s(2, 10);
  s.screen.write("\r\n\r\n");
  s.edit(std::vector<int>{0x4E2D, 'a', 'b', 0x4E2D, keys::home, 'Z', keys::enter}, U"!");
  EXPECT_EQ(s.screen.row(1), U"");
  EXPECT_EQ(s.screen.row(2), U"!Z");
  EXPECT_EQ(s.screen.row(3), U"\u4E2D");
  EXPECT_EQ(s.screen.row(4), U"ab");
  EXPECT_EQ(s.screen.row(5), U"\u4E2D");
  EXPECT_EQ(s.screen.cursor_row(), 6);
}

TEST(LineEditor, ALongTypedLineShowsAsIfWrittenAtOnce) {
  // Characters typed at the end are counted from where the line ended: wide ones that meet a
  // row's last column, tabs and narrow ones over many rows.
  std::u32string text;
  for (int i = 0; i < 3000; ++i) text += i % 7 == 3 ? U'\u4E2D' : i % 11 == 5 ? U'\t' : char32_t(U'a' + i % 26);
  Session s(23, 400);
  s.edit(typed(text) + std::vector<int>{keys::enter});
  TerminalScreen expected(23, 400);
  std::string all = "> ";
  for (char32_t c : text) c == U'\t' ? void(all += "    ") : unicode::append_utf8(all, c);
  expected.write(all + "\r\n");
  for (int r = 0; r < 400; ++r) ASSERT_EQ(s.screen.row(r), expected.row(r)) << "row " << r;
  EXPECT_EQ(s.screen.cursor_row(), expected.cursor_row());
}

TEST(LineEditor, CursorOnAWrappedWideCharacterIsAtTheStartOfItsRow) {
  editor::Carry carry;
  TerminalScreen screen(10, 10);
  std::vector<int> keys = typed(U"abcdefg") + std::vector<int>{0x4E2D, keys::left};
  size_t next = 0;
  int row = -1, col = -1;
  editor::Hooks hooks;
  hooks.read_key = [&] {
    if (next == keys.size()) row = screen.cursor_row(), col = screen.cursor_col();
    return next < keys.size() ? keys[next++] : keys::failed;
  };
  hooks.write = [&](const std::string& b) { screen.write(b); };
  hooks.size = [](int& c, int& r) { c = 10, r = 10; };
  editor::LineEditor ed(hooks, carry);
  std::u32string line;
  ed.edit(line, U"> ", {}, false);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(col, 0);
}

TEST(LineEditor, TabsShowAsFourSpacesAndPromptColoursTakeNoRoom) {
  Session s;
  // no completion: Tab is inserted, shown as four spaces, stepped over as one character
  s.edit(std::vector<int>{'a', tab, 'b', keys::left, keys::left, 'X', keys::enter});
  EXPECT_EQ(s.line, U"aX\tb");
  EXPECT_EQ(s.screen.row(0), U"> aX    b");

  Session t;
  t.edit(typed(U"ab") + std::vector<int>{keys::home, 'Z', keys::enter}, U"\x1b[31m>\x1b[0m ");
  EXPECT_EQ(t.screen.row(0), U"> Zab");
}

TEST(LineEditor, HiddenInputShowsStars) {
  Session s;
  s.edit(typed(U"secret") + std::vector<int>{keys::left, 'X', keys::enter}, U"pw: ", true);
  EXPECT_EQ(s.line, U"secreXt");
  EXPECT_EQ(s.screen.row(0), U"pw: *******");
}

TEST(LineEditor, CompletionReplacesTheLineOrListsAndCarriesItOver) {
  Session one;
  one.completions = {{U"print x", 5}};
  one.edit(typed(U"pri x") + std::vector<int>{keys::home, ctrl_f, ctrl_f, ctrl_f, tab, 'Z', keys::enter});
  EXPECT_EQ(one.line, U"printZ x");

  Session many;
  many.completions = {{U"pri", 3}, {U"prin", 0}, {U"print", 0}};
  EXPECT_EQ(many.edit(typed(U"pr") + std::vector<int>{tab}), End::listed);
  EXPECT_EQ(many.line, U"");
  EXPECT_EQ(many.screen.row(0), U"> prin print");
  // the next edit starts from the completed line, its cursor where completion left it
  many.completions.clear();
  EXPECT_EQ(many.edit({'n', keys::enter}), End::enter);
  EXPECT_EQ(many.line, U"prin");
  EXPECT_EQ(many.carry.text, U"");
}

}  // namespace
}  // namespace vyn::test
