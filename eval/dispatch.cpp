// eval/dispatch.cpp: entry lookup, comparison by op code and the fast routines.
#include "eval/dispatch.hpp"

#include "core/error.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/error_args.hpp"
#include "values/series/series.hpp"

namespace vyn::actions {

int32_t pick_index(const Cell& index) {
  switch (index.type()) {
    case Type::integer: return index.int_value();
    case Type::char_: return static_cast<int32_t>(char_of(index));
    case Type::logic: return logic_of(index) ? 1 : 2;
    default: return 0;
  }
}

bool compare(Cell* a, Cell* b, int op) {
  int answer = compare_value(a, b, op);
  bool ordering = op >= cmp::lesser && op <= cmp::greater_or_equal;
  if (answer == -2 && ordering) fire(Err::script_invalid_compare, {*a, *b});
  switch (op) {
    case cmp::not_equal: return answer != 0;
    case cmp::lesser: return answer < 0;
    case cmp::lesser_or_equal: return answer <= 0;
    case cmp::greater: return answer > 0;
    case cmp::greater_or_equal: return answer >= 0;
    default: return answer == 0;
  }
}

void compare_args(int op) {
  Cell* args = stack::arguments();
  bool result = compare(&args[0], &args[1], op);
  args[0] = make_logic(result);
}

namespace {

// Integer operations that overflow give the float computed from the two integers.
void integer_math(Cell* a, int32_t x, int32_t y, MathOp op) {
  int32_t r;
  bool overflow = false;
  switch (op) {
    case MathOp::add: overflow = __builtin_add_overflow(x, y, &r); break;
    case MathOp::subtract: overflow = __builtin_sub_overflow(x, y, &r); break;
    case MathOp::multiply: overflow = __builtin_mul_overflow(x, y, &r); break;
    case MathOp::or_: r = x | y; break;
    case MathOp::and_: r = x & y; break;
    default: r = x ^ y; break;
  }
  if (!overflow) {
    *a = make_integer(r);
    return;
  }
  double dx = x, dy = y;
  *a = make_float(op == MathOp::add ? dx + dy : op == MathOp::subtract ? dx - dy : dx * dy);
}

Action action_of(MathOp op) {
  switch (op) {
    case MathOp::add: return Action::add;
    case MathOp::subtract: return Action::subtract;
    case MathOp::multiply: return Action::multiply;
    case MathOp::or_: return Action::or_t;
    case MathOp::and_: return Action::and_t;
    default: return Action::xor_t;
  }
}

// Calls a simple action entry in a native frame of its own holding both operands.
void through_front_end(Cell* a, const Cell* b, Action slot) {
  stack::Mark mark;
  stack::mark_native(nullptr);
  Cell* args = stack::push(*a);
  stack::push(*b);
  auto fn = reinterpret_cast<SimpleEntry>(get_action(a->type(), a, slot));
  fn(args);
  *a = *args;
  stack::unwind_drop();
}

}  // namespace

void math_op_fast(Cell* a, const Cell* b, MathOp op) {
  if (a->is(Type::integer) && b->is(Type::integer)) return integer_math(a, a->int_value(), b->int_value(), op);
  bool arith = op == MathOp::add || op == MathOp::subtract || op == MathOp::multiply;
  if (arith && a->is(Type::float_) && b->is(Type::float_)) {
    double x = a->float_value(), y = b->float_value();
    *a = make_float(op == MathOp::add ? x + y : op == MathOp::subtract ? x - y : x * y);
    return;
  }
  through_front_end(a, b, action_of(op));
}

bool compare_op_fast(Cell* a, Cell* b, int op) {
  if (a->is(Type::integer) && b->is(Type::integer)) {
    int32_t x = a->int_value(), y = b->int_value();
    switch (op) {
      case cmp::not_equal: return x != y;
      case cmp::lesser: return x < y;
      case cmp::lesser_or_equal: return x <= y;
      case cmp::greater: return x > y;
      case cmp::greater_or_equal: return x >= y;
      default: return x == y;
    }
  }
  return compare(a, b, op);
}

Cell pick_index_fast(Cell* series, Cell* index) {
  if (series->is(Type::block) && index->is(Type::integer)) {
    int32_t n = index->int_value();
    int32_t len = block::vs_length(*series);
    if (n < 1 || n > len) return make_none();
    return block::vs_head(*series)[n - 1];
  }
  stack::Mark mark;
  Cell* s = stack::push(*series);
  Cell* i = stack::push(*index);
  auto fn = get<Action::pick>(s);
  return *fn(s, pick_index(*i), i);
}

Cell series_nav_fast(const Cell& series, Nav op) {
  Cell s = series;
  if (!s.is(Type::block)) {
    static const Action slots[] = {Action::none, Action::length_q, Action::index_q, Action::head_q,
                                   Action::tail_q, Action::next, Action::back, Action::head, Action::tail};
    stack::Mark mark;
    Cell* args = stack::push(s);
    stack::push(make_none());
    Action slot = slots[static_cast<int>(op)];
    if (slot == Action::length_q) {
      int32_t n = get<Action::length_q>(args)(args);
      return n < 0 ? make_none() : make_integer(n);
    }
    reinterpret_cast<SimpleEntry>(get_action(s.type(), &s, slot))(args);
    return *args;
  }
  int32_t len = block::length_total(s);
  int32_t head = series_head(s);
  switch (op) {
    case Nav::length: return make_integer(head > len ? 0 : len - head);
    case Nav::index: return make_integer(head + 1);
    case Nav::head_q: return make_logic(head == 0);
    case Nav::tail_q: return make_logic(head >= len);
    case Nav::next: if (head < len) s.w1++; return s;
    case Nav::back: if (head > 0) s.w1--; return s;
    case Nav::head: s.w1 = 0; return s;
    default: s.w1 = static_cast<uint32_t>(len); return s;
  }
}

}  // namespace vyn::actions
