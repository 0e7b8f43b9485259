// eval/natives/environment.cpp: get-env, set-env and list-env over the process environment, and
// size? of a file, and to-local-file.
#include <string>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "platform/environment.hpp"
#include "values/maps/map.hpp"
#include "values/series/block.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

// The environment's names and values are the system's text, so they cross as file names do
// (values/text/file_name.cpp): bytes that are not UTF-8 are kept, and come back as they were.
// The variable's name: a word by its spelling, a string by its text from the head. A name the
// system cannot hold (empty, with "=" or a zero byte) raises script/invalid-arg.
std::string name_of(const Cell& var) {
  std::optional<std::string> name;
  if (word::any_word_q(var.type())) name = std::string(symbol::spelling(word::symbol(var)));
  else name = file::name_bytes(var);
  if (!name || !os::valid_env_name(*name)) fire(Err::script_invalid_arg, {var});
  return *name;
}

Cell* push_text(const std::string& text) { return file::push_name(text, Type::string); }

}  // namespace

Flow get_env_(const Call& c) {
  std::optional<std::string> value = os::get_env(name_of(c.args[0]));
  c.args[0] = value ? *push_text(*value) : make_none();
  return Flow::normal;
}

// none removes the variable. A value holding a zero byte cannot be stored: script/invalid-arg.
Flow set_env_(const Call& c) {
  std::string name = name_of(c.args[0]);
  Cell value = c.args[1];
  std::optional<std::string> text;
  if (!value.is(Type::none_) && !(text = file::name_bytes(value)))
    fire(Err::script_invalid_arg, {value});
  if (!os::set_env(name, text)) fire(Err::script_invalid_arg, {value});
  c.args[0] = value;
  return Flow::normal;
}

Flow list_env_(const Call& c) {
  auto entries = os::list_env();
  Cell* block = block::push_only(static_cast<int32_t>(entries.size() * 2 + 2));
  for (const auto& [name, value] : entries) {
    block::append_copy(*block, *push_text(name));
    block::append_copy(*block, *push_text(value));
    stack::pop(2);
  }
  map::make_at(c.args, *block);
  return Flow::normal;
}

Flow size_q_(const Call& c) {
  std::optional<int64_t> size = os::file_size(file::to_local(c.args[0], false));
  if (!size) c.args[0] = make_none();
  else if (*size > 2147483647) c.args[0] = make_float(static_cast<double>(*size));
  else c.args[0] = make_integer(static_cast<int32_t>(*size));
  return Flow::normal;
}

// To-local-file, a file name in the system's own form.

Flow to_local_file_(const Call& c) {
  using Ref = Refs<Native::to_local_file>;
  std::string local = file::to_local(c.args[0], c.has(Ref::full));
  c.args[0] = *file::push_name(local, Type::string);
  return Flow::normal;
}

}  // namespace vyn::natives
