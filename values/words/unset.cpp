// values/words/unset.cpp: unset!, the absence of a value.
#include "core/stack.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/logic.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::unset {
namespace {

Cell* make(Cell*, Cell*, Type) { return push(); }

int32_t form(Cell*, Cell*, Cell*, int32_t limit) { return limit; }

int32_t mold(Cell*, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  const char* text = o.all ? "#(unset)" : "unset";
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::char_traits<char>::length(text));
}

int compare(Cell*, Cell* b, int op) {
  if (!b->is(Type::unset)) return -2;
  return is_equality_op(op) ? 0 : -2;
}

}  // namespace

void set_result() { *stack::arguments() = make_unset(); }
Cell* push() { return stack::push(make_unset()); }

void install() {
  registry::define(Type::unset, {
      registry::def<Action::make>(make),
      registry::def<Action::to>(make),
      registry::def<Action::form>(form),
      registry::def<Action::mold>(mold),
      registry::def<Action::compare>(compare),
  });
}

}  // namespace vyn::unset
