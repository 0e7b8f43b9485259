// boot/script.cpp: finding the header, loading and evaluating a script.
#include "boot/script.hpp"

#include <unistd.h>

#include <cstring>
#include <vector>

#include "boot/base_library.hpp"
#include "boot/system_builder.hpp"
#include "boot/system_object.hpp"
#include "core/error.hpp"
#include "eval/flow.hpp"
#include "eval/interp.hpp"
#include "eval/frames.hpp"
#include "eval/lexer/lexer.hpp"
#include "eval/stack.hpp"
#include "platform/console_out.hpp"
#include "platform/file_io.hpp"
#include "platform/files.hpp"
#include "platform/os_services.hpp"
#include "values/block.hpp"
#include "values/context.hpp"
#include "values/ownership.hpp"
#include "values/string_storage.hpp"
#include "values/symbol.hpp"
#include "values/word.hpp"

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

// Passes the body through the preprocessor's expand-directives, which changes it in place, when
// the library defines it.
Flow expand_directives(const Cell& body) {
  Cell fn = *word::value_cell(word::load("expand-directives"));
  if (!fn.is(Type::function)) return Flow::normal;
  Cell* base = stack::top();
  Flow f = interp::call_with(fn, &body, 1, word::load("expand-directives"));
  if (f == Flow::normal) stack::set_top(base);
  return f;
}

// The console's halt throws halt-request to the name console; the script ends there, quietly.
bool halted() {
  const PendingError& e = pending_error();
  return e.id == Err::throw_throw && e.argc > 0 && e.args[0].is(Type::word) &&
         symbol::spelling(e.args[0].w2) == "halt-request";
}

// Evaluates the script's body: everything after the header word and block, expanded first.
int evaluate(Cell code) {
  code.w1 = 2;
  Cell* base = stack::top();
  stack::CallFrame* frames = stack::frames_top();
  Cell* args = stack::arguments();
  try {
    stack::push(code);
    if (expand_directives(code) != Flow::normal) return 0;  // an exit while expanding ends quietly
    Flow f = interp::eval_block(code, false);
    (void)f;  // an exit that reaches the top ends the script quietly
  } catch (const Raised&) {
    stack::set_top(base);  // room to make the report, even after an overflow
    bool halt = halted();
    if (halt) say("(halted)");
    else report_pending_error();  // while the frames are there: the report walks them
    stack::set_ctop(frames);
    stack::set_arguments(args);
    return halt ? 0 : -2;
  }
  stack::set_top(base);
  return 0;
}

// ---- the command line: [--switch ...] [--] FILE [ARGS...]

Cell* field_slot(const Cell& object, const char* name) {
  return object.is(Type::object) ? context::value_cell_of(object.w1, symbol::make(name)) : nullptr;
}

Cell system_field(const char* name) {
  Cell* v = field_slot(*word::value_cell(word::load("system")), name);
  return v ? *v : make_none();
}

// Stores the value (which must be rooted) into system/OBJECT/FIELD, without change events.
void store(const char* object, const char* name, const Cell& value) {
  if (Cell* slot = field_slot(system_field(object), name)) *slot = value;
}

// The index of the script argument: switches ("--" then anything) before it are skipped, a bare
// "--" ends them; "--catch" asks for the console after the script.
size_t script_index(const std::vector<std::string>& args, bool* keep_console) {
  size_t i = 1;
  while (i < args.size() && args[i].compare(0, 2, "--") == 0) {
    if (args[i] == "--catch") *keep_console = true;
    if (args[i++] == "--") break;
  }
  return i;
}

// Runs the console's own start-up text; it returns only when the console does (or fails).
int run_console(const char* text) {
  try {
    eval_startup_text(text);
  } catch (const Raised&) {
    report_pending_error();
    return -2;
  }
  return 0;
}

// system/options/script, the script's own arguments in system/options/args and, as one text,
// in system/script/args.
void set_script_arguments(const std::vector<std::string>& args, size_t at) {
  stack::Mark mark;
  store("options", "script", *system_object::push_utf8(args[at], Type::file));
  Cell* list = block::push_only(static_cast<int32_t>(args.size() - at));
  for (size_t i = at + 1; i < args.size(); ++i) {
    block::append_copy(*list, *system_object::push_utf8(args[i], Type::string));
    stack::pop(1);
  }
  store("options", "args", *list);
  store("script", "args", *system_object::push_utf8(system_object::join_arguments(args, at + 1), Type::string));
}

// The script runs in its own folder, which system/options/path and system/script/path name;
// answers the script's path from there. A script that cannot be read stays where it was named,
// for the report.
std::string enter_script_folder(const std::string& path) {
  std::string name = path;
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && ::access(path.c_str(), R_OK) == 0 &&
      os::set_current_dir(path.substr(0, slash + 1)))
    name = path.substr(slash + 1);
  stack::Mark mark;
  Cell* here = system_object::push_utf8(os::current_dir(), Type::file);
  store("script", "path", *here);
  // the options own their path, so that changing it in place moves the process too
  Cell* dir = system_object::push_utf8(os::current_dir(), Type::file);
  store("options", "path", *dir);
  ownership::bind(*dir, system_field("options"), word::load("path"));
  return name;
}

// system/script/header: the script's header block made into an object over the standard one.
void set_script_header(Cell header) {
  store("script", "header", header);
  eval_startup_text("system/script/header: construct/with system/script/header system/standard/header");
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
    case Loaded::ok:
      try {
        set_script_header(block::cells(*code)[1]);  // a copy: storing it may allocate
      } catch (const Raised&) {
        report_pending_error();
        return -2;
      }
      return evaluate(*code);
    case Loaded::unreadable: say(("*** Error: cannot open: " + path).c_str()); return 1;
    case Loaded::no_header: say("*** Error: Vyn header not found!"); return 1;
    case Loaded::system: say("*** Error: contains Vyn/System code which requires compilation!"); return 1;
    default: say("*** Error: not a Vyn program!"); return 1;
  }
}

int run_command_line() {
  const std::vector<std::string>& args = system_object::command_line_arguments();
  bool keep_console = false;
  size_t at = script_index(args, &keep_console);
  if (at >= args.size()) return run_console("cli-console-ctx/launch");
  int status;
  try {
    eval_startup_text("system/console/init {Vyn Console}");  // the console's size, as at launch
    set_script_arguments(args, at);
    status = run_script(enter_script_folder(args[at]));
  } catch (const Raised&) {
    report_pending_error();
    status = -2;
  }
  if (!keep_console) return status;
  return run_console(
      "cli-console-ctx/settings/load-cfg system/console/catch?: true "
      "system/console/init {Vyn Console} system/console/run/no-banner");
}

}  // namespace vyn::boot
