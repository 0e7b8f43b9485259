// values/words/datatype.cpp: datatype!, the values that name types.
#include "core/stack.hpp"
#include "core/compare_ops.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/word.hpp"

namespace vyn::datatype {
namespace {

Type named(const Cell* c) { return datatype_of(*c); }

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  Type t = named(value);
  int n = registry::type_name_length(t);
  string::append_latin1(*buffer, std::string_view(registry::type_name(t), n));
  return limit - n;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  std::string_view name = registry::type_name(named(value));
  if (o.all) {
    string::append_latin1(*buffer, "#(");
    string::append_latin1(*buffer, name);
    string::append_latin1(*buffer, ")");
    return limit - static_cast<int32_t>(name.size()) - 3;
  }
  string::append_latin1(*buffer, name);
  return limit - static_cast<int32_t>(name.size());
}

int compare(Cell* a, Cell* b, int op) {
  if (!is_equality_op(op) || op == cmp::sort || op == cmp::case_sort) return -2;
  return b->is(Type::datatype) && named(a) == named(b) ? 0 : 1;
}

}  // namespace

void make_type_words() {
  for (int id = 1; id <= registry::highest_type(); ++id) {
    Type t = static_cast<Type>(id);
    if (registry::registered(t)) registry::set_type_word(t, word::load(registry::type_name(t)));
  }
}

void install() {
  registry::define(Type::datatype, {
      registry::def<Action::form>(form),
      registry::def<Action::mold>(mold),
      registry::def<Action::compare>(compare),
  });
}

}  // namespace vyn::datatype
