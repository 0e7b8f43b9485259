// platform/console_render.cpp: the console's escape sequences carried out on a terminal. Moves go
// to the terminal as its own relative moves (it clamps them at its edges as the console does);
// what depends on where the cursor is (saving it, the erase runs that do not start at the cursor,
// the dump) uses the model, which asks the terminal when it does not know.
#include "platform/console_render.hpp"

#include <cstdio>

#include "core/text/display_width.hpp"
#include "platform/signals.hpp"
#include "platform/terminal.hpp"

namespace vyn::console_render {
namespace {

using console_seq::Attribute;
using console_seq::Erase;
using console_seq::Op;

struct Model {
  int col = 0, row = 0;  // col == width: the terminal waits to wrap before the next character
  bool known = false;
  bool unanswered = false;  // the terminal did not say where its cursor is: stop asking
  int resizes = -1;
  int saved_col = 0, saved_row = 0;
  bool saved_by_terminal = false;
  Attribute attr;
  int fixed_columns = 0, fixed_rows = 0;  // set by tests
  int columns = 0, rows = 0;              // the size last read, which text is tracked against
};

Model m;

void screen_size(int& columns, int& rows) {
  columns = 80;
  rows = 24;
  if (m.fixed_columns > 0) {
    columns = m.fixed_columns;
    rows = m.fixed_rows;
    return;
  }
  terminal::size(columns, rows);
  if (columns < 1) columns = 1;
  if (rows < 1) rows = 1;
  m.columns = columns;
  m.rows = rows;
}

// Whether the model knows the cursor, asking the terminal when it does not (and can answer).
bool cursor_known() {
  if (m.known || m.unanswered || m.fixed_columns > 0) return m.known;
  terminal::RawMode raw;
  int column, row;
  if (terminal::cursor_position(column, row)) {
    m.col = column;
    m.row = row;
    m.known = true;
  } else {
    m.unanswered = true;
  }
  return m.known;
}

std::string number(int n) { return std::to_string(n); }

std::string cursor_to(int column, int row) {
  return "\x1b[" + number(row + 1) + ";" + number(column + 1) + "H";
}

// Colour bits blue 1, green 2, red 4 as the terminal's colour numbers (red 1, green 2, blue 4).
int ansi_colour(int bits) { return ((bits & 1) << 2) | (bits & 2) | ((bits & 4) >> 2); }

std::string colour(int nibble, bool foreground) {
  int base = foreground ? (nibble & 8 ? 90 : 30) : (nibble & 8 ? 100 : 40);
  return ";" + number(base + ansi_colour(nibble & 7));
}

// The whole rendition, from a reset: the terminal keeps nothing the model does not say.
std::string rendition(Attribute a) {
  int fg = a.word & 0x0F, bg = (a.word >> 4) & 0x0F;
  std::string s = "\x1b[0";
  if (!a.reversed) {
    if (!a.default_fg) s += colour(fg, true);
    else if (fg & 8) s += ";1";
    if (!a.default_bg) s += colour(bg, false);
  } else {  // the terminal swaps its two places back
    s += ";7";
    if (!a.default_bg) s += colour(bg, true);
    if (!a.default_fg) s += colour(fg, false);
  }
  if (a.word & 0x8000) s += ";4";
  return s + "m";
}

// Erased cells take the default colours, not the terminal's current background.
std::string with_default_fill(const std::string& erase) {
  if (m.attr == console_seq::default_attribute) return erase;
  return "\x1b[0m" + erase + rendition(m.attr);
}

std::string erase(Erase kind) {
  int columns, rows;
  screen_size(columns, rows);
  bool known = cursor_known();
  int cx = m.col, cy = m.row;
  switch (kind) {
    case Erase::below:
      return with_default_fill(known && cx >= columns ? "\x1b[2K\x1b[J" : "\x1b[1K\x1b[J");
    case Erase::rows_above:
      if (!known) return with_default_fill("\x1b[1J");
      if (cy == 0) return "";
      return with_default_fill(cursor_to(columns - 1, cy - 1) + "\x1b[1J" + cursor_to(cx < columns ? cx : columns - 1, cy));
    case Erase::all:
      m.col = m.row = 0;
      m.known = true;
      return with_default_fill("\x1b[2J\x1b[H");
    case Erase::line:
      m.col = 0;
      return with_default_fill("\x1b[2K\r");
    case Erase::to_line_end:
      return known && cx >= columns ? "" : with_default_fill("\x1b[K");
    case Erase::line_start:
      m.col = 0;
      if (!known) return with_default_fill("\x1b[1K\r");
      if (cx == 0) return "\r";
      return with_default_fill(cx >= columns ? "\x1b[2K\r" : "\x1b[D\x1b[1K\r");
  }
  return "";
}

std::string move(Op op, uint32_t n) {
  if (n == 0) return "";
  int columns, rows;
  screen_size(columns, rows);
  if (m.col >= columns) m.col = columns - 1;
  int by = static_cast<int>(n);
  if (op == Op::up) m.row = m.row - by < 0 ? 0 : m.row - by;
  if (op == Op::down) m.row = m.row + by > rows - 1 ? rows - 1 : m.row + by;
  if (op == Op::right) m.col = m.col + by > columns - 1 ? columns - 1 : m.col + by;
  if (op == Op::left) m.col = m.col - by < 0 ? 0 : m.col - by;
  const char* final = op == Op::up ? "A" : op == Op::down ? "B" : op == Op::right ? "C" : "D";
  return "\x1b[" + number(by) + final;
}

std::string save() {
  int columns, rows;
  screen_size(columns, rows);
  m.saved_by_terminal = !cursor_known();
  if (m.saved_by_terminal) return "\x1b" "7";
  m.saved_col = m.col < columns ? m.col : columns - 1;
  m.saved_row = m.row;
  return "";
}

std::string restore() {
  if (m.saved_by_terminal) {
    m.known = false;
    return "\x1b" "8" + rendition(m.attr);
  }
  int columns, rows;
  screen_size(columns, rows);
  m.col = m.saved_col < columns ? m.saved_col : columns - 1;
  m.row = m.saved_row < rows ? m.saved_row : rows - 1;
  m.known = true;
  return cursor_to(m.col, m.row);
}

std::string position(uint32_t column, uint32_t row) {
  int columns, rows;
  screen_size(columns, rows);
  m.col = column < static_cast<uint32_t>(columns) ? static_cast<int>(column) : columns - 1;
  m.row = row < static_cast<uint32_t>(rows) ? static_cast<int>(row) : rows - 1;
  m.known = true;
  return cursor_to(m.col, m.row);
}

std::string dump() {
  int columns, rows;
  screen_size(columns, rows);
  bool known = cursor_known();
  char text[512];
  std::snprintf(text, sizeof text,
                "Screen buffer info:\n   size______ %dx%d\n   cursor____ %dx%d\n"
                "   attribute_ %08X %08X\n   left______ 0 top: 0\n   right_____ %d bottom: %d\n"
                "   max_______ %dx%d\n",
                columns, rows, known ? (m.col < columns ? m.col : columns - 1) : 0, known ? m.row : 0,
                m.attr.word, console_seq::default_attribute.word, columns - 1, rows - 1, columns, rows);
  return text;
}

void line_feed(int rows) {
  m.col = 0;  // the terminal's output processing turns a line feed into CR LF
  if (m.row + 1 < rows) ++m.row;
}

}  // namespace

std::string apply(const console_seq::Parsed& p) {
  if (m.fixed_columns == 0 && m.resizes != signals::resize_count()) {  // a new size: ask again
    m.resizes = signals::resize_count();
    m.known = false;
    m.unanswered = false;
  }
  switch (p.op) {
    case Op::none:
    case Op::private_mode: return "";
    case Op::save: return save();
    case Op::restore: return restore();
    case Op::erase: return erase(p.erase);
    case Op::position: return position(p.p1, p.p2);
    case Op::up:
    case Op::down:
    case Op::right:
    case Op::left: return move(p.op, p.p1);
    case Op::attribute:
      m.attr = p.attribute;
      return rendition(m.attr);
    case Op::dump: return dump();
  }
  return "";
}

Attribute attribute() { return m.attr; }

void track(uint32_t cp) {
  if (!m.known) return;
  if (m.columns == 0 || (m.fixed_columns == 0 && m.resizes != signals::resize_count())) {
    m.known = false;  // asked afresh, with the new size, when next needed
    return;
  }
  int columns = m.columns, rows = m.rows;
  if (cp == '\r') m.col = 0;
  else if (cp == '\n' || cp == 11 || cp == 12) line_feed(rows);
  else if (cp == 8) m.col = m.col >= columns ? columns - 2 : (m.col > 0 ? m.col - 1 : 0);
  else if (cp == 9) m.col = m.col >= columns - 1 ? m.col : ((m.col / 8 + 1) * 8 < columns ? (m.col / 8 + 1) * 8 : columns - 1);
  else if (cp == 27 || (cp >= 0x80 && cp < 0xA0)) m.known = false;  // the terminal's own controls
  else if (cp >= 0x20 && cp != 0x7F) {
    int w = width::of(cp);
    if (w == 0) return;
    if (m.col >= columns || m.col + w > columns) line_feed(rows);
    m.col += w;
  }
}

void forget_cursor() {
  if (m.fixed_columns == 0) m.known = false;
}

void reset(int columns, int rows, int column, int row) {
  m = Model{};
  m.fixed_columns = columns;
  m.fixed_rows = rows;
  m.columns = columns;
  m.rows = rows;
  m.col = column;
  m.row = row;
  m.known = columns > 0;
}

}  // namespace vyn::console_render
