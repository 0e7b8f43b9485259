// values/numbers/logic.cpp: logic!, true and false, and the truth tests conditionals use.
#include "values/numbers/logic.hpp"

#include <cmath>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/random.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::logic {
namespace {

Cell* to(Cell*, Cell* spec, Type) {
  if (spec->is(Type::logic)) return stack::push(*spec);
  return push(!spec->is(Type::none_));
}

Cell* make(Cell* proto, Cell* spec, Type t) {
  switch (spec->type()) {
    case Type::integer: return push(spec->int_value() != 0);
    case Type::float_:
    case Type::percent: return push(!(spec->float_value() == 0.0));
    default: return to(proto, spec, t);
  }
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  const char* text = logic_of(*value) ? "true" : "false";
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::char_traits<char>::length(text));
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  if (!o.all) return form(value, buffer, nullptr, limit);
  const char* text = logic_of(*value) ? "#(true)" : "#(false)";
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::char_traits<char>::length(text));
}

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::logic) || !is_equality_op(op)) return -2;
  return static_cast<int>(logic_of(*a)) - static_cast<int>(logic_of(*b));
}

Cell* complement(Cell* value) {
  set_logic(*value, logic_of(*value) ? 0 : 1);
  return value;
}

// and~, or~ and xor~ on two logic! arguments: the payloads combined bitwise.
template <uint32_t (*combine)(uint32_t, uint32_t)>
void bitwise(Cell* args) {
  if (!args[1].is(Type::logic))
    fire(Err::script_expect_arg, {make_none(), make_datatype(args[1].type()), make_none()});
  set_logic(args[0], combine(logic_of(args[0]), logic_of(args[1])));
}
uint32_t and_(uint32_t a, uint32_t b) { return a & b; }
uint32_t or_(uint32_t a, uint32_t b) { return a | b; }
uint32_t xor_(uint32_t a, uint32_t b) { return a ^ b; }

}  // namespace

bool true_value(const Cell& v, bool check, const Cell& word) {
  if (check && v.is(Type::unset)) fire(Err::script_no_value, {word});
  return truthy(v);
}

void no_return() { fire(Err::script_no_return); }
bool result_false() { return falsy(*stack::arguments()); }
bool last_false() { return falsy(*stack::last_value()); }

void box(bool flag) { *stack::arguments() = make_logic(flag); }
Cell* push(bool flag) { return stack::push(make_logic(flag)); }

void install() {
  registry::define(Type::logic, {
      registry::def<Action::make>(make),
      registry::def<Action::random>(random::of_logic),
      registry::def<Action::to>(to),
      registry::def<Action::form>(form),
      registry::def<Action::mold>(mold),
      registry::def<Action::compare>(compare),
      registry::def<Action::complement>(complement),
      registry::def<Action::and_t>(bitwise<and_>),
      registry::def<Action::or_t>(bitwise<or_>),
      registry::def<Action::xor_t>(bitwise<xor_>),
  });
}

}  // namespace vyn::logic
