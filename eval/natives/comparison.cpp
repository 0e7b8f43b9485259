// eval/natives/comparison.cpp: equal? and the other comparisons, same?, not and type?.
#include <cstring>

#include "eval/dispatch.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/callables/callable.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/logic.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/objects/object.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"

namespace vyn::natives {
namespace {

template <int Op>
Flow compare(const Call& c) {
  bool r = actions::compare(&c.args[0], &c.args[1], Op);
  c.args[0] = make_logic(r);
  return Flow::normal;
}

bool is_series(Type t) {
  return series::is_cell_series(t) || series::is_char_series(t) || t == Type::binary ||
         t == Type::vector || t == Type::image;
}

// Identity: never a conversion.
bool same_values(const Cell& a, const Cell& b) {
  if (a.type() != b.type()) return false;
  Type t = a.type();
  switch (t) {
    case Type::none_: case Type::unset: return true;
    case Type::datatype: return datatype_of(a) == datatype_of(b);
    case Type::logic: return logic_of(a) == logic_of(b);
    case Type::object: return object::context(a) == object::context(b);
    case Type::char_: case Type::integer: return a.int_value() == b.int_value();
    case Type::float_: case Type::percent: case Type::time: return float_::bits(a) == float_::bits(b);
    case Type::pair: return pair::x_of(a) == pair::x_of(b) && pair::y_of(a) == pair::y_of(b);
    case Type::native: case Type::action: case Type::op:
      return callable::identity(a) == callable::identity(b) && callable::spec_node(a) == callable::spec_node(b);
    case Type::point2D:
      return point::bits(a, 0) == point::bits(b, 0) && point::bits(a, 1) == point::bits(b, 1);
    case Type::money: return money::compare(const_cast<Cell*>(&a), const_cast<Cell*>(&b), cmp::same) == 0;
    default:
      if (is_series(t)) return series_node(a) == series_node(b) && series_head(a) == series_head(b);
      return same_payload(a, b);
  }
}

}  // namespace

Flow same_q(const Call& c) {
  c.args[0] = make_logic(same_values(c.args[0], c.args[1]));
  return Flow::normal;
}

Flow not_(const Call& c) {
  c.args[0] = make_logic(logic::falsy(c.args[0]));
  return Flow::normal;
}

Flow type_q(const Call& c) {
  using Ref = Refs<Native::type_q>;
  Type t = c.args[0].type();
  c.args[0] = c.has(Ref::word) ? registry::type_word(t) : make_datatype(t);
  return Flow::normal;
}

Flow equal_q(const Call& c) { return compare<cmp::equal>(c); }
Flow not_equal_q(const Call& c) { return compare<cmp::not_equal>(c); }
Flow strict_equal_q(const Call& c) { return compare<cmp::strict_equal>(c); }
Flow lesser_q(const Call& c) { return compare<cmp::lesser>(c); }
Flow greater_q(const Call& c) { return compare<cmp::greater>(c); }
Flow lesser_or_equal_q(const Call& c) { return compare<cmp::lesser_or_equal>(c); }
Flow greater_or_equal_q(const Call& c) { return compare<cmp::greater_or_equal>(c); }

}  // namespace vyn::natives
