// boot/routines_console.cpp: the routines the language calls into the terminal layer: the line
// and history an edit works on, the edit itself (or one line of redirected input), and standard
// input's lines and bytes for scripts.
#include <algorithm>
#include <string>
#include <vector>

#include "boot/routine_bodies.hpp"
#include "console/line_editor.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/roots.hpp"
#include "core/series.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "platform/signals.hpp"
#include "platform/terminal.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/numbers/pair.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/text/url.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::natives {
bool last_lf();  // print and prin keep it: whether the last text they wrote ended its line
}  // namespace vyn::natives

namespace vyn::boot::bodies {
namespace {

// Where the prompt starts: the terminal is asked only when the last text printed did not end its
// line, as a line end leaves the cursor at the left edge.
int prompt_column() { return natives::last_lf() ? 0 : std::max(0, terminal::cursor_column()); }

// The caller's line and history, as _set-buffer-history received them; the collector keeps
// what they refer to.
struct EditTarget {
  Cell line = make_none();
  Cell history = make_none();
};
EditTarget target;
editor::Carry carry;
bool input_ended = false;

void mark_target(void*) {
  gc::mark_cell(target.line);
  gc::mark_cell(target.history);
}

bool char_series(const Cell& c) {
  return c.is(Type::string) || c.is(Type::file) || c.is(Type::url);
}

// The whole text of a character series, from the start of its buffer.
std::u32string whole_text(const Cell& s) {
  std::u32string out;
  NodeId node = series_node(s);
  int32_t n = string::length_total(s);
  for (int32_t i = 0; i < n; ++i) out += static_cast<char32_t>(string::char_at(node, static_cast<uint32_t>(i)));
  return out;
}

// The text from the head.
std::u32string text_from_head(const Cell& s) {
  std::u32string all = whole_text(s);
  size_t head = static_cast<size_t>(std::max(series_head(s), 0));
  return head < all.size() ? all.substr(head) : std::u32string();
}

// Replaces the text of the caller's string, its head going back to the start.
void store_line(const std::u32string& text) {
  string::clear(target.line);
  NodeId node = series_node(target.line);
  for (char32_t cp : text) string::append_char(node, static_cast<uint32_t>(cp));
}

std::vector<std::u32string> history_entries() {
  std::vector<std::u32string> out;
  if (!target.history.is(Type::block)) return out;
  int32_t n = block::vs_length(target.history);
  for (int32_t i = 0; i < n; ++i) {
    Cell entry = *block::vs_abs_at(target.history, series_head(target.history) + i);
    out.push_back(char_series(entry) ? text_from_head(entry) : std::u32string());
  }
  return out;
}

// The entered line joins the history at its head, as the very string ask returns, unless it is
// masked, empty, or the same as the newest entry.
void add_to_history(const std::u32string& line, const std::vector<std::u32string>& entries,
                    bool hidden) {
  if (hidden || line.empty() || !target.history.is(Type::block)) return;
  if (!entries.empty() && entries[0] == line) return;
  block::insert_cell(target.history, target.line, false, false);
}

// The entries of the block that completion answered: each text and its head index.
std::vector<editor::Completed> completed_entries(const Cell& result) {
  std::vector<editor::Completed> out;
  if (!result.is(Type::block)) return out;
  int32_t n = block::vs_length(result);
  for (int32_t i = 0; i < n; ++i) {
    Cell entry = *block::vs_abs_at(result, series_head(result) + i);
    if (!char_series(entry)) continue;
    out.push_back({whole_text(entry), static_cast<size_t>(std::max(series_head(entry), 0))});
  }
  return out;
}

// The completions of the line through the language's completion function; none when it is
// missing, fails or ends the evaluation another way. It runs behind a try/all barrier, so that
// no break, return or throw leaves it for the frames of the code that asked for the line.
std::vector<editor::Completed> complete(const std::u32string& line, size_t cursor) {
  std::vector<editor::Completed> out;
  Cell name = predefined::word(predefined::W::vyn_complete_input);
  Cell* fn = word::value_cell(name);
  if (!fn || !fn->is(Type::function)) return out;
  Cell* top = stack::top();
  int depth = stack::frame_depth();
  try {
    stack::mark_try_all(&name);
    Cell* callable = stack::push(*fn);  // the value's cell may move once anything allocates
    Cell* args = stack::push_unset();
    stack::push(make_logic(true));
    string::make_at(args, static_cast<uint32_t>(line.size()) + 1);
    for (char32_t cp : line) string::append_char(series_node(*args), static_cast<uint32_t>(cp));
    set_series_head(*args, cursor);
    if (interp::call_with(*callable, args, 2, name) == Flow::normal)
      out = completed_entries(*stack::last_value());  // reads only: nothing moves meanwhile
  } catch (const Raised&) {
  } catch (const Exit&) {
  }
  stack::catch_error_at(depth, top);
  return out;
}

// One line of redirected input, without its line feed; a carriage return before it stays.
std::u32string stdin_line(bool& ended) {
  std::u32string line;
  ended = false;
  for (;;) {
    int32_t cp = terminal::read_utf8_char();
    if (cp < 0) {
      ended = line.empty();
      return line;
    }
    if (cp == '\n') return line;
    line += static_cast<char32_t>(cp);
  }
}

// A resize while keys are read is the console's new size at once, as the next command sees it.
// A width of 0 or less counts as 80.
void console_size(int columns, int rows) {
  uint32_t console_sym = predefined::symbol(predefined::S::console), size_sym = predefined::symbol(predefined::S::size);
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  if (!system.is(Type::object) || rows <= 0) return;
  Cell* console = context::value_cell_of(object::context(system), console_sym);
  if (!console || !console->is(Type::object)) return;
  if (Cell* size = context::value_cell_of(object::context(*console), size_sym))
    *size = pair::make(columns > 0 ? columns : 80, rows);
}

void edit_on_terminal(const Cell& prompt, bool hidden) {
  // A completion function may ask for a line of its own, which sets and then clears the target:
  // this edit's line and history are kept here and come back once the editor returns.
  Root line_cell(target.line), history_cell(target.history);
  terminal::RawMode raw;
  editor::Hooks hooks;
  hooks.read_key = terminal::read_key;
  hooks.write = terminal::write;
  hooks.size = terminal::size;
  hooks.column = prompt_column;
  hooks.complete = complete;
  hooks.resized = console_size;
  editor::LineEditor ed(hooks, carry);
  std::vector<std::u32string> entries = history_entries();
  std::u32string line = text_from_head(target.line);
  editor::End end = ed.edit(line, text_from_head(prompt), entries, hidden);
  target = EditTarget{*line_cell, *history_cell};
  gc::add_mark_callback(mark_target);
  store_line(line);
  if (end == editor::End::input_gone) input_ended = true;
  if (end == editor::End::enter) add_to_history(line, entries, hidden);
}

}  // namespace

// The cells are kept (and marked) from here until the edit that uses them ends.
void set_buffer_history(Invocation& inv) {
  gc::add_mark_callback(mark_target);
  target.line = *arg_cell(inv, 0);
  target.history = *arg_cell(inv, 1);
}

void read_input(Invocation& inv) {
  struct Release {
    ~Release() {
      gc::remove_mark_callback(mark_target);
      target = EditTarget{};
    }
  } release;
  if (!target.line.is(Type::string)) return;
  input_ended = false;  // it tells of this read: an end met by a script's earlier read is over
  if (terminal::input_is_terminal()) {
    edit_on_terminal(*arg_cell(inv, 0), inv.args[1].i != 0);
  } else {
    bool ended = false;
    std::u32string line = stdin_line(ended);
    if (ended) input_ended = true;
    store_line(line);
  }
  // a termination request ends the read: the settings are saved and the process ends here
  signals::poll();
}

void input_ended_q(Invocation& inv) { *inv.result = make_logic(input_ended); }

// The console evaluates the user's code on top of its own calls, which error traces leave out:
// given none, the calls under this one become the floor; given an integer, that floor comes back.
void trace_floor(Invocation& inv) {
  int before = stack::trace_floor();
  Cell* floor = arg_cell(inv, 0);
  if (floor->is(Type::integer)) stack::set_trace_floor(floor->int_value());
  else stack::set_trace_floor(stack::frame_depth());
  *inv.result = make_integer(before);
}

void terminate_console(Invocation&) {}

// The terminal's size in character cells when standard input is one and the size can be read;
// none otherwise. A width of 0 or less counts as 80.
void terminal_size(Invocation& inv) {
  *inv.result = make_none();
  if (!terminal::input_is_terminal()) return;
  int columns = 0, rows = 0;
  terminal::size(columns, rows);
  if (rows <= 0) return;
  *inv.result = pair::make(columns > 0 ? columns : 80, rows);
}

void terminal_title(Invocation& inv) { terminal::set_title(url::utf8_of(*arg_cell(inv, 0), -1)); }

void input_stdin(Invocation& inv) {
  bool ended = false;
  std::u32string line = stdin_line(ended);
  if (ended) input_ended = true;
  Cell* s = string::make_at(inv.result, 256);
  for (char32_t cp : line) string::append_char(series_node(*s), static_cast<uint32_t>(cp));
}

// Appends up to buflen bytes of standard input at the buffer's tail, making room for them first.
void read_stdin(Invocation& inv) {
  Cell* buffer = arg_cell(inv, 0);
  int32_t want = inv.args[1].i;
  if (want < 0) fire(Err::script_out_of_range, {make_integer(want)});
  if (want == 0) return;
  NodeId node = series_node(*buffer);
  SeriesBuffer* b = buffer_of(node);
  uint32_t need = b->tail + static_cast<uint32_t>(want);
  if (need > b->size) b = alloc::expand_series_copy(node, (need + 15) / 16 * 16);
  size_t got = terminal::read_some(b->data() + b->tail, static_cast<size_t>(want));
  if (got == 0) input_ended = true;
  buffer_of(node)->tail += static_cast<uint32_t>(got);
}

}  // namespace vyn::boot::bodies
