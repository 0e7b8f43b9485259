// A small terminal screen for the line editor's tests: it applies the bytes the editor writes
// (UTF-8 text, CR, LF and the cursor sequences it uses) the way a terminal does, with the pending
// wrap at the last column and wide characters moved whole to the next row.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/text/display_width.hpp"

namespace vyn::test {

class Screen {
 public:
  Screen(int columns, int rows) : cols_(columns), rows_(rows), cells_(rows, std::u32string(columns, U' ')) {}

  void write(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
      unsigned char b = static_cast<unsigned char>(bytes[i]);
      if (b == 27) {
        i = sequence(bytes, i);
        continue;
      }
      int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      char32_t cp = len == 1 ? b : b & (0x7F >> len);
      for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
      i += len;
      put(cp);
    }
  }

  // The row's text without trailing blanks; a wide character's second cell is left out.
  std::u32string row(int r) const {
    std::u32string s;
    for (char32_t c : cells_[r])
      if (c != 0) s += c;
    while (!s.empty() && s.back() == U' ') s.pop_back();
    return s;
  }
  int cursor_row() const { return row_; }
  int cursor_col() const { return col_; }

 private:
  void line_feed() {
    if (row_ + 1 < rows_) {
      ++row_;
    } else {
      cells_.erase(cells_.begin());
      cells_.emplace_back(cols_, U' ');
    }
  }
  void put(char32_t cp) {
    if (cp == U'\r') { col_ = 0; pending_ = false; return; }
    if (cp == U'\n') { line_feed(); pending_ = false; return; }
    int w = width::of(cp);
    if (pending_ || (w == 2 && col_ == cols_ - 1)) {
      col_ = 0;
      line_feed();
      pending_ = false;
    }
    cells_[row_][col_] = cp;
    if (w == 2) cells_[row_][col_ + 1] = 0;
    col_ += w;
    if (col_ >= cols_) {
      col_ = cols_ - 1;
      pending_ = true;
    }
  }
  size_t sequence(const std::string& s, size_t i) {
    if (i + 1 < s.size() && s[i + 1] != '[') return std::min(s.size(), i + 3);  // ESC ( x
    size_t j = i + 2;  // after ESC [
    int n = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') n = n * 10 + (s[j++] - '0');
    char f = s[j];
    pending_ = false;
    if (f == 'A') row_ = std::max(0, row_ - n);
    if (f == 'B') row_ = std::min(rows_ - 1, row_ + n);
    if (f == 'C') col_ = std::min(cols_ - 1, col_ + n);
    if (f == 'J') {
      for (int c = col_; c < cols_; ++c) cells_[row_][c] = U' ';
      for (int r = row_ + 1; r < rows_; ++r) cells_[r].assign(cols_, U' ');
    }
    return j + 1;
  }

  int cols_, rows_;
  std::vector<std::u32string> cells_;
  int row_ = 0, col_ = 0;
  bool pending_ = false;
};

}  // namespace vyn::test
