// view/tui/screen/ansi_out.cpp: one frame of text and SGR sequences from the cell buffer, written in one
// write; the colour and attribute sequences; the 256-colour palette mapping.
#include "view/tui/screen/ansi_out.hpp"

#include <algorithm>
#include <cstdio>

#include "core/text/display_width.hpp"
#include "core/text/unicode.hpp"
#include "view/tui/screen/console_mode.hpp"

namespace vyn::tui {
namespace {

constexpr const char* esc = "\x1b[";

void append_number(std::string& out, int n) { out += std::to_string(n); }

void append_seq(std::string& out, const char* body) {
  out += esc;
  out += body;
}

void append_seq(std::string& out, int n, char final) {
  out += esc;
  append_number(out, n);
  out += final;
}

int basic_code(int index, bool foreground) {
  if (index < 8) return (foreground ? 30 : 40) + index;
  if (index == 8) return 0;
  if (index == 9) return foreground ? 39 : 49;
  return (foreground ? 90 : 100) + index - 10;
}

// One attribute switched with its on and off codes.
void toggle(std::string& out, uint32_t prev, uint32_t next, uint32_t bit, int on, int off) {
  if ((prev & bit) == (next & bit)) return;
  append_seq(out, (next & bit) ? on : off, 'm');
}

bool wide_at(const CellBuffer& buf, int x, int y) {
  const ScreenCell& c = buf.at(x, y);
  return !(c.attrs & attr::continuation) && width::of(static_cast<uint32_t>(c.cp)) == 2;
}

// What a cell writes. A double-width character whose right half was drawn over, and a right half
// whose character was drawn over, are written as a space: every row keeps its width.
uint32_t shown_char(const CellBuffer& buf, int x, int y) {
  const ScreenCell& c = buf.at(x, y);
  if (c.attrs & attr::masked) return '*';
  if (c.cp == 0 || (c.attrs & attr::continuation)) return ' ';
  bool whole = x + 1 < buf.width() && (buf.at(x + 1, y).attrs & attr::continuation);
  if (wide_at(buf, x, y) && !whole) return ' ';
  return static_cast<uint32_t>(c.cp);
}

int cube_level(int c) { return c < 48 ? 0 : c <= 114 ? 1 : (c - 35) / 40; }

int distance(uint32_t a, int r, int g, int b) {
  int dr = int((a >> 16) & 0xFF) - r, dg = int((a >> 8) & 0xFF) - g, db = int(a & 0xFF) - b;
  return dr * dr + dg * dg + db * db;
}

}  // namespace

FrameState& frame() {
  static FrameState state;
  return state;
}

uint32_t palette_rgb(int index) {
  static const uint32_t system[16] = {0x000000, 0xcd0000, 0x00cd00, 0xcdcd00, 0x0000ee, 0xcd00cd,
                                      0x00cdcd, 0xe5e5e5, 0x7f7f7f, 0xff0000, 0x00ff00, 0xffff00,
                                      0x5c5cff, 0xff00ff, 0x00ffff, 0xffffff};
  static const int levels[6] = {0, 95, 135, 175, 215, 255};
  index &= 0xFF;
  if (index < 16) return system[index];
  if (index >= 232) {
    uint32_t v = 8 + 10 * (index - 232);
    return v << 16 | v << 8 | v;
  }
  int i = index - 16;
  return uint32_t(levels[i / 36]) << 16 | uint32_t(levels[i / 6 % 6]) << 8 | levels[i % 6];
}

uint32_t rgb_to_256(uint32_t rgb) {
  if ((rgb >> 24) == 0xFF) return 0;
  int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  int cube = 16 + 36 * cube_level(r) + 6 * cube_level(g) + cube_level(b);
  int mean = (r + g + b) / 3;
  int grey = 232 + (mean < 239 ? std::max(0, (mean - 3) / 10) : 23);
  int pick = distance(palette_rgb(cube), r, g, b) < distance(palette_rgb(grey), r, g, b) ? cube : grey;
  return color::palette(pick);
}

void emit_color(std::string& out, uint32_t c, bool foreground) {
  out += esc;
  switch (color::kind(c)) {
    case color::kind_basic: append_number(out, basic_code(c & 0xF, foreground)); break;
    case color::kind_palette:
      out += foreground ? "38;5;" : "48;5;";
      append_number(out, c & 0xFF);
      break;
    case color::kind_rgb: {
      char text[24];
      std::snprintf(text, sizeof text, "%s;2;%u;%u;%u", foreground ? "38" : "48",
                    (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
      out += text;
      break;
    }
    default: out += foreground ? "39" : "49";
  }
  out += 'm';
}

void emit_attributes(std::string& out, const ScreenCell& previous, const ScreenCell& next) {
  uint32_t prev = previous.attrs, want = next.attrs;
  // ESC "[22m" ends bold and dim together: whichever stays on is switched on again.
  if (((prev & attr::dim) && !(want & attr::dim)) || ((prev & attr::bold) && !(want & attr::bold))) {
    append_seq(out, 22, 'm');
    prev &= ~(attr::dim | attr::bold);
  }
  toggle(out, prev, want, attr::dim, 2, 22);
  toggle(out, prev, want, attr::reverse, 7, 27);
  toggle(out, prev, want, attr::bold, 1, 22);
  toggle(out, prev, want, attr::italic, 3, 23);
  toggle(out, prev, want, attr::strike, 9, 29);
  toggle(out, prev, want, attr::underline, 4, 24);
  if (previous.fg != next.fg) emit_color(out, next.fg, true);
  if (previous.bg != next.bg) emit_color(out, next.bg, false);
}

bool build_frame(const CellBuffer& buf, bool caret) {
  FrameState& f = frame();
  f.bytes.clear();
  if (buf.empty()) return false;
  if (f.fullscreen) {
    append_seq(f.bytes, "H");
  } else {
    f.bytes += '\r';
    if (f.ui_rows > 0) append_seq(f.bytes, f.ui_rows, 'A');
    append_seq(f.bytes, "0J");
  }
  ScreenCell prev;
  for (int y = 0; y < buf.height(); ++y) {
    for (int x = 0; x < buf.width(); ++x) {
      const ScreenCell& c = buf.at(x, y);
      if ((c.attrs & attr::continuation) && x > 0 && wide_at(buf, x - 1, y)) continue;
      emit_attributes(f.bytes, prev, c);
      unicode::append_utf8(f.bytes, shown_char(buf, x, y));
      prev = c;
    }
    if (y + 1 < buf.height()) {
      prev.bg = 0;
      append_seq(f.bytes, "49m\r\n");
    }
  }
  emit_attributes(f.bytes, prev, ScreenCell{});
  // A caret on a row the console cannot show (the window is taller than it) is no caret: the next
  // frame would start that many rows up, above the interface.
  if (caret && f.caret_col >= 0 && f.caret_row >= 0 && f.caret_row < buf.height()) {
    f.bytes += '\r';
    int up = buf.height() - (f.caret_row + 1);
    if (up > 0) append_seq(f.bytes, up, 'A');
    if (f.caret_col > 0) append_seq(f.bytes, f.caret_col, 'C');
    f.ui_rows = f.caret_row;
  } else {
    f.ui_rows = buf.height() - 1;
  }
  return true;
}

void write_frame(bool caret) {
  FrameState& f = frame();
  if (!build_frame(buffer(), caret)) return;
  write_console(f.bytes);
  f.bytes.clear();
  f.inline_drawn = true;
  f.redraw_needed = false;
}

void erase_inline_ui() {
  FrameState& f = frame();
  if (!f.inline_drawn) return;
  // The erase is written even when the cursor sits on the interface's first row (no rows above):
  // otherwise the output would be printed over a stale interface.
  std::string out = "\r";
  if (f.ui_rows > 0) append_seq(out, f.ui_rows, 'A');
  append_seq(out, "0J");
  write_console(out);
  f.ui_rows = 0;
  f.inline_drawn = false;
}

void leave_inline_ui() {
  FrameState& f = frame();
  if (console().alternate_screen) set_alternate_screen(false);
  if (f.inline_drawn && !f.fullscreen) {
    cursor_down(buffer().height() - 1 - f.ui_rows);  // from the caret row to the last row
    write_console("\r\n");
  }
  set_cursor_visible(true);
  f.inline_drawn = false;
  f.ui_rows = 0;
}

}  // namespace vyn::tui
