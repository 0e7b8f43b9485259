// boot/routines_system.cpp: the routines over the process, quiet assignment, the console's line
// state, the value stack and the call frames, tracing and standard output.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boot/routine_bodies.hpp"
#include "core/error.hpp"
#include "core/text/file_names.hpp"
#include "core/text/unicode.hpp"
#include "core/series.hpp"
#include "values/frames.hpp"
#include "eval/front_ends.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "platform/console_out.hpp"
#include "platform/terminal.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/word.hpp"
#include "view/tui/input/event_loop.hpp"

namespace vyn::natives {
bool last_lf();  // print and prin keep it: whether the last text they wrote ended its line
}  // namespace vyn::natives

namespace vyn::boot::bodies {
namespace {

[[noreturn]] void refuse(const Invocation& inv, const char* routine_name, const char* arg_name) {
  fire(Err::script_expect_arg,
       {word::load(routine_name), make_datatype(arg_cell(inv, 0)->type()), word::load(arg_name)});
}

bool slot_series(Type t) {
  return t == Type::block || t == Type::paren || t == Type::path || t == Type::lit_path ||
         t == Type::set_path || t == Type::get_path;
}

// A string's bytes for standard output: UTF-8, with a name's undecodable byte as that byte, as
// print writes it.
std::string stream_bytes(const Cell& str) {
  std::string out;
  int32_t n = string::length(str);
  for (int32_t i = 0; i < n; ++i) {
    uint32_t cp = string::char_at(series_node(str), static_cast<uint32_t>(series_head(str) + i));
    if (file_names::escaped_byte_q(cp))
      out.push_back(static_cast<char>(cp - file_names::escape_base));
    else
      unicode::append_utf8(out, cp);
  }
  return out;
}

// The bytes write-stdout sends: a string! as print writes it, a binary! as it is, anything else
// molded.
std::string bytes_of(Cell* value) {
  if (value->is(Type::string)) return stream_bytes(*value);
  if (value->is(Type::binary)) {
    SeriesBuffer* b = buffer_of(series_node(*value));
    uint32_t head = static_cast<uint32_t>(std::max(series_head(*value), 0));
    if (head >= b->tail) return {};
    return std::string(reinterpret_cast<char*>(b->data()) + head, b->tail - head);
  }
  stack::Mark mark;
  Cell* v = stack::push(*value);
  Cell* molded = string::make_at(stack::push_unset(), 16);
  actions::mold_direct(v, molded, MoldOptions{}, nullptr, 0x7FFFFFFF);
  return stream_bytes(*molded);
}

void write_all(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return os::output_failed(n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
}

}  // namespace

// The routines without a return type leave the result slot as it is: it holds their first
// argument.

// Ends the process at once: nothing is saved or released, only pending output is written and
// the terminal is given back as a text interface or the line editor had found it.
void quit_return(Invocation& inv) {
  tui::end_session_for_exit();
  terminal::restore_for_exit();
  os::flush();
  std::fflush(nullptr);
  std::_Exit(inv.args[0].i);
}

void set_quiet(Invocation& inv) {
  Cell* w = arg_cell(inv, 0);
  Type t = w->type();
  if (t != Type::word && t != Type::set_word && t != Type::lit_word && t != Type::get_word)
    refuse(inv, "set-quiet", "word");
  if (!word::context(*w)) fire(Err::script_not_defined, {*w});
  Cell value = *arg_cell(inv, 1);
  Cell target = *w;
  context::set_in(target, value, word::context(target), false);
  *inv.result = value;
}

void set_slot_quiet(Invocation& inv) {
  Cell* series = arg_cell(inv, 0);
  if (!slot_series(series->type())) refuse(inv, "set-slot-quiet", "series");
  Cell value = *arg_cell(inv, 1);
  if (block::vs_length(*series) > 0) *block::vs_head(*series) = value;
}

void last_lf_q(Invocation& inv) { *inv.result = make_logic(natives::last_lf()); }

void stack_size_q(Invocation& inv) { *inv.result = make_integer(stack::depth()); }

void frame_index_q(Invocation& inv) {
  *inv.result = make_integer(static_cast<int32_t>(stack::index_of(stack::arguments())));
}

void pick_stack(Invocation& inv) {
  int32_t idx = inv.args[0].i;
  *inv.result = idx >= 1 && idx < stack::depth() ? *stack::at_index(static_cast<uint32_t>(idx - 1))
                                                  : make_none();
}

void collect_calls(Invocation& inv) {
  stack::collect_calls(*arg_cell(inv, 0));
}

void tracing_q(Invocation& inv) { *inv.result = make_logic(trace::active); }

void write_stdout(Invocation& inv) {
  std::string bytes = bytes_of(arg_cell(inv, 0));
  os::flush();
  write_all(bytes);
}

}  // namespace vyn::boot::bodies
