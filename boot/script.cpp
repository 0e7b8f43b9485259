// boot/script.cpp: the command line goes to the console engine, which runs the script it names
// (and the console); finding and loading a script's header for do.
#include "boot/script.hpp"

#include <cstring>

#include "core/error.hpp"
#include "core/flow.hpp"
#include "eval/interp.hpp"
#include "eval/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "platform/files.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/objects/ownership.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::boot {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The header is the word itself: what precedes "Vyn" must not continue a word.
bool word_start(std::string_view text, size_t at) {
  if (at == 0) return true;
  char c = text[at - 1];
  return blank(c) || c == '[' || c == ']' || c == '(' || c == ')' || c == ';';
}

bool is_vyn_word(const Cell& c) {
  return c.is(Type::word) && symbol::spelling(word::symbol(c)) == "Vyn";
}

// system/FIELD, or none.
Cell system_field(const char* name) {
  Cell system = *word::value_cell(word::load("system"));
  Cell* v = system.is(Type::object) ? context::value_cell_of(object::context(system), symbol::make(name)) : nullptr;
  return v ? *v : make_none();
}

// The options own their path, so that changing it in place moves the process too.
void own_options_path() {
  Cell options = system_field("options");
  if (!options.is(Type::object)) return;
  Cell* path = context::value_cell_of(object::context(options), symbol::make("path"));
  if (path && path->is(Type::file)) ownership::bind(*path, options, word::load("path"));
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

int run_command_line() {
  stack::Mark mark;
  try {
    own_options_path();
    Cell* code = stack::push_unset();
    const char* text = "cli-console-ctx/launch";
    lexer::ScanArgs args;
    lexer::scan(code, reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)), args);
    if (interp::eval_block(*code, false) != Flow::normal) return 0;
    Cell* status = stack::last_value();
    return status->is(Type::integer) ? status->int_value() : 0;
  } catch (const Raised&) {
    report_pending_error();
    return -2;
  }
}

}  // namespace vyn::boot
