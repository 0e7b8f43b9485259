// boot/system_object.cpp: builds the start-up `system` object, its nineteen fields in order, and
// the error catalog from core/errors.def. The sub-objects are made in boot/system_parts.cpp; the
// fields that hold language functions are filled after the base library (boot/system_fields.cpp).
#include "boot/system_object.hpp"

#include <string_view>

#include "boot/system_builder.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/error.hpp"
#include "values/maps/map_entries.hpp"
#include "values/objects/object.hpp"
#include "core/runtime_cells.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/text/url.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::system_object {

Cell* new_object(uint32_t class_id) {
  Cell* obj = object::make_context_at(stack::push_unset(), 8);
  object::set_class_id(*obj, class_id);
  object::store_self(*obj);
  return obj;
}

void add(Cell* obj, std::string_view name) {
  object::set_field(object::context(*obj), symbol::make(name), *stack::last_value());
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

// Text from the system (arguments, directories) comes as names do: undecodable bytes are kept.
Cell* push_utf8(std::string_view text, Type type) { return file::push_name(text, type); }

void push_prototype(uint32_t class_id, std::initializer_list<const char*> names) {
  Cell* proto = new_object(class_id);
  for (const char* name : names) add_value(proto, name, make_none());
}

namespace {

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

// The global context as an object!, owned by it: system/words.
Cell words_object() {
  Cell words = object::cell_for(runtime_cells().global, 0xFFFFFFFFu);
  object::store_self(words);
  return words;
}

}  // namespace

void set_command_line(int argc, char** argv) { command_line().assign(argv, argv + argc); }

const std::vector<std::string>& command_line_arguments() { return command_line(); }

void init() {
  Cell* top = stack::top();
  Cell* system = new_object(system_id);
  push_text("0.6.6");
  add(system, "version");
  add_value(system, "build", make_none());
  add_value(system, "words", words_object());
  add_value(system, "platform", predefined::word(predefined::W::Linux));
  Cell* catalog = new_object(catalog_id);
  for (const char* name : {"datatypes", "actions", "natives", "accessors"}) add_value(catalog, name, make_none());
  push_catalog();
  Cell errors = *stack::last_value();
  add(catalog, "errors");
  add(system, "catalog");
  push_state();
  Cell state = *stack::last_value();
  add(system, "state");
  block::push_only(8);
  add(system, "modules");
  Cell* codecs_block = block::push_only(16);
  map::make_at(stack::push_unset(), *codecs_block, 8);
  add(system, "codecs");
  stack::pop(1);
  block::push_only(10);
  add(system, "schemes");
  new_object(ports_id);
  add(system, "ports");
  add_value(system, "locale", make_none());
  push_options();
  add(system, "options");
  push_script();
  add(system, "script");
  Cell prototype = make_none();
  push_standard(&prototype);
  add(system, "standard");
  for (const char* name : {"lexer", "console", "view", "reactivity", "tools"}) add_value(system, name, make_none());
  Cell word = predefined::word(predefined::W::system);
  word::set(word, *system);
  error::set_globals(errors, prototype, state);
  stack::set_top(top);
}

}  // namespace vyn::system_object
