// values/numbers/integer.cpp: integer!, the 32-bit signed integer: helpers, arithmetic and its entries.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/arith_rows.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/date.hpp"
#include "values/objects/error_args.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/point.hpp"
#include "values/series/vector.hpp"
#include "values/numbers/random.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn {

void number_needs(const char*) { fire(Err::internal_not_done); }

namespace integer {

int32_t get_result() { return stack::arguments()->int_value(); }
int32_t get_result_any() {
  const Cell& c = *stack::arguments();
  return c.is(Type::integer) ? c.int_value() : 0;
}
Cell* box(int32_t value) { return make_at(stack::arguments(), value); }
Cell* push(int32_t value) { return stack::push(make_integer(value)); }
Cell* make_at(Cell* cell, int32_t value) { return &(*cell = make_integer(value)); }
Cell* make_in(Cell block, int32_t value) { return &(*block::alloc_tail(block) = make_integer(value)); }

int32_t abs_checked(int32_t v) {
  if (v == INT32_MIN) fire(Err::math_overflow);
  return v < 0 ? -v : v;
}

Decimal form_decimal(int32_t v) {
  Decimal d;
  int i = sizeof d.text;
  // the magnitude as unsigned, so -2147483648 needs no case of its own
  uint32_t m = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  // two digits a step: half the divisions
  static constexpr char pairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (m >= 100) {
    uint32_t r = (m % 100) * 2;
    m /= 100;
    d.text[--i] = pairs[r + 1];
    d.text[--i] = pairs[r];
  }
  if (m >= 10) {
    d.text[--i] = pairs[m * 2 + 1];
    d.text[--i] = pairs[m * 2];
  } else {
    d.text[--i] = static_cast<char>('0' + m);
  }
  if (v < 0) d.text[--i] = '-';
  d.start = static_cast<uint8_t>(i);
  return d;
}

int32_t from_double_checked(double x) {
  if (float_range_check(x)) fire(Err::script_type_limit, {make_datatype(Type::integer)});
  return static_cast<int32_t>(x);
}

namespace {

// An operation code outside the table is a fault of the runtime itself.
[[noreturn]] void bad_op(Arith op) {
  std::fflush(stdout);
  std::printf("\n*** Runtime Error 101: invalid arithmetic code %d\n", static_cast<int>(op));
  std::fflush(stdout);
  std::exit(101);
}

// add, subtract and multiply in 32 bits; false on overflow, when the target (if any) becomes the
// float! of the operation done in doubles.
bool add_sub_mul(int32_t x, int32_t y, Arith op, Cell* target, int32_t* r) {
  bool overflow;
  switch (op) {
    case Arith::add: overflow = __builtin_add_overflow(x, y, r); break;
    case Arith::subtract: overflow = __builtin_sub_overflow(x, y, r); break;
    default: overflow = __builtin_mul_overflow(x, y, r); break;
  }
  if (!overflow) return true;
  double dx = x, dy = y;
  if (target) *target = make_float(op == Arith::add ? dx + dy : op == Arith::subtract ? dx - dy : dx * dy);
  return false;
}

}  // namespace

int32_t do_math(int32_t left, int32_t right, Arith op, Cell* target) {
  int32_t r;
  switch (op) {
    case Arith::add:
    case Arith::subtract:
    case Arith::multiply:
      if (!add_sub_mul(left, right, op, target, &r)) return 0;
      break;
    case Arith::divide:
    case Arith::remainder:
      if (right == 0) fire(Err::math_zero_divide);
      if (left == INT32_MIN && right == -1) fire(Err::math_overflow);
      if (op == Arith::remainder) {
        r = left % right;
      } else if (target && left % right != 0) {
        *target = make_float(static_cast<double>(left) / static_cast<double>(right));
        return 0;
      } else {
        r = left / right;
      }
      break;
    case Arith::or_: r = left | right; break;
    case Arith::and_: r = left & right; break;
    case Arith::xor_: r = left ^ right; break;
    default: bad_op(op);
  }
  if (target) target->set_int_value(r);
  return r;
}

namespace {

const char* op_word(Arith op) { return op == Arith::subtract ? "subtract" : "divide"; }

[[noreturn]] void not_related(const char* word) {
  fire(Err::script_not_related, {word_arg(word), make_datatype(Type::integer)});
}

}  // namespace

void do_math_stack(Cell* args, Arith op) {
  Cell* right = args + 1;
  switch (right->type()) {
    case Type::char_:
    case Type::integer: do_math(args->int_value(), right->int_value(), op, args); return;
    case Type::float_:
    case Type::percent:
    case Type::time: float_::do_math(args, op); return;
    case Type::money: money::do_math(args, op); return;
    case Type::tuple:
      if (op == Arith::subtract || op == Arith::divide) not_related(op_word(op));
      tuple::do_math(args, op);  // exchanges the operands
      return;
    case Type::pair:
    case Type::point2D:
    case Type::point3D:
      if (op == Arith::divide) not_related("divide");
      point::number_left(args, op);
      return;
    case Type::vector: vector::number_left(args, op); return;
    case Type::date:
      if (op != Arith::add) not_related("subtract");
      std::swap(args[0], args[1]);
      date::do_math(args, static_cast<int>(Arith::add));
      return;
    default: fire(Err::script_invalid_type, {make_datatype(right->type())});
  }
}

bool int_power(int32_t base, int32_t exp, int32_t* result) {
  int32_t r = 1;
  while (exp != 0) {
    if ((exp & 1) && __builtin_mul_overflow(r, base, &r)) return false;
    exp >>= 1;
    if (exp == 0) break;
    if (__builtin_mul_overflow(base, base, &base)) return false;
  }
  *result = r;
  return true;
}

namespace {

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  Decimal d = form_decimal(value->int_value());
  string::append_latin1(*buffer, d.view());
  return limit - static_cast<int32_t>(d.view().size());
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return form(value, buffer, part, limit);
}

int compare(Cell* a, Cell* b, int op) {
  if ((op == cmp::strict_equal || op == cmp::find) && !b->is(Type::integer)) return 1;
  switch (b->type()) {
    case Type::integer:
    case Type::char_: {
      int32_t x = a->int_value(), y = b->int_value();
      return (x > y) - (x < y);
    }
    case Type::money: {
      Cell as_money = money::from_integer(a->int_value());
      return money::compare(&as_money, b, op);
    }
    case Type::float_:
    case Type::percent:
    case Type::time: {
      Cell as_float = make_float(a->int_value());  // a itself keeps its type
      return float_::compare(&as_float, b, op);
    }
    default: return -2;
  }
}

void absolute(Cell* args) { args->set_int_value(abs_checked(args->int_value())); }

Cell* negate(Cell* value) {
  if (value->int_value() == INT32_MIN) fire(Err::math_overflow);
  value->set_int_value(negate_wrapping(value->int_value()));
  return value;
}

Cell* complement(Cell* value) {
  value->set_int_value(~value->int_value());
  return value;
}

bool even_q(Cell* value) { return (value->int_value() & 1) == 0; }
bool odd_q(Cell* value) { return (value->int_value() & 1) != 0; }

}  // namespace

// Defined in integer_convert.cpp and integer_round.cpp.
Cell* make(Cell* proto, Cell* spec, Type t);
Cell* to(Cell* proto, Cell* spec, Type t);
void power(Cell* args);
Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
            bool ceiling, bool half_ceiling);

void install() {
  using registry::def;
  registry::define(Type::integer, registry::arith_bitwise_rows<do_math_stack>(), {
      def<Action::make>(make),
      def<Action::random>(random::of_integer),
      def<Action::to>(to),
      def<Action::form>(form),
      def<Action::mold>(mold),
      def<Action::compare>(compare),
      def<Action::absolute>(absolute),
      def<Action::negate>(negate),
      def<Action::power>(power),
      def<Action::round>(round),
      def<Action::even_q>(even_q),
      def<Action::odd_q>(odd_q),
      def<Action::complement>(complement),
  });
}

}  // namespace integer
}  // namespace vyn
