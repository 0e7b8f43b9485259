// eval/natives/numbers.cpp: the sign tests, zero?, max and min, to-hex, as-pair, shift, and
// as-point2D and as-point3D.
#include <cmath>
#include <string_view>

#include "core/compare_ops.hpp"
#include "core/error.hpp"
#include "eval/dispatch.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/shift.hpp"
#include "eval/natives/support.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/numbers/tuple.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::natives {
namespace {

bool is_number(Type t) { return t == Type::integer || t == Type::float_ || t == Type::percent; }
bool is_float_like(Type t) { return t == Type::float_ || t == Type::percent || t == Type::time; }

// ---- sign tests

// -1, 0 or 1 for the number the native was given; other types raise script/expect-arg.
int sign_of(const Call& c, Native n) {
  const Cell& v = c.args[0];
  if (v.is(Type::integer)) return integer::sign(v.int_value());
  if (is_float_like(v.type())) {
    double d = v.float_value();
    return (d > 0.0) - (d < 0.0);
  }
  if (v.is(Type::money)) return money::sign_q(v);
  fire(Err::script_expect_arg,
       {word::load(word_of(static_cast<int>(n))), make_datatype(v.type()), predefined::word(predefined::W::number)});
}

bool point_zero(const Cell& p) {
  for (int i = 0; i < point::dims(p.type()); ++i)
    if (point::get(p, i) != 0.0f) return false;
  return true;
}

// ---- max and min

bool nan_number(const Cell& v) {
  return (v.is(Type::float_) || v.is(Type::percent)) && std::isnan(v.float_value());
}

bool is_planar(Type t) {
  return t == Type::pair || t == Type::point2D || t == Type::point3D || t == Type::tuple;
}

// A number going into a pair! component: a float must fit an integer.
int32_t pair_component(const Cell& v) {
  if (v.is(Type::integer)) return v.int_value();
  return integer::from_double_checked(v.float_value());
}

int32_t pick_int(int32_t a, int32_t b, bool max) { return max ? (a < b ? b : a) : (a < b ? a : b); }

// The coordinates of one side of a point max/min; a number or a pair! (against a point2D!) is
// spread over them. Other mixes (point2D! with point3D!, pair! with point3D!) do not combine.
void point_operand(const Cell& v, Type t, float out[3]) {
  if (v.is(Type::pair) && t == Type::point2D) {
    out[0] = static_cast<float>(pair::x_of(v));
    out[1] = static_cast<float>(pair::y_of(v));
  } else if (is_number(v.type())) {
    out[0] = out[1] = out[2] = point::number_to_f32(v);
  } else if (v.is(t)) {
    for (int i = 0; i < point::dims(t); ++i) out[i] = point::get(v, i);
  } else {
    fire(Err::script_invalid_type, {make_datatype(v.type())});
  }
}

// A NaN coordinate wins its component.
float pick_float(float a, float b, bool max) {
  if (std::isnan(a)) return a;
  if (std::isnan(b)) return b;
  return max ? (a < b ? b : a) : (a < b ? a : b);
}

Cell point_max_min(const Cell& a, const Cell& b, bool max) {
  bool three = a.is(Type::point3D) || b.is(Type::point3D);
  Type t = three ? Type::point3D : Type::point2D;
  float x[3] = {0, 0, 0}, y[3] = {0, 0, 0};
  point_operand(a, t, x);
  point_operand(b, t, y);
  Cell r = make_cell(t);
  for (int i = 0; i < point::dims(t); ++i) point::set(r, i, pick_float(x[i], y[i], max));
  return r;
}

// Component by component; a number stands for itself in every component.
Cell planar_max_min(const Cell& a, const Cell& b, bool max) {
  if (a.is(Type::tuple) || b.is(Type::tuple)) return tuple::max_min(a, b, max);
  if (a.is(Type::point2D) || a.is(Type::point3D) || b.is(Type::point2D) || b.is(Type::point3D))
    return point_max_min(a, b, max);
  int32_t ax = a.is(Type::pair) ? pair::x_of(a) : pair_component(a);
  int32_t ay = a.is(Type::pair) ? pair::y_of(a) : ax;
  int32_t bx = b.is(Type::pair) ? pair::x_of(b) : pair_component(b);
  int32_t by = b.is(Type::pair) ? pair::y_of(b) : bx;
  return pair::make(pick_int(ax, bx, max), pick_int(ay, by, max));
}

bool component_wise(const Cell& a, const Cell& b) {
  Type ta = a.type(), tb = b.type();
  return (is_planar(ta) && (is_planar(tb) || is_number(tb))) || (is_planar(tb) && is_number(ta));
}

template <bool Max>
Flow max_min(const Call& c) {
  Cell* a = &c.args[0];
  Cell* b = &c.args[1];
  if (nan_number(*a) && is_number(b->type())) return Flow::normal;
  if (nan_number(*b) && is_number(a->type())) {
    *a = *b;
    return Flow::normal;
  }
  if (component_wise(*a, *b)) {
    *a = planar_max_min(*a, *b, Max);
    return Flow::normal;
  }
  bool less = actions::compare(a, b, cmp::lesser);
  if (Max == less) *a = *b;
  return Flow::normal;
}

// ---- to-hex and as-pair

// A float! coordinate must be finite and fit an integer; it is truncated toward zero.
int32_t coordinate(const Cell& v) {
  if (v.is(Type::integer)) return v.int_value();
  if (!std::isfinite(v.float_value())) fire(Err::script_invalid_arg, {v});
  return integer::from_double_checked(v.float_value());
}

}  // namespace

