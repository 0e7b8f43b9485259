// view/tui/screen/text_layout.cpp: text into cells: clipping, wrapping, double-width characters, and the
// SGR sequences a text may carry; measuring text in display columns.
#include "view/tui/screen/text_layout.hpp"

#include "core/text/display_width.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::tui {
namespace {

constexpr uint32_t attr_bits = 0xFFF;
constexpr char32_t esc = 0x1B;

// SGR 1-9 and 21-29: the attribute each sets or clears (0: none).
uint32_t sgr_attribute(int n) {
  static const uint32_t bits[10] = {0,          attr::bold,  attr::dim, attr::italic,
                                    attr::underline, attr::blink, 0,      attr::reverse,
                                    attr::hidden,    attr::strike};
  return n >= 0 && n <= 9 ? bits[n] : 0;
}

void apply_sgr(Style& s, int n) {
  if (n == 0) {
    s.fg = s.bg = 0;
    s.attrs = 0;
  } else if (n >= 1 && n <= 9) {
    s.attrs |= sgr_attribute(n);
  } else if (n >= 21 && n <= 29) {
    s.attrs &= ~sgr_attribute(n - 20);
  } else if ((n >= 30 && n <= 37) || n == 39) {
    s.fg = color::basic(n - 30);
  } else if ((n >= 40 && n <= 47) || n == 49) {
    s.bg = color::basic(n - 40);
  } else if (n >= 90 && n <= 95) {
    s.fg = color::basic(n - 80);
  } else if (n >= 100 && n <= 105) {
    s.bg = color::basic(n - 90);
  } else if (n == 96 || n == 97) {  // bright cyan and white have no basic entry: palette 14, 15
    s.fg = color::palette(n - 82);
  } else if (n == 106 || n == 107) {
    s.bg = color::palette(n - 92);
  }
}

void apply_params(Style& s, const int* p, int count) {
  if (count == 3 && (p[0] == 38 || p[0] == 48)) {
    if (p[1] == 5) (p[0] == 38 ? s.fg : s.bg) = color::palette(p[2]);
    return;  // 38;2;... is not read as true colour here
  }
  for (int i = 0; i < count; ++i)
    if (p[i] != 38 && p[i] != 48) apply_sgr(s, p[i]);
}

// Consumes the escape sequence starting at text[i] (an ESC) and applies it; answers the index
// after it. Parameters beyond the third are read but ignored; a byte that can neither continue
// nor end a sequence ends it unread.
size_t consume_escape(std::u32string_view text, size_t i, Style& s) {
  ++i;
  if (i >= text.size() || text[i] != U'[') return i;
  ++i;
  int params[3] = {0, 0, 0};
  int count = 0;
  bool digits = false;
  for (; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= U'0' && c <= U'9') {
      if (count < 3 && params[count] < 100000) params[count] = params[count] * 10 + int(c - U'0');
      digits = true;
    } else if (c == U';') {
      ++count;
      digits = false;
    } else if (c >= 0x20 && c <= 0x3F) {
      continue;  // private-mode and intermediate bytes: consumed
    } else if (c >= 0x40 && c <= 0x7E) {
      if (c == U'm') apply_params(s, params, std::min(count + (digits ? 1 : 0), 3));
      return i + 1;
    } else {
      return i;
    }
  }
  return i;
}

// Control characters would move the terminal's cursor or start sequences of their own.
char32_t shown(char32_t c) { return (c < 0x20 || (c >= 0x7F && c < 0xA0)) ? U' ' : c; }

struct Pen {
  CellBuffer& buf;
  const Rect& clip;
  int x0, col, row;
  bool wrap;
  bool done() const { return row >= clip.y2; }
  void newline() { col = x0, ++row; }
  // Places a character of width w; answers false when the rest of the line is to be skipped.
  bool put(ScreenCell cell, int w) {
    if (col + w > clip.x2) {
      if (!wrap) return false;
      if (col == x0) return true;  // wider than the whole line: dropped
      newline();
      if (done()) return true;
      if (col + w > clip.x2) return false;
    }
    if (col >= clip.x1 && row >= clip.y1 && buf.contains(col, row)) {
      buf.at(col, row) = cell;
      if (w == 2 && buf.contains(col + 1, row)) {
        ScreenCell cont = cell;
        cont.cp = 0;
        cont.attrs |= attr::continuation;
        buf.at(col + 1, row) = cont;
      }
    }
    col += w;
    return true;
  }
};

