// A terminal screen for tests of what the console and the line editor print: it applies UTF-8
// text, CR, LF, BS, tab and the sequences a terminal understands (cursor position and moves,
// erases, saved cursor, 16-colour SGR) as a terminal does, with the pending wrap at the last
// column, wide characters taking two cells (moved whole to the next row when one cell is left),
// and each cell's colours kept.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/text/display_width.hpp"

namespace vyn::test {

struct TermCell {
  char32_t ch = U' ';  // 0 in the second cell of a wide character
  int fg = -1, bg = -1;  // -1: the terminal's default; 0-15 the 16 colours
  bool bold = false, underline = false, reverse = false;
};

class TerminalScreen {
 public:
  TerminalScreen(int columns, int rows) : cols_(columns), rows_(rows), cells_(rows, std::vector<TermCell>(columns)) {}

  void write(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
      unsigned char b = static_cast<unsigned char>(bytes[i]);
      if (b == 27) {
        i = escape(bytes, i);
        continue;
      }
      int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      char32_t cp = len == 1 ? b : b & (0x7F >> len);
      for (int k = 1; k < len && i + k < bytes.size(); ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
      i += len;
      put(cp);
    }
  }

  // The row's text without trailing blanks; a wide character's second cell is left out.
  std::u32string row(int r) const {
    std::u32string s;
    for (const TermCell& c : cells_[r])
      if (c.ch != 0) s += c.ch;
    while (!s.empty() && s.back() == U' ') s.pop_back();
    return s;
  }
  const TermCell& at(int column, int row) const { return cells_[row][column]; }
  int cursor_col() const { return col_; }
  int cursor_row() const { return row_; }
  // The cursor-position requests seen, which the test answers.
  int requests() const { return requests_; }

 private:
  void line_feed() {
    if (row_ + 1 < rows_) {
      ++row_;
    } else {
      cells_.erase(cells_.begin());
      cells_.emplace_back(cols_);
    }
  }
  void put(char32_t cp) {
    if (cp == U'\r') { col_ = 0; pending_ = false; return; }
    if (cp == U'\n') { line_feed(); pending_ = false; return; }
    if (cp == 8) { if (col_ > 0) --col_; pending_ = false; return; }
    if (cp == 9) { col_ = std::min(cols_ - 1, (col_ / 8 + 1) * 8); return; }
    if (cp < 32) return;
    int w = width::of(cp);
    if (pending_ || (w == 2 && col_ == cols_ - 1)) {
      col_ = 0;
      line_feed();
      pending_ = false;
    }
    TermCell c = pen_;
    c.ch = cp;
    cells_[row_][col_] = c;
    if (w == 2 && col_ + 1 < cols_) {
      c.ch = 0;
      cells_[row_][col_ + 1] = c;
    }
    col_ += w;
    if (col_ >= cols_) {
      col_ = cols_ - 1;
      pending_ = true;
    }
  }
  void fill(int row, int from, int to) {  // cells [from, to) of a row, with the pen's background
    for (int c = from; c < to && c < cols_; ++c) {
      TermCell blank;
      blank.bg = pen_.reverse ? pen_.fg : pen_.bg;
      cells_[row][c] = blank;
    }
  }
  void sgr(const std::vector<int>& ps) {
    for (int p : ps) {
      if (p == 0) pen_ = TermCell{};
      else if (p == 1) pen_.bold = true;
      else if (p == 4) pen_.underline = true;
      else if (p == 7) pen_.reverse = true;
      else if (p >= 30 && p <= 37) pen_.fg = p - 30;
      else if (p >= 90 && p <= 97) pen_.fg = p - 90 + 8;
      else if (p == 39) pen_.fg = -1;
      else if (p >= 40 && p <= 47) pen_.bg = p - 40;
      else if (p >= 100 && p <= 107) pen_.bg = p - 100 + 8;
      else if (p == 49) pen_.bg = -1;
    }
  }
  void csi(char f, const std::vector<int>& ps) {
    int n = ps.empty() || ps[0] == 0 ? 1 : ps[0];
    int p0 = ps.empty() ? 0 : ps[0];
    pending_ = false;
    switch (f) {
      case 'A': row_ = std::max(0, row_ - n); break;
      case 'B': row_ = std::min(rows_ - 1, row_ + n); break;
      case 'C': col_ = std::min(cols_ - 1, col_ + n); break;
      case 'D': col_ = std::max(0, col_ - n); break;
      case 'H':
      case 'f':
        row_ = std::min(rows_, std::max(1, p0)) - 1;
        col_ = std::min(cols_, std::max(1, ps.size() > 1 ? ps[1] : 1)) - 1;
        break;
      case 'K':
        if (p0 == 0) fill(row_, col_, cols_);
        if (p0 == 1) fill(row_, 0, col_ + 1);
        if (p0 == 2) fill(row_, 0, cols_);
        break;
      case 'J':
        if (p0 == 0) { fill(row_, col_, cols_); for (int r = row_ + 1; r < rows_; ++r) fill(r, 0, cols_); }
        if (p0 == 1) { for (int r = 0; r < row_; ++r) fill(r, 0, cols_); fill(row_, 0, col_ + 1); }
        if (p0 == 2) for (int r = 0; r < rows_; ++r) fill(r, 0, cols_);
        break;
      case 'm': sgr(ps.empty() ? std::vector<int>{0} : ps); break;
      case 'n': if (p0 == 6) ++requests_; break;
      default: break;
    }
  }
  size_t escape(const std::string& s, size_t i) {
    if (i + 1 >= s.size()) return s.size();
    char k = s[i + 1];
    if (k == '7') { saved_col_ = col_; saved_row_ = row_; return i + 2; }
    if (k == '8') { col_ = saved_col_; row_ = saved_row_; pending_ = false; return i + 2; }
    if (k == '(' || k == ')') return std::min(s.size(), i + 3);  // a character set: ESC ( B
    if (k != '[') return i + 2;
    size_t j = i + 2;
    bool priv = j < s.size() && s[j] == '?';
    if (priv) ++j;
    std::vector<int> ps;
    int cur = 0;
    bool any = false;
    for (; j < s.size(); ++j) {
      char c = s[j];
      if (c >= '0' && c <= '9') { cur = cur * 10 + (c - '0'); any = true; continue; }
      if (c == ';') { ps.push_back(cur); cur = 0; any = false; continue; }
      if (any || !ps.empty()) ps.push_back(cur);
      if (priv) private_modes_ += std::string(1, c);
      else csi(c, ps);
      return j + 1;
    }
    return s.size();
  }

  int cols_, rows_;
  std::vector<std::vector<TermCell>> cells_;
  int col_ = 0, row_ = 0, saved_col_ = 0, saved_row_ = 0;
  bool pending_ = false;
  TermCell pen_;
  int requests_ = 0;

 public:
  std::string private_modes_;  // the final characters of the private modes seen
};

}  // namespace vyn::test
