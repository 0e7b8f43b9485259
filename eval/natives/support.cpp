// eval/natives/support.cpp: block evaluation for natives, loop frames and passes.
#include "eval/natives/support.hpp"

#include "core/error.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "values/objects/error.hpp"
#include "values/predefined.hpp"

namespace vyn::natives {

const Cell& body_word() { return predefined::word(predefined::W::body); }

Flow do_block(const Cell& block) { return interp::eval_block(block, true); }

void open_loop(const Cell& initial) {
  stack::mark_loop(&body_word());
  stack::push(initial);
}

void close_loop() { stack::unwind_last(); }

Flow body_pass(const Cell& body) {
  stack::keep();
  Flow f = interp::eval_block_here(body);
  if (f == Flow::continue_ || f == Flow::break_) stack::set_top(stack::arguments() + 1);
  return f;
}

Cell* caught_error() { return error::from_pending(); }

}  // namespace vyn::natives
