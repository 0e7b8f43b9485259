// values/words/none.cpp: none!, the empty value. Series actions on none answer none.
#include "core/stack.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/logic.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::none {
namespace {

Cell* make(Cell*, Cell*, Type) { return push(); }

int32_t form(Cell*, Cell* buffer, Cell*, int32_t limit) {
  string::append_latin1(*buffer, "none");
  return limit - 4;
}

int32_t mold(Cell*, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  const char* text = o.all ? "#(none)" : "none";
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::char_traits<char>::length(text));
}

int compare(Cell*, Cell* b, int op) {
  if (!b->is(Type::none_)) return -2;
  return is_equality_op(op) ? 0 : -2;
}

Cell* clear(Cell*) { return push(); }
Cell* find(Cell*, Cell*, const FindOptions&) { return push(); }
Cell* remove(Cell*, Cell*, Cell*) { return push(); }
Cell* take(Cell*, Cell*, bool, bool) { return push(); }
int32_t length(Cell*) { return -1; }

}  // namespace

void set_result() { *stack::arguments() = make_none(); }
Cell* push() { return stack::push(make_none()); }

void install() {
  registry::define(Type::none_, {
      registry::def<Action::make>(make),
      registry::def<Action::to>(make),
      registry::def<Action::form>(form),
      registry::def<Action::mold>(mold),
      registry::def<Action::compare>(compare),
      registry::def<Action::clear>(clear),
      registry::def<Action::find>(find),
      registry::def<Action::remove>(remove),
      registry::def<Action::select>(find),
      registry::def<Action::take>(take),
      registry::def<Action::length_q>(length),
  });
}

}  // namespace vyn::none
