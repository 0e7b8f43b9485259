// console/line_editor.hpp: the console's line editor. It shows the prompt, lets the user move,
// insert and delete within a line that may wrap over several rows and hold wide characters,
// recalls history entries, completes through a callback and can mask the input.
//
// It knows the terminal only through its hooks: keys come from read_key, bytes (UTF-8 text and
// ANSI cursor sequences) go to write. The prompt starts where the cursor is (its column comes from
// the column hook); the editor tracks where the terminal's cursor is, counted in cells from the
// start of that row, and moves it with relative sequences.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vyn::editor {

// A line as completion leaves it: its text, and the cursor as a character index.
struct Completed {
  std::u32string text;
  size_t cursor = 0;
};

struct Hooks {
  std::function<int()> read_key;                 // a key code (platform/key_decode.hpp)
  std::function<void(const std::string&)> write;  // bytes for the terminal
  // The completions of the line with its cursor: empty, or the completed line then the candidates.
  std::function<std::vector<Completed>(const std::u32string&, size_t)> complete;
  // The screen size, read again at each edit; columns of 0 or less count as 80.
  std::function<void(int& columns, int& rows)> size;
  // The column the prompt starts at, where the terminal's cursor is when the edit begins (0
  // when absent or unknown): text printed without a line end stays before it.
  std::function<int()> column;
  // Told of the new size when the terminal was resized during the edit (may be absent).
  std::function<void(int columns, int rows)> resized;
};

// How an edit ended.
enum class End {
  enter,   // the line was entered
  listed,  // completion listed candidates: the line is empty, the next edit starts completed
  quit,    // Ctrl-C, or Ctrl-D on an empty line: the line is "q"
  escape,  // Esc: the line ends with the escape character
  input_gone,  // the key source failed or ended
};

// Text carried from one edit to the next (after a completion that listed candidates).
struct Carry {
  std::u32string text;
  size_t cursor = 0;
};

class LineEditor {
 public:
  LineEditor(Hooks hooks, Carry& carry) : hooks_(std::move(hooks)), carry_(carry) {}

  // Edits `line` (normally empty on entry) after showing the prompt. history holds the entries
  // newest first. Leaves the terminal's cursor at column 0 of the row below the input.
  End edit(std::u32string& line, const std::u32string& prompt,
           const std::vector<std::u32string>& history, bool hide);

  size_t cursor() const { return cursor_; }

 private:
  // The cells the characters [from, to) of text take when laid out from a row with first_width
  // cells left, rows laid end to end; their bytes for the terminal go to out when given.
  static int text_width(const std::u32string& text, size_t from, size_t to, int first_width,
                        int columns, std::string* out, bool masked);
  void refresh(bool full);
  void place_cursor(int a, int b);
  void move_to(int row, int col);
  void emit(const std::string& bytes) { hooks_.write(bytes); }
  bool act(int key, End& end);
  void insert(uint32_t cp);
  void resize();
  void load_history(int index);
  int complete();
  bool erase_back();

  Hooks hooks_;
  Carry& carry_;
  std::u32string* line_ = nullptr;
  std::u32string prompt_;
  const std::vector<std::u32string>* history_ = nullptr;
  size_t cursor_ = 0;
  bool hide_ = false;
  int columns_ = 80;
  int rows_ = 24;
  int index_ = -1;
  int start_col_ = 0;     // the prompt's column on its first row
  int last_row_ = 0;
  int term_offset_ = 0;   // where the terminal's cursor is, in cells from the prompt's start
  bool pending_wrap_ = false;  // it sits past the last column of the row above term_offset_
  bool drawn_ = false;
  bool appended_ = false;  // a character was just written at the end of the line
  int end_offset_ = 0;     // the line's end, in cells from the prompt's start
  bool escapes_ = false;   // the line holds an escape character (its sequence counts no cells)
};

}  // namespace vyn::editor
