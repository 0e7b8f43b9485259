// boot/script.cpp: finding the header, loading and evaluating a script.
#include "boot/script.hpp"

#include <cstring>

#include "core/error.hpp"
#include "eval/flow.hpp"
#include "eval/interp.hpp"
#include "eval/frames.hpp"
#include "eval/lexer/lexer.hpp"
#include "eval/stack.hpp"
#include "platform/console_out.hpp"
#include "platform/files.hpp"
#include "values/block.hpp"
#include "values/symbol.hpp"

namespace vyn::boot {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The header is the word itself: what precedes "Vyn" must not continue a word.
bool word_start(std::string_view text, size_t at) {
  if (at == 0) return true;
  char c = text[at - 1];
  return blank(c) || c == '[' || c == ']' || c == '(' || c == ')' || c == ';';
}

void say(const char* text) {
  os::print_latin1(text, std::strlen(text));
  os::print_latin1("\n", 1);
  os::flush();
}

bool is_vyn_word(const Cell& c) {
  return c.is(Type::word) && symbol::spelling(c.w2) == "Vyn";
}

// Evaluates the script's body: everything after the header word and block.
int evaluate(Cell code) {
  code.w1 = 2;
  Cell* base = stack::top();
  stack::CallFrame* frames = stack::frames_top();
  Cell* args = stack::arguments();
  try {
    stack::push(code);
    Flow f = interp::eval_block(code, false);
    (void)f;  // an exit that reaches the top ends the script quietly
  } catch (const Raised&) {
    stack::set_top(base);  // room to make the report, even after an overflow
    report_pending_error();
    stack::set_ctop(frames);
    stack::set_arguments(args);
    return -2;
  }
  stack::set_top(base);
  return 0;
}

}  // namespace

size_t find_header(std::string_view text, bool* system) {
  for (size_t at = text.find("Vyn"); at != std::string_view::npos; at = text.find("Vyn", at + 1)) {
    if (!word_start(text, at)) continue;
    size_t p = at + 3;
    *system = false;
    if (text.substr(p, 7) == "/System") {
      *system = true;
      p += 7;
    }
    while (p < text.size() && blank(text[p])) ++p;
    if (p < text.size() && text[p] == '[') return at;
  }
  return std::string_view::npos;
}

Loaded load_script(const std::string& path, Cell* code) {
  auto data = os::read_file(path);
  if (!data) return Loaded::unreadable;
  bool system = false;
  size_t at = find_header(*data, &system);
  if (at == std::string_view::npos) return Loaded::no_header;
  if (system) return Loaded::system;
  lexer::ScanArgs args;
  lexer::scan(code, reinterpret_cast<const uint8_t*>(data->data() + at),
              static_cast<uint32_t>(data->size() - at), args);
  if (block::length_total(*code) < 2 || !is_vyn_word(block::cells(*code)[0]) ||
      !block::cells(*code)[1].is(Type::block))
    return Loaded::not_vyn;
  return Loaded::ok;
}

int run_script(const std::string& path) {
  stack::Mark mark;
  Cell* code = stack::push_unset();
  Loaded loaded;
  try {
    loaded = load_script(path, code);
  } catch (const Raised&) {
    report_pending_error();
    return -2;
  }
  switch (loaded) {
    case Loaded::ok: return evaluate(*code);
    case Loaded::unreadable: say(("*** Error: cannot open: " + path).c_str()); return 1;
    case Loaded::no_header: say("*** Error: Vyn header not found!"); return 1;
    case Loaded::system: say("*** Error: contains Vyn/System code which requires compilation!"); return 1;
    default: say("*** Error: not a Vyn program!"); return 1;
  }
}

}  // namespace vyn::boot
