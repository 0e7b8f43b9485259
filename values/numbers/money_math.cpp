// values/numbers/money_math.cpp: money! arithmetic with its mixed operands, comparison and rounding.
#include "core/error.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/money.hpp"
#include "values/words/symbol.hpp"

namespace vyn::money {
namespace {

[[noreturn]] void invalid_type(Type t) { fire(Err::script_invalid_type, {make_datatype(t)}); }

// An arithmetic operand as money: integers exactly, floats and percents to five decimals.
Amount operand(const Cell& c) {
  switch (c.type()) {
    case Type::money: return unpack(c);
    case Type::integer: return unpack(from_integer(c.int_value()));
    case Type::float_:
    case Type::percent: return unpack(from_float(c.float_value(), false));
    default: invalid_type(c.type());
  }
}

Amount combine(const Amount& l, const Amount& r, Arith op) {
  switch (op) {
    case Arith::add: return add(l, r);
    case Arith::subtract: return subtract(l, r);
    case Arith::multiply: return multiply(l, r);
    case Arith::divide: return divide(l, r, false);
    default: return divide(l, r, true);
  }
}

}  // namespace

void do_math(Cell* args, Arith op) {
  Cell* left = args;
  Cell* right = args + 1;
  bool lm = left->is(Type::money), rm = right->is(Type::money);
  bool by_money = op == Arith::divide || op == Arith::remainder;
  if (static_cast<int>(op) > static_cast<int>(Arith::remainder) || (op == Arith::multiply && lm && rm) ||
      (by_money && !lm))
    invalid_type(left->type());
  Amount l = operand(*left), r = operand(*right);
  if (l.currency && r.currency && l.currency != r.currency)
    fire(Err::script_wrong_denom, {*left, *right});
  int currency = r.currency ? r.currency : l.currency;
  l.currency = currency;
  Amount result = combine(l, r, op);
  result.currency = currency;
  if (op == Arith::divide && lm && rm) {
    *args = make_float(to_float(pack(result)));
    return;
  }
  *args = pack(result);
}

namespace {

// A float! against a money value: amounts money cannot hold still have a plain order.
int compare_float(const Amount& a, double x, int op) {
  if (float_underflow_q(x)) {
    if (op != cmp::lesser && op != cmp::greater && op != cmp::lesser_or_equal && op != cmp::greater_or_equal &&
        op != cmp::sort && op != cmp::case_sort)
      return 1;
    if (amount_zero(a)) return x > 0 ? -1 : 1;
    return a.negative ? -1 : 1;  // any non-zero amount is larger than the float
  }
  if (float_overflow_q(x)) return x > 0 ? -1 : 1;
  return compare_amounts(a, unpack(from_float(x, true)));
}

// none before any currency; currency words in word order.
int compare_currencies(int a, int b) {
  if (a == b) return 0;
  if (a == 0 || b == 0) return a == 0 ? -1 : 1;
  Cell wa = currency_word(a), wb = currency_word(b);
  if (wa.is(Type::none_) || wb.is(Type::none_)) return a < b ? -1 : 1;
  return symbol::compare_spellings(word::symbol(wa), word::symbol(wb), cmp::sort);
}

}  // namespace

int compare(Cell* a, Cell* b, int op) {
  Amount x = unpack(*a);
  bool identity = op == cmp::strict_equal || op == cmp::same || op == cmp::find;
  if (!b->is(Type::money)) {
    if (identity) return 1;
    if (b->is(Type::integer)) return compare_amounts(x, unpack(from_integer(b->int_value())));
    if (b->is(Type::float_)) return compare_float(x, b->float_value(), op);
    return -2;
  }
  Amount y = unpack(*b);
  if (op == cmp::sort || op == cmp::case_sort) {
    int c = compare_currencies(x.currency, y.currency);
    return c ? c : compare_amounts(x, y);
  }
  bool clash = x.currency && y.currency && x.currency != y.currency;
  if (op >= cmp::lesser && op <= cmp::greater_or_equal) {
    if (clash) fire(Err::script_wrong_denom, {*a, *b});
  } else if (identity ? x.currency != y.currency : clash) {
    return 1;
  }
  return compare_amounts(x, y);
}

namespace {

Amount step_of(Cell* scale) {
  if (!scale) return unpack(from_integer(1));
  switch (scale->type()) {
    case Type::money: return unpack(*scale);
    case Type::integer: return unpack(from_integer(scale->int_value()));
    case Type::float_: return unpack(from_float(scale->float_value(), true));
    default: fire(Err::script_not_related, {stack::get_call(), make_datatype(scale->type())});
  }
}

Rounding mode_of(bool even, bool down, bool half_down, bool floor, bool ceiling, bool half_ceiling) {
  if (down) return Rounding::down;
  if (floor) return Rounding::floor;
  if (ceiling) return Rounding::ceiling;
  if (even) return Rounding::even;
  if (half_down) return Rounding::half_down;
  if (half_ceiling) return Rounding::half_ceiling;
  return Rounding::nearest;
}

}  // namespace

Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor, bool ceiling,
            bool half_ceiling) {
  if (zero_q(*value)) return value;
  Amount step = step_of(scale);
  if (amount_zero(step)) return value;
  Amount v = unpack(*value);
  bool negative = v.negative;
  Amount r = round_magnitude(v, step, mode_of(even, down, half_down, floor, ceiling, half_ceiling), negative);
  r.currency = v.currency;
  *value = pack(r);
  return value;
}

}  // namespace vyn::money
