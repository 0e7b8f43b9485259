// eval/natives/conditionals.cpp: if, unless, either, any, all, case and switch.
#include "core/error.hpp"
#include "eval/dispatch.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/logic.hpp"
#include "values/predefined.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

// any and all: expression by expression into the result slot.
template <bool Any>
Flow any_all(const Call& c) {
  Cell code = c.args[0];
  int32_t end = block::length_total(code);
  int32_t position = series_head(code) < 0 ? 0 : series_head(code);
  c.args[0] = make_none();
  stack::keep();
  Cell* held = stack::push(code);  // keeps the block alive while it is evaluated
  while (position < end) {
    Flow f = interp::eval_next(code, position, end, false);
    if (f != Flow::normal) return f;
    bool falsy = logic::falsy(c.args[0]);
    if (Any && !falsy) return Flow::normal;
    if (!Any && falsy) {
      c.args[0] = make_none();
      return Flow::normal;
    }
    stack::set_top(held + 1);
  }
  if (Any) c.args[0] = make_none();
  return Flow::normal;
}

// Evaluates a case branch: a block is run, any other value is the next expression.
[[nodiscard]] Flow branch(Cell code, int32_t& position, int32_t end) {
  Cell v = block::cells(code)[position];
  if (v.is(Type::block)) {
    ++position;
    return do_block(v);
  }
  return interp::eval_next(code, position, end, false);
}

// The first block after the first value of the cases that equals value, or nullptr.
bool select_case(const Cell& value, Cell cases, Cell* found) {
  if (value.is(Type::block)) return false;
  int32_t n = block::length_total(cases);
  for (int32_t i = series_head(cases); i < n; ++i) {
    Cell item = block::cells(cases)[i];
    if (item.type() != value.type()) continue;
    Cell v = value;
    if (!actions::compare(&item, &v, cmp::equal)) continue;
    for (int32_t j = i + 1; j < n; ++j) {
      if (block::cells(cases)[j].is(Type::block)) {
        *found = block::cells(cases)[j];
        return true;
      }
    }
    return false;
  }
  return false;
}

}  // namespace

Flow if_(const Call& c) {
  if (logic::falsy(c.args[0])) {
    c.args[0] = make_none();
    return Flow::normal;
  }
  return interp::eval_block_here(c.args[1]);
}

Flow unless_(const Call& c) {
  if (logic::truthy(c.args[0])) {
    c.args[0] = make_none();
    return Flow::normal;
  }
  return interp::eval_block_here(c.args[1]);
}

Flow either(const Call& c) {
  return interp::eval_block_here(logic::result_true() ? c.args[1] : c.args[2]);
}

Flow case_(const Call& c) {
  using Ref = Refs<Native::case_>;
  Cell code = c.args[0];
  bool all = c.has(Ref::all);
  int32_t end = block::length_total(code);
  int32_t position = series_head(code) < 0 ? 0 : series_head(code);
  c.args[0] = make_none();
  stack::keep();
  stack::push(code);  // keeps the block alive while it is evaluated
  Cell* result = stack::push(make_none());  // the last branch's value, kept alive too
  bool last_true = false;
  while (position < end) {
    Flow f = interp::eval_next(code, position, end, false);
    if (f != Flow::normal) return f;
    if (position >= end) fire(Err::script_need_value, {predefined::word(predefined::W::case_)});
    last_true = logic::result_true();
    if (!last_true) {
      ++position;
      continue;
    }
    f = branch(code, position, end);
    if (f != Flow::normal) return f;
    *result = c.args[0];
    if (!all) return Flow::normal;
    stack::set_top(result + 1);
  }
  c.args[0] = last_true ? *result : make_none();
  stack::keep();
  return Flow::normal;
}

Flow switch_(const Call& c) {
  using Ref = Refs<Native::switch_>;
  Cell found;
  Cell chosen;
  if (select_case(c.args[0], c.args[1], &found)) chosen = found;
  else if (c.has(Ref::default_)) chosen = *c.ref(Ref::default_);
  else {
    c.args[0] = make_none();
    stack::keep();
    return Flow::normal;
  }
  return do_block(chosen);
}

Flow any_(const Call& c) { return any_all<true>(c); }
Flow all_(const Call& c) { return any_all<false>(c); }

}  // namespace vyn::natives
