// boot/system_object.cpp: builds the start-up `system` object: the error catalog from
// values/errors.def, the error prototype, system/state and system/options/float. One place, so
// that the boot image can take it over.
#include "boot/system_object.hpp"

#include <string_view>

#include "core/error.hpp"
#include "core/float_text.hpp"
#include "eval/stack.hpp"
#include "values/block.hpp"
#include "values/error.hpp"
#include "values/function.hpp"
#include "values/logic.hpp"
#include "values/object.hpp"
#include "values/string_storage.hpp"
#include "values/symbol.hpp"
#include "values/word.hpp"

namespace vyn::system_object {
namespace {

// Class ids of the objects made here; run-time ids start above 1,000,000.
enum ClassId : uint32_t { system_id = 10, catalog_id, errors_id, category_id, prototype_id, state_id,
                          options_id, float_id, standard_id };

Cell* new_object(uint32_t class_id) {
  Cell* obj = object::make_context_at(stack::push_unset(), 8);
  obj->w2 = class_id;
  object::store_self(*obj);
  return obj;
}

// Adds a field holding the value on the stack top, then drops that value.
void add(Cell* obj, std::string_view name) {
  object::set_field(obj->w1, symbol::make(name), *stack::last_value());
  stack::pop(1);
}
void add_value(Cell* obj, std::string_view name, const Cell& scalar) {
  stack::push(scalar);
  add(obj, name);
}

Cell* push_text(std::string_view text) {
  Cell* s = string::make_at(stack::push_unset(), static_cast<uint32_t>(text.size()));
  string::append_latin1(*s, text);
  return s;
}

// ---- message templates: the restricted source text of errors.def: a string, a word, or a block
// of strings, words and get-words

void skip_blanks(std::string_view& t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
}

std::string_view take_until(std::string_view& t, std::string_view stops) {
  size_t n = t.find_first_of(stops);
  if (n == std::string_view::npos) n = t.size();
  std::string_view taken = t.substr(0, n);
  t.remove_prefix(n);
  return taken;
}

// Pushes the next template value of the text and moves past it.
void push_item(std::string_view& t) {
  if (t.front() == '"') {
    t.remove_prefix(1);
    push_text(take_until(t, "\""));
    t.remove_prefix(1);
    return;
  }
  bool get = t.front() == ':';
  if (get) t.remove_prefix(1);
  std::string_view name = take_until(t, " ]");
  stack::push(word::load_as(name, get ? Type::get_word : Type::word));
}

void push_template(std::string_view t) {
  skip_blanks(t);
  if (t.front() != '[') {
    push_item(t);
    return;
  }
  t.remove_prefix(1);
  Cell* b = block::push_only(4);
  for (skip_blanks(t); !t.empty() && t.front() != ']'; skip_blanks(t)) {
    push_item(t);
    block::append_copy(*b, *stack::last_value());
    stack::pop(1);
  }
}

// ---- the objects

void push_category(ErrorCategory c) {
  Cell* cat = new_object(category_id);
  add_value(cat, "code", make_integer(static_cast<int32_t>(c) * 100));
  push_text(category_title(c));
  add(cat, "type");
  for (int i = 0; i < static_cast<int>(Err::count_); ++i) {
    const ErrorInfo& info = error_info(static_cast<Err>(i));
    if (info.category != c) continue;
    push_template(info.message);
    add(cat, info.word);
  }
}

void push_catalog() {
  Cell* errors = new_object(errors_id);
  for (int c = 0; c <= static_cast<int>(ErrorCategory::internal); ++c) {
    push_category(static_cast<ErrorCategory>(c));
    add(errors, category_word(static_cast<ErrorCategory>(c)));
  }
}

void push_prototype() {
  Cell* proto = new_object(prototype_id);
  for (const char* name : {"code", "type", "id", "arg1", "arg2", "arg3", "near", "where", "stack", "files"})
    add_value(proto, name, make_none());
}

void push_state() {
  Cell* state = new_object(state_id);
  add_value(state, "interpreted?", make_none());
  add_value(state, "last-error", make_none());
  add_value(state, "stack-trace", make_integer(1));
  block::push_only(4);
  add(state, "source-files");
  add_value(state, "callbacks", make_none());
  add_value(state, "GC", make_none());
}

bool is_field(const Cell& word, const char* name) {
  return symbol::resolve(word.w2) == symbol::resolve(symbol::make(name));
}

// system/options/float/on-change*: the float-printing flags follow pretty? and full?.
Flow float_changed(Cell* args, NodeId) {
  if (is_field(args[0], "pretty?")) float_text::set_pretty_print(logic::truthy(args[2]));
  if (is_field(args[0], "full?")) float_text::set_full_support(logic::truthy(args[2]));
  return Flow::normal;
}

void push_float_options() {
  static const int32_t entry = function::register_body(float_changed);
  float_text::set_pretty_print(true);
  float_text::set_full_support(false);
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

void push_options() {
  Cell* options = new_object(options_id);
  for (const char* name : {"boot", "home", "path", "script", "cache", "thru-cache", "args", "do-arg",
                           "debug", "secure"})
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

}  // namespace

void init() {
  Cell* top = stack::top();
  Cell* system = new_object(system_id);
  for (const char* name : {"version", "build", "words", "platform"}) add_value(system, name, make_none());
  Cell* catalog = new_object(catalog_id);
  for (const char* name : {"datatypes", "actions", "natives", "accessors"}) add_value(catalog, name, make_none());
  push_catalog();
  Cell errors = *stack::last_value();
  add(catalog, "errors");
  add(system, "catalog");
  push_state();
  Cell state = *stack::last_value();
  add(system, "state");
  for (const char* name : {"modules", "codecs", "schemes", "ports", "locale"}) add_value(system, name, make_none());
  push_options();
  add(system, "options");
  add_value(system, "script", make_none());
  Cell* standard = new_object(standard_id);
  push_prototype();
  Cell prototype = *stack::last_value();
  add(standard, "error");
  add(system, "standard");
  for (const char* name : {"lexer", "console", "view", "reactivity", "tools"}) add_value(system, name, make_none());
  Cell word = word::load("system");
  word::set(word, *system);
  error::set_globals(errors, prototype, state);
  stack::set_top(top);
}

}  // namespace vyn::system_object
