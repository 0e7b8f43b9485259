// console/line_editor.cpp: the edit loop, the keys and their effects, and the redraw.
#include "console/line_editor.hpp"

#include <algorithm>

#include "core/text/display_width.hpp"
#include "core/text/unicode.hpp"
#include "platform/key_decode.hpp"

namespace vyn::editor {
namespace {

constexpr int ctrl_a = 1, ctrl_b = 2, ctrl_c = 3, ctrl_d = 4, ctrl_e = 5, ctrl_f = 6;
constexpr int backspace = 8, tab = 9, ctrl_k = 11, ctrl_n = 14, ctrl_p = 16, esc = 27, del = 127;

int cell_width(uint32_t cp) {
  if (cp >= 0x1F300 && cp <= 0x1F5FF) return 2;
  return vyn::width::of(cp);
}

// Counts cells into rows: a row is full when its count reaches its width. A wide character
// with one cell left on its row leaves that cell blank and takes two on the next.
struct RowCounter {
  int columns;
  int row_width;
  int count = 0;
  int total = 0;
  void add(int w) {
    if (w == 2 && row_width - count == 1) {
      total += 3;
      row_width = columns - 2;
      count = 0;
      if (row_width <= 0) row_width = columns;  // on two columns the character fills its row
      return;
    }
    total += w;
    count += w;
    if (count >= row_width) {
      row_width = columns;
      count = 0;
    }
  }
};

// An escape sequence from text[i] (an escape): "[" or "(", digits and ";", one more character.
size_t sequence_end(const std::u32string& text, size_t i, size_t to) {
  size_t j = i + 1;
  if (j >= to || (text[j] != U'[' && text[j] != U'(')) return j;
  ++j;
  while (j < to && ((text[j] >= U'0' && text[j] <= U'9') || text[j] == U';')) ++j;
  return std::min(j + 1, to);
}

std::string csi(int n, char final) { return "\x1b[" + std::to_string(n) + final; }

}  // namespace

int LineEditor::text_width(const std::u32string& text, size_t from, size_t to, int first_width,
                           int columns, std::string* out, bool masked) {
  RowCounter rows{columns, first_width};
  to = std::min(to, text.size());
  for (size_t i = from; i < to; ++i) {
    uint32_t cp = text[i];
    if (masked) {
      if (out) *out += '*';
      rows.add(1);
    } else if (cp == U'\t') {
      if (out) *out += "    ";
      for (int k = 0; k < 4; ++k) rows.add(1);
    } else if (cp == 27) {
      size_t end = sequence_end(text, i, to);
      if (out)
        for (size_t k = i; k < end; ++k) unicode::append_utf8(*out, text[k]);
      i = end - 1;
    } else {
      if (out) unicode::append_utf8(*out, cp);
      int w = cell_width(cp);
      if (w > 0) rows.add(w);
    }
  }
  return rows.total;
}

// Moves the terminal's cursor to a cell counted from the prompt's start, with relative moves.
void LineEditor::move_to(int row, int col) {
  if (!pending_wrap_ && term_offset_ == row * columns_ + col) return;
  int now = pending_wrap_ ? term_offset_ / columns_ - 1 : term_offset_ / columns_;
  std::string s;
  if (row < now) s += csi(now - row, 'A');
  if (row > now) s += csi(row - now, 'B');
  s += '\r';
  if (col > 0) s += csi(col, 'C');
  emit(s);
  term_offset_ = row * columns_ + col;
  pending_wrap_ = false;
}

// Places the cursor for its offset a, the end of the line being at b.
void LineEditor::place_cursor(int a, int b) {
  int row = a / columns_, col = a % columns_;
  if (cursor_ < line_->size() && col == columns_ - 1 && cell_width((*line_)[cursor_]) == 2) {
    ++row;
    col = 0;
  }
  if (col == 0 && a == b && a > 0) {
    // The cursor waits at the start of a row the text has not reached: open that row. A blank
    // written past the full row wraps there as the text would, so the rows stay one line for a
    // terminal that rewraps them when it is resized (a line end would split them).
    if (!pending_wrap_ || term_offset_ != b) move_to(row - 1, columns_ - 1);
    emit(pending_wrap_ && term_offset_ == b ? " \r" : "\r\n");
    term_offset_ = b;
    pending_wrap_ = false;
  }
  move_to(row, col);
  last_row_ = b / columns_;
  end_offset_ = b;
}

// Redraws the prompt and the line (full), or only moves the cursor. After an append the
// terminal's cursor already sits at the line's end.
void LineEditor::refresh(bool full) {
  std::string out;
  std::string* to = full ? &out : nullptr;
  const std::u32string& line = *line_;
  int a, b;
  if (!full && appended_ && !escapes_ && cursor_ == line.size()) {
    // Only the character just appended is new: the end moves on from where it was, so that
    // typing (or pasting) a long line costs no more per character than a short one.
    a = b = end_offset_ + text_width(line, line.size() - 1, line.size(), columns_ - end_offset_ % columns_,
                                     columns_, nullptr, hide_);
  } else {
    int x = start_col_ + text_width(prompt_, 0, prompt_.size(), columns_ - start_col_, columns_, to, false);
    a = x + text_width(line, 0, cursor_, columns_ - x % columns_, columns_, to, hide_);
    b = a + text_width(line, cursor_, line.size(), columns_ - a % columns_, columns_, to, hide_);
    escapes_ = line.find(U'\x1b') != std::u32string::npos;
  }
  if (full) {
    if (drawn_) move_to(0, start_col_);
    emit("\x1b[J" + out);
    drawn_ = true;
  }
  if (full || appended_) {
    term_offset_ = b;
    pending_wrap_ = b > 0 && b % columns_ == 0;
    appended_ = false;
  }
  place_cursor(a, b);
}

// The terminal has a new width. It rewraps the rows the prompt and line take, keeping the cursor
// on its character, so the cursor's offset in cells from the prompt's start stays and only the
// rows are counted anew: the redraw goes back to the prompt's start and clears everything after.
void LineEditor::resize() {
  int columns = columns_, rows = rows_;
  if (hooks_.size) hooks_.size(columns, rows);
  if (columns <= 0) columns = 80;
  if (pending_wrap_) --term_offset_;  // it sat on the last cell of the row above
  pending_wrap_ = false;
  columns_ = columns;
  rows_ = rows;
  start_col_ = std::min(start_col_, columns_ - 1);
  if (hooks_.resized) hooks_.resized(columns_, rows_);
  refresh(true);
}

void LineEditor::load_history(int index) {
  *line_ = (*history_)[static_cast<size_t>(index)];
  cursor_ = line_->size();
}

void LineEditor::insert(uint32_t cp) {
  if (cp >= 0xD800 && cp <= 0xDFFF) return;
  bool at_end = cursor_ == line_->size();
  line_->insert(cursor_, 1, static_cast<char32_t>(cp));
  ++cursor_;
  if (at_end) {
    std::string out;
    text_width(*line_, cursor_ - 1, cursor_, columns_, columns_, &out, hide_);
    emit(out);
    appended_ = true;
  }
  refresh(!at_end);
}

// Completion on Tab: answers the number of entries the completion gave.
int LineEditor::complete() {
  if (!hooks_.complete) return 0;
  std::vector<Completed> found = hooks_.complete(*line_, cursor_);
  if (found.empty()) return 0;
  carry_.text = *line_;
  carry_.cursor = cursor_;
  if (found.size() == 1) {
    *line_ = found[0].text;
    cursor_ = std::min(found[0].cursor, line_->size());
  } else {
    carry_.text = found[0].text;
    carry_.cursor = std::min(found[0].cursor, found[0].text.size());
    line_->clear();
    for (size_t i = 1; i < found.size(); ++i) *line_ += found[i].text + U" ";
    cursor_ = line_->size();
  }
  refresh(true);
  return static_cast<int>(found.size());
}

bool LineEditor::erase_back() {
  if (cursor_ == 0) return false;
  line_->erase(--cursor_, 1);
  bool at_end = cursor_ == line_->size();
  refresh(!at_end);
  if (at_end) emit("\x1b[J");
  return true;
}

// One key's effect; answers true when the edit ends, with how in end.
bool LineEditor::act(int key, End& end) {
  std::u32string& line = *line_;
  int count = static_cast<int>(history_->size());
  switch (key) {
    case tab: {
      int n = complete();
      if (n > 1) {
        line.clear();
        end = End::listed;
        return true;
      }
      if (n == 0) insert(U'\t');
      return false;
    }
    case keys::enter:
      carry_ = {};
      end = End::enter;
      return true;
    case backspace: case del: erase_back(); return false;
    case keys::left: case ctrl_b:
      if (cursor_ > 0) --cursor_, refresh(false);
      return false;
    case keys::right: case ctrl_f:
      if (cursor_ < line.size()) ++cursor_, refresh(false);
      return false;
    case keys::up: case ctrl_p:
      if (index_ < count - 1) load_history(++index_);
      else line.clear(), cursor_ = 0;
      refresh(true);
      return false;
    case keys::down: case ctrl_n:
      if (index_ < 0) line.clear(), cursor_ = 0;
      else load_history(index_--);
      refresh(true);
      return false;
    case keys::home: case ctrl_a: cursor_ = 0; refresh(true); return false;
    case keys::end: case ctrl_e: cursor_ = line.size(); refresh(true); return false;
    case keys::del:
      if (cursor_ < line.size()) line.erase(cursor_, 1), refresh(true);
      return false;
    case ctrl_k:
      if (cursor_ < line.size()) line.erase(cursor_), refresh(true);
      return false;
    case ctrl_d:
      if (cursor_ < line.size()) {
        line.erase(cursor_, 1);
        refresh(true);
        return false;
      }
      if (!line.empty()) return false;
      line = U"q";
      end = End::quit;
      return true;
    case ctrl_c:
      line = U"q";
      end = End::quit;
      return true;
    case esc:
      carry_ = {};
      line += U'\x1b';
      end = End::escape;
      return true;
    case keys::failed:
      line = U"q";
      end = End::input_gone;
      return true;
    case keys::resized: resize(); return false;
    default:
      if (key >= 32) insert(static_cast<uint32_t>(key));
      return false;
  }
}

End LineEditor::edit(std::u32string& line, const std::u32string& prompt,
                     const std::vector<std::u32string>& history, bool hide) {
  line_ = &line;
  prompt_ = prompt;
  history_ = &history;
  hide_ = hide;
  index_ = -1;
  drawn_ = false;
  appended_ = false;
  pending_wrap_ = false;
  cursor_ = 0;
  if (hooks_.size) hooks_.size(columns_, rows_);
  if (columns_ <= 0) columns_ = 80;
  start_col_ = hooks_.column ? std::clamp(hooks_.column(), 0, columns_ - 1) : 0;
  term_offset_ = start_col_;
  if (!carry_.text.empty()) {
    line += carry_.text;
    cursor_ = std::min(carry_.cursor, line.size());
  }
  refresh(true);
  End end = End::enter;
  while (!act(hooks_.read_key(), end)) {}
  // Go on below the input's last row, wherever the cursor was in it.
  int last = end_offset_ > 0 && end_offset_ % columns_ == 0 ? end_offset_ / columns_ - 1 : last_row_;
  move_to(last, 0);
  emit("\r\n");
  return end;
}

}  // namespace vyn::editor
