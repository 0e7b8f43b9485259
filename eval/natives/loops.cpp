// eval/natives/loops.cpp: while, until, loop, repeat and forever.
#include <cmath>

#include "core/error.hpp"
#include "eval/interp.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/numbers/logic.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {

int64_t loop_count(const Cell& count) {
  if (count.is(Type::integer)) return count.int_value();
  double d = std::trunc(count.float_value());
  if (!(d == d)) return 0;
  if (d > 2147483647.0) return 2147483647;
  if (d < -2147483648.0) return -2147483648LL;
  return static_cast<int64_t>(d);
}

Flow while_(const Call& c) {
  Cell cond = c.args[0], body = c.args[1];
  open_loop(make_unset());
  for (;;) {
    stack::keep();
    Flow f = interp::eval_block_here(cond);
    if (f == Flow::break_ || f == Flow::continue_) fire(Err::throw_while_cond);
    if (f != Flow::normal) return f;
    if (!logic::result_true()) break;
    f = body_pass(body);
    if (f == Flow::break_) break;
    if (!goes_on(f)) return f;
  }
  close_loop();
  c.args[0] = make_unset();
  return Flow::normal;
}

Flow until(const Call& c) {
  Cell body = c.args[0];
  open_loop(make_unset());
  for (;;) {
    stack::reset();
    Flow f = interp::eval_block(body, true);
    if (f == Flow::continue_) continue;
    if (f == Flow::break_) break;
    if (f != Flow::normal) return f;
    if (logic::result_true()) break;
  }
  stack::set_top(stack::arguments() + 1);
  close_loop();
  return Flow::normal;
}

Flow loop_(const Call& c) {
  int64_t count = loop_count(c.args[0]);
  Cell body = c.args[1];
  if (count <= 0) {
    c.args[0] = make_none();
    return Flow::normal;
  }
  open_loop(make_unset());
  for (int64_t i = 0; i < count; ++i) {
    Flow f = body_pass(body);
    if (f == Flow::break_) break;
    if (!goes_on(f)) return f;
  }
  close_loop();
  return Flow::normal;
}

// The counter lives apart from the word, which is set from it before each pass.
Flow repeat_(const Call& c) {
  Cell word_cell = c.args[0];
  int64_t count = loop_count(c.args[1]);
  Cell body = c.args[2];
  if (count <= 0) {
    c.args[0] = make_none();
    return Flow::normal;
  }
  open_loop(make_unset());
  for (int64_t i = 1; i <= count; ++i) {
    word::set(word_cell, make_integer(static_cast<int32_t>(i)));
    Flow f = body_pass(body);
    if (f == Flow::break_) break;
    if (!goes_on(f)) return f;
  }
  close_loop();
  return Flow::normal;
}

Flow forever_(const Call& c) {
  Cell body = c.args[0];
  open_loop(make_unset());
  for (;;) {
    Flow f = body_pass(body);
    if (f == Flow::break_) break;
    if (!goes_on(f)) return f;
  }
  close_loop();
  return Flow::normal;
}

}  // namespace vyn::natives
