// tests/fuzz/line_editor_fuzz.cpp: libFuzzer target: random key sequences through the console's
// line editor, on a small terminal screen that applies what it writes.
//
// The input picks the screen width, the prompt, the history, what completion answers, and then
// the keys. Every edit must end once the keys run out, leave the cursor inside the line and write
// no cursor move with a bad count; when prompt and line are plain ASCII and the screen is tall
// enough, the screen must show what writing the prompt and the line at once would show.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/line_editor.hpp"
#include "core/text/display_width.hpp"
#include "core/text/unicode.hpp"
#include "platform/key_decode.hpp"
#include "tests/unit/terminal_screen.hpp"

namespace {

using namespace vyn;

void check(bool ok) {
  if (!ok) std::abort();
}

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t byte() { return at < size ? data[at++] : 0; }
};

// Characters of several widths and kinds, so that wrapping meets each.
const char32_t samples[] = {U'a', U'Z', U' ', U'\t', U'\x1b', U'\u00E9', U'\u4E2D', U'\U0001F600',
                            U'\u0301', U'\u200B', U'\U0001F310', U'\uFFFD', U'\u00A0', U'[', U'1', U';'};

// Set once a character was typed or shown that the screen here does not take as a terminal does:
// one of no width (a terminal puts it on the cell before, the screen on the next row when the
// cursor waits at a row's end), or a symbol the editor counts as wide where the tables do not.
bool zero_width_seen = false;

int note_width(int key) {
  int w = key > 0 ? width::of(static_cast<uint32_t>(key)) : 1;
  if (w == 0 || (key >= 0x1F300 && key <= 0x1F5FF && w != 2)) zero_width_seen = true;
  return key;
}

int key_of(uint8_t b, Reader& r) {
  static const int special[] = {keys::up, keys::down, keys::left, keys::right, keys::home, keys::end,
                                keys::del, keys::enter, 9, 8, 127, 1, 2, 5, 6, 11, 14, 16, 4};
  if (b < 0x60) return b >= 0x20 ? b : note_width(static_cast<int>(samples[b % 16]));
  if (b < 0x80) return special[b % (sizeof special / sizeof *special)];
  if (b < 0xC0) return note_width(static_cast<int>(samples[b % 16]));
  if (b < 0xF0) return note_width(0x80 + ((b & 0x0F) << 8 | r.byte()));  // surrogates among them
  return b == 0xFF ? 3 : 27;  // ctrl-c, Esc
}

std::u32string text_of(Reader& r, size_t max) {
  std::u32string s;
  size_t n = r.byte() % (max + 1);
  for (size_t i = 0; i < n; ++i) {
    uint8_t b = r.byte();
    char32_t c = b < 0x80 ? static_cast<char32_t>(0x21 + b % 0x5E) : samples[b % 16];
    s += c == U'\x1b' ? U'x' : c;  // texts hold no escape sequences of their own
    note_width(static_cast<int>(s.back()));
  }
  return s;
}

// Whether every character takes one or two cells the same way for the editor and the screen.
bool checkable(const std::u32string& s) {
  for (char32_t c : s) {
    if (c == U'\t') continue;
    if (c < 0x20 || (c >= 0x1F300 && c <= 0x1F5FF)) return false;
  }
  return true;
}

// The bytes a terminal must have received for the prompt and the line, written at once.
std::string rendered(const std::u32string& prompt, const std::u32string& line, bool hide) {
  std::string out;
  auto put = [&out](char32_t c) {
    if (c == U'\t') out += "    ";
    else unicode::append_utf8(out, c);
  };
  for (char32_t c : prompt) put(c);
  for (char32_t c : line) put(hide ? U'*' : c);
  return out + "\r\n";
}

// Counts in the cursor sequences written are positive and small enough for the screen.
void sane_output(const std::string& bytes, int columns) {
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] != 27 || bytes[i + 1] != '[') continue;
    size_t j = i + 2;
    long n = 0;
    while (j < bytes.size() && bytes[j] >= '0' && bytes[j] <= '9') n = n * 10 + (bytes[j++] - '0');
    check(j < bytes.size() && bytes[j] != '-');
    if (bytes[j] == 'C') check(n > 0 && n < columns);
    if (bytes[j] == 'A' || bytes[j] == 'B') check(n > 0);
  }
}

bool same_screen(const test::TerminalScreen& a, const test::TerminalScreen& b, int rows) {
  for (int r = 0; r < rows; ++r)
    if (a.row(r) != b.row(r)) return false;
  return a.cursor_row() == b.cursor_row() && a.cursor_col() == b.cursor_col();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  Reader r{data, size};
  zero_width_seen = false;
  int columns = 1 + r.byte() % 40;  // the screen needs two columns for a wide character
  constexpr int rows = 200;
  std::u32string prompt = text_of(r, 12);
  std::vector<std::u32string> history;
  for (int i = r.byte() % 4; i > 0; --i) history.push_back(text_of(r, 30));
  std::vector<editor::Completed> completions;
  for (int i = r.byte() % 4; i > 0; --i) {
    std::u32string t = text_of(r, 20);
    completions.push_back({t, r.byte() % 24u});
  }
  bool hide = r.byte() % 5 == 0;
  editor::Carry carry;
  for (int edit = 0; edit < 3 && r.more(); ++edit) {
    // The prompt starts a few rows down, so that a cursor sent too far up is not stopped by the
    // screen's top.
    const std::string above = "\r\n\r\n\r\n";
    test::TerminalScreen screen(columns, rows);
    if (columns > 1) screen.write(above);
    std::string written;
    size_t keys_read = 0;
    editor::Hooks hooks;
    hooks.read_key = [&]() -> int {
      if (++keys_read > 600 || !r.more()) return keys::failed;
      uint8_t b = r.byte();
      return key_of(b, r);
    };
    hooks.write = [&](const std::string& s) {
      written += s;
      if (columns > 1) screen.write(s);
    };
    hooks.size = [&](int& c, int& rw) { c = columns, rw = rows; };
    hooks.complete = [&](const std::u32string&, size_t) { return completions; };
    editor::LineEditor ed(hooks, carry);
    std::u32string line;
    editor::End end = ed.edit(line, prompt, history, hide);
    if (end == editor::End::enter) check(ed.cursor() <= line.size());
    sane_output(written, columns);
    bool fits = static_cast<int>(prompt.size() + line.size()) * 4 < (rows - 2) * columns;
    if (end == editor::End::enter && columns > 1 && fits && !zero_width_seen && checkable(prompt) && checkable(line)) {
      test::TerminalScreen expected(columns, rows);
      expected.write(above + rendered(prompt, line, hide));
      check(same_screen(screen, expected, rows));
    }
  }
  return 0;
}
