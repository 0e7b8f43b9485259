// values/text/issue.cpp: issue!, a word-like value written after "#" that is never looked up.
#include <string>
#include <string_view>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/objects/context.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::issue {
namespace {

// Bound in the global context with no slot index.
Cell* make_at(Cell* cell, uint32_t symbol, Type type) {
  *cell = make_cell(type, context::global(), symbol, 0xFFFFFFFFu);
  return cell;
}

bool word_like(Type t) {
  return t == Type::word || t == Type::set_word || t == Type::lit_word || t == Type::get_word ||
         t == Type::refinement || t == Type::issue;
}

// An issue molds as "#" and its name, so a name that would not read back as one is refused.
bool readable_name_q(const std::string& name) {
  if (name.empty()) return false;
  constexpr std::string_view delimiters = "[](){}\";";
  for (unsigned char c : name)
    if (c <= ' ' || c == 0x7F || delimiters.find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}

// Strings and characters give the issue of their text as it is; word-like values keep their
// symbol; anything else converts as for word!.
Cell* make(Cell* proto, Cell* spec, Type type) {
  if (word_like(spec->type())) return make_at(stack::push_unset(), word::symbol(*spec), type);
  if (spec->is(Type::string) || spec->is(Type::char_)) {
    Cell* text =
        spec->is(Type::string) ? stack::push(*spec) : string::make_at(stack::push_unset(), 1);
    if (spec->is(Type::char_)) string::append_char(series_node(*text), char_of(*spec));
    std::string name = string::to_utf8(*text);
    if (!readable_name_q(name)) fire(Err::script_bad_to_arg, {make_datatype(type), *spec});
    uint32_t symbol = symbol::make(name);
    return make_at(text, symbol, type);
  }
  Cell* result = registry::entry<Action::to>(Type::word)(proto, spec, type);
  return make_at(result, word::symbol(*result), type);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  string::append_latin1(*buffer, "#");
  return registry::entry<Action::form>(Type::word)(value, buffer, part, limit - 1);
}

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::issue)) return -2;
  return registry::entry<Action::compare>(Type::word)(a, b, op);
}

}  // namespace

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::issue, {
                                    def<Action::make>(make),
                                    def<Action::to>(make),
                                    inherit(Action::form),
                                    def<Action::mold>(mold),
                                    def<Action::compare>(compare),
                                });
}

}  // namespace vyn::issue