template <typename Next>
void place(CellBuffer& buf, size_t n, int x, int y, const Rect& clip, bool wrap, Next next) {
  Pen pen{buf, clip, x, x, y, wrap};
  bool skipping = false;
  for (size_t i = 0; i < n && !pen.done();) {
    ScreenCell cell;
    int w = 0;
    i = next(i, cell, w);
    if (w < 0) continue;  // consumed without a character
    if (cell.cp == U'\n') {
      pen.newline();
      skipping = false;
    } else if (!skipping && w > 0 && !pen.put(cell, w)) {
      skipping = true;
    }
  }
}

}  // namespace

int char_width(uint32_t cp) { return width::of(cp); }

std::u32string text_of(const Cell& str) {
  std::u32string out;
  if (!series::is_char_series(str.type())) return out;
  int32_t n = string::length(str);
  int32_t head = series_head(str);
  out.reserve(n > 0 ? n : 0);
  for (int32_t i = 0; i < n; ++i) out.push_back(string::char_at(series_node(str), head + i));
  return out;
}

void draw_text(CellBuffer& buf, std::u32string_view text, int x, int y, const Rect& clip,
               Style style, uint32_t flags) {
  bool escapes = flags & render::escapes;
  uint32_t extra = flags & attr_bits;
  place(buf, text.size(), x, y, clip, style.align & align::wrap,
        [&](size_t i, ScreenCell& cell, int& w) {
          if (escapes && text[i] == esc) {
            w = -1;
            return consume_escape(text, i, style);
          }
          char32_t c = text[i] == U'\n' ? U'\n' : shown(text[i]);
          cell = {static_cast<int32_t>(c), style.bg, style.fg, style.attrs | extra};
          w = c == U'\n' ? 0 : char_width(c);
          return i + 1;
        });
}

void draw_cells(CellBuffer& buf, const std::vector<ScreenCell>& cells, int x, int y,
                const Rect& clip, uint32_t flags) {
  uint32_t extra = flags & attr_bits;
  place(buf, cells.size(), x, y, clip, false, [&](size_t i, ScreenCell& cell, int& w) {
    cell = cells[i];
    if (cell.cp != U'\n') cell.cp = static_cast<int32_t>(shown(static_cast<char32_t>(cell.cp)));
    cell.attrs |= extra;
    w = cell.cp == U'\n' ? 0 : char_width(static_cast<uint32_t>(cell.cp));
    return i + 1;
  });
}

TextSize text_size(std::u32string_view text) {
  TextSize s;
  int line = 0;
  for (char32_t c : text) {
    if (s.lines == 0) s.lines = 1;
    ++s.chars;
    if (c == U'\n') {
      ++s.lines;
      line = 0;
      continue;
    }
    line += char_width(c);
    if (line > s.width) s.width = line;
  }
  return s;
}

TextSize measure_text(std::u32string_view text, int max_width) {
  TextSize s;
  int line = 0;
  for (char32_t c : text) {
    if (s.lines == 0) s.lines = 1;
    if (c == U'\n') {
      ++s.lines, ++s.chars;
      line = 0;
      continue;
    }
    int w = char_width(c);
    if (line + w > max_width) break;
    line += w;
    ++s.chars;
    if (line > s.width) s.width = line;
  }
  return s;
}

TextSize measure_wrapped(std::u32string_view text, int width) {
  TextSize s;
  int line = 0;
  for (char32_t c : text) {
    if (s.lines == 0) s.lines = 1;
    if (c == U'\n') {
      ++s.lines;
      line = 0;
    } else {
      int w = char_width(c);
      if (line + w > width) {
        if (line == 0) break;  // not even one character fits
        ++s.lines;
        line = 0;
      }
      line += w;
      if (line > s.width) s.width = line;
    }
    ++s.chars;
  }
  return s;
}

}  // namespace vyn::tui
