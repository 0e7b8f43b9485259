// boot/system_parts.cpp: the sub-objects of the start-up `system` object: state with the
// collector's routines, options with the current directory and the float-printing switches,
// script with the command line, and the standard prototypes.
#include "boot/routine_bodies.hpp"
#include "boot/system_builder.hpp"
#include "core/text/float_text.hpp"
#include "core/gc.hpp"
#include "core/stack.hpp"
#include "platform/file_io.hpp"
#include "values/series/block.hpp"
#include "values/callables/function.hpp"
#include "values/numbers/logic.hpp"
#include "values/objects/object.hpp"
#include "values/callables/routine.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::system_object {
namespace {

// ---- system/state/GC: the collector's flag and counters

void gc_active(routine::Invocation& inv) { *inv.result = make_logic(gc::enabled()); }
void gc_cycles(routine::Invocation& inv) { *inv.result = make_integer(static_cast<int32_t>(gc::stats().cycles)); }
void gc_node_cycles(routine::Invocation& inv) {
  *inv.result = make_integer(static_cast<int32_t>(gc::stats().node_compactions));
}

const int32_t* gc_entries() {
  static const int32_t entries[] = {routine::register_body(gc_active), routine::register_body(gc_cycles),
                                    routine::register_body(gc_node_cycles)};
  return entries;
}

void push_gc() {
  const int32_t* entries = gc_entries();
  static const char* const names[] = {"active?", "series-cycles", "nodes-cycles"};
  static const char* const specs[] = {"return: [logic!]", "return: [integer!]", "return: [integer!]"};
  Cell* gc_object = new_object(gc_id);
  for (int i = 0; i < 3; ++i) {
    Cell* spec = routine::push_spec(specs[i]);
    function::routine_push(*spec, make_none(), entries[i], -1, false);
    add(gc_object, names[i]);
    stack::pop(1);
  }
}

// ---- system/options/float: its on-change* switches the float-printing flags at once

bool is_field(const Cell& word, const char* name) {
  return symbol::resolve(word::symbol(word)) == symbol::resolve(symbol::make(name));
}

Flow float_changed(Cell* args, NodeId) {
  if (is_field(args[0], "pretty?")) float_text::set_pretty_print(logic::truthy(args[2]));
  if (is_field(args[0], "full?")) float_text::set_full_support(logic::truthy(args[2]));
  return Flow::normal;
}

int32_t float_entry() {
  static const int32_t entry = function::register_body(float_changed);
  return entry;
}

void set_float_flags() {
  float_text::set_pretty_print(true);
  float_text::set_full_support(false);
}

void push_float_options() {
  int32_t entry = float_entry();
  set_float_flags();
  Cell* options = new_object(float_id);
  add_value(options, "pretty?", make_logic(true));
  add_value(options, "full?", make_logic(false));
  Cell* spec = block::push_only(3);
  for (const char* name : {"word", "old", "new"}) block::append_copy(*spec, word::load(name));
  function::push(*spec, make_none(), 0, entry, 0, 0);
  add(options, "on-change*");
  stack::pop(1);
  object::ensure_events(options);
}

}  // namespace

void register_bodies() {
  (void)gc_entries();
  (void)float_entry();
  set_float_flags();
}


std::vector<std::string>& command_line() {
  static std::vector<std::string> args;
  return args;
}

std::string join_arguments(const std::vector<std::string>& args, size_t from) {
  std::string text;
  for (size_t i = from; i < args.size(); ++i) {
    if (i > from) text += ' ';
    bool quote = args[i].empty() || args[i].find_first_of(" \t\"") != std::string::npos;
    text += quote ? '"' + args[i] + '"' : args[i];
  }
  return text;
}

void push_state() {
  Cell* state = new_object(state_id);
  add_value(state, "interpreted?", make_none());
  add_value(state, "last-error", make_none());
  add_value(state, "stack-trace", make_integer(1));
  block::push_only(4);
  add(state, "source-files");
  add_value(state, "callbacks", make_none());
  push_gc();
  add(state, "GC");
}

void push_options() {
  Cell* options = new_object(options_id);
  for (const char* name : {"boot", "home"}) add_value(options, name, make_none());
  push_utf8(os::current_dir(), Type::file);
  add(options, "path");
  for (const char* name : {"script", "cache", "thru-cache", "args", "do-arg", "debug", "secure"})
    add_value(options, name, make_none());
  add_value(options, "quiet", make_logic(false));
  add_value(options, "binary-base", make_integer(16));
  add_value(options, "decimal-digits", make_integer(15));
  add_value(options, "money-digits", make_integer(2));
  block::push_only(1);
  add(options, "module-paths");
  add_value(options, "file-types", make_none());
  push_float_options();
  add(options, "float");
}

void push_script() {
  Cell* script = new_object(script_id);
  // args is set once the library is there (set_run_fields): until then start-up makes the same
  // nodes whatever the command line holds, which replaying the boot heap relies on
  for (const char* name : {"title", "header", "parent", "path", "args"}) add_value(script, name, make_none());
}

void push_standard(Cell* error_prototype) {
  Cell* standard = new_object(standard_id);
  push_prototype(header_id, {"Title", "Name", "Type", "Version", "Date", "File", "Home", "Author", "Tabs",
                             "Needs", "License", "Note", "History", "Rights", "Usage", "Purpose", "Comment",
                             "Language", "Content", "Owner"});
  add(standard, "header");
  push_prototype(port_id, {"spec", "scheme", "actor", "awake", "state", "data", "extra"});
  add(standard, "port");
  push_prototype(prototype_id, {"code", "type", "id", "arg1", "arg2", "arg3", "near", "where", "stack", "files"});
  *error_prototype = *stack::last_value();
  add(standard, "error");
  push_prototype(file_info_id, {"name", "size", "date", "type"});
  add(standard, "file-info");
  push_prototype(url_parts_id, {"scheme", "user-info", "host", "port", "path", "target", "query", "fragment", "ref"});
  add(standard, "url-parts");
  push_prototype(scheme_id, {"name", "title", "info", "actor", "awake"});
  add(standard, "scheme");
}

}  // namespace vyn::system_object