Flow negative_q(const Call& c) {
  c.args[0] = make_logic(sign_of(c, Native::negative_q) < 0);
  return Flow::normal;
}

Flow positive_q(const Call& c) {
  c.args[0] = make_logic(sign_of(c, Native::positive_q) > 0);
  return Flow::normal;
}

Flow sign_q(const Call& c) {
  c.args[0] = make_integer(sign_of(c, Native::sign_q));
  return Flow::normal;
}

Flow zero_q(const Call& c) {
  const Cell& v = c.args[0];
  bool zero;
  switch (v.type()) {
    case Type::integer: case Type::char_: zero = v.int_value() == 0; break;
    case Type::float_: case Type::percent: case Type::time: zero = v.float_value() == 0.0; break;
    case Type::pair: zero = pair::x_of(v) == 0 && pair::y_of(v) == 0; break;
    case Type::money: zero = money::zero_q(v); break;
    case Type::tuple: zero = tuple::zero_q(v); break;
    case Type::point2D: case Type::point3D: zero = point_zero(v); break;
    default:
      fire(Err::script_expect_arg, {predefined::word(predefined::W::zero_q), make_datatype(v.type()), predefined::word(predefined::W::value)});
  }
  c.args[0] = make_logic(zero);
  return Flow::normal;
}

// /size length: the last length of the eight digits (all eight when length >= 8).
Flow to_hex(const Call& c) {
  using Ref = Refs<Native::to_hex>;
  std::string_view digits = string::int_to_hex(c.args[0].int_value(), false);
  if (Cell* size = c.ref(Ref::size)) {
    int32_t length = size->int_value();
    if (length <= 0) fire(Err::script_invalid_arg, {*size});
    if (length < 8) digits.remove_prefix(static_cast<size_t>(8 - length));
  }
  c.args[0] = word::load_as(digits, Type::issue);
  return Flow::normal;
}

Flow as_pair(const Call& c) {
  c.args[0] = pair::make(coordinate(c.args[0]), coordinate(c.args[1]));
  return Flow::normal;
}

// The amount as money with the currency the word names.
Flow as_money(const Call& c) {
  const Cell& code = c.args[0];
  int currency = money::find_currency(word::symbol(code));
  if (currency < 0) fire(Err::script_bad_denom, {code});
  const Cell& amount = c.args[1];
  Cell m = amount.is(Type::integer) ? money::from_integer(amount.int_value())
                                    : money::from_float(amount.float_value(), true);
  money::set_currency(m, currency);
  c.args[0] = m;
  return Flow::normal;
}

Flow max_(const Call& c) { return max_min<true>(c); }
Flow min_(const Call& c) { return max_min<false>(c); }

// The shift native: arithmetic right by default, /left, /logical.

// /left wins when both /left and /logical are given.
Flow shift_(const Call& c) {
  using Ref = Refs<Native::shift>;
  int32_t data = c.args[0].int_value();
  int32_t bits = c.args[1].int_value();
  int32_t r = c.has(Ref::left)      ? shifts::left(data, bits)
              : c.has(Ref::logical) ? shifts::logical(data, bits)
                                    : shifts::right(data, bits);
  c.args[0] = make_integer(r);
  return Flow::normal;
}

// As-point2D and as-point3D, points from separate coordinates.

// The argument types are checked by the spec: integer! or float! each.
Flow as_point2D(const Call& c) {
  c.args[0] = point::make2(point::number_to_f32(c.args[0]), point::number_to_f32(c.args[1]));
  return Flow::normal;
}

Flow as_point3D(const Call& c) {
  c.args[0] = point::make3(point::number_to_f32(c.args[0]), point::number_to_f32(c.args[1]),
                           point::number_to_f32(c.args[2]));
  return Flow::normal;
}

}  // namespace vyn::natives
