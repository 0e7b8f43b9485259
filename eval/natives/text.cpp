// eval/natives/text.cpp: uppercase and lowercase, and as (a series seen as another type of its
// family, sharing the buffer).
#include <cmath>
#include <cstdint>

#include "core/text/casefold.hpp"
#include "values/text/case_change.hpp"
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"

namespace vyn::natives {
namespace {

// A number! limit counts characters: a fraction is dropped, and the count is kept to the integer
// range (the change stops at the tail anyway).
Cell part_limit(const Cell& limit) {
  if (limit.is(Type::integer) || !(limit.is(Type::float_) || limit.is(Type::percent))) return limit;
  double d = limit.float_value();
  if (std::isnan(d)) return make_integer(0);
  if (d >= 2147483647.0) return make_integer(INT32_MAX);
  if (d <= -2147483648.0) return make_integer(INT32_MIN);
  return make_integer(static_cast<int32_t>(d));
}

template <bool Upper>
Flow change_case(const Call& c) {
  static_assert(same_position(Refs<Native::uppercase>::part, Refs<Native::lowercase>::part));
  Cell* part = c.ref(Refs<Native::uppercase>::part);
  if (part) part = stack::push(part_limit(*part));
  casefold::change(&c.args[0], part, Upper);
  return Flow::normal;
}

enum class Family { none, list, text };

Family family_of(Type t) {
  switch (t) {
    case Type::block: case Type::paren: case Type::path: case Type::lit_path:
    case Type::set_path: case Type::get_path:
      return Family::list;
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email:
    case Type::ref:
      return Family::text;
    default: return Family::none;
  }
}

}  // namespace

// The cell keeps its node, head and extra word; only its type changes, so both values share the
// buffer.
Flow as(const Call& c) {
  const Cell& type = c.args[0];
  Cell spec = c.args[1];
  Type target = type.is(Type::datatype) ? datatype_of(type) : type.type();
  Family f = family_of(target);
  if (f == Family::none || f != family_of(spec.type()))
    fire(Err::script_not_same_class, {make_datatype(spec.type()), make_datatype(target)});
  spec.set_type(target);
  c.args[0] = spec;
  return Flow::normal;
}

Flow uppercase(const Call& c) { return change_case<true>(c); }
Flow lowercase(const Call& c) { return change_case<false>(c); }

}  // namespace vyn::natives
