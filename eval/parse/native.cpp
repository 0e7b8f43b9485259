// eval/parse/native.cpp: the parse native, its trace events and the evaluation of rule parens.
#include <algorithm>
#include <cstdint>

#include "core/error.hpp"
#include "eval/interp.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "eval/parse/parser.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/numbers/logic.hpp"
#include "values/series/series.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::parse {

using predefined::W;

namespace {

bool call_back(Parser& p, const Cell& event, bool matched, Cell block, int32_t pos) {
  set_series_head(block, pos);
  Cell* values = stack::push(event);
  stack::push(make_logic(matched));
  stack::push(block);
  stack::push(*p.input);
  stack::push(*p.rule_stack);
  Flow f = interp::call_with(*p.callback, values, 5, predefined::word(W::parse_callback));
  if (f != Flow::normal) to_exception(f);
  bool go = logic::truthy(*stack::last_value());
  stack::set_top(values);
  return go;
}

// The /part limit as an input index.
int32_t part_limit(const Cell& input, const Cell& part) {
  if (part.is(Type::integer) || part.is(Type::float_)) {
    double n = part.is(Type::integer) ? part.int_value() : part.float_value();
    if (n != n) fire(Err::script_invalid_part, {part});  // NaN counts nothing
    int64_t limit = series_head(input) + static_cast<int64_t>(n < 0 ? 0 : n > 2e9 ? 2e9 : n);
    return static_cast<int32_t>(std::min<int64_t>(limit, INT32_MAX));
  }
  if (part.type() != input.type() || series_node(part) != series_node(input))
    fire(Err::script_invalid_part, {part});
  return series_head(part) < series_head(input) ? series_head(input) : series_head(part);
}

Cell run(Parser& p, Cell rules) {
  R r = R::fail;
  try {
    r = match_block(p, rules);
  } catch (const Stop& s) {
    return make_logic(s.matched);
  }
  bool ok = (r == R::ok || r == R::brk) && p.at_end();
  if (p.tracing) call_back(p, predefined::word(predefined::W::end), ok, rules, series_head(rules));
  if (p.result->is(Type::block)) return *p.result;
  return make_logic(ok);
}

}  // namespace

void call_event(Parser& p, W event, bool matched, const Cell& block, int32_t pos) {
  if (!call_back(p, predefined::word(event), matched, block, pos)) throw Stop{matched};
}

Cell eval_paren(Cell paren) {
  Cell* slot = stack::top();
  Flow f = interp::eval_block(paren, false);
  if (f != Flow::normal) to_exception(f);
  Cell v = *stack::last_value();
  stack::set_top(slot);
  return v;
}

}  // namespace vyn::parse

namespace vyn::natives {

// Runs the rules over the input; the parse helpers above are reached through their namespace.
Flow parse_(const Call& c) {
  using Ref = Refs<Native::parse>;
  parse::Parser p;
  char floor;
  p.stack_limit = parse::stack_limit(&floor);
  Cell* base = stack::top();
  p.input = stack::push(c.args[0]);
  if (static_cast<uint32_t>(series_head(*p.input)) > static_cast<uint32_t>(p.tail())) p.set_index(p.tail());
  p.rule_stack = block::push_only(8);
  p.inputs = block::push_only(4);
  p.collects = block::push_only(4);
  p.result = stack::push(make_none());
  p.callback = stack::push(c.has(Ref::trace) ? *c.ref(Ref::trace) : make_none());
  p.tracing = p.callback->is(Type::function);
  p.mode = c.has(Ref::case_) ? 2 : 0;
  if (c.has(Ref::part)) p.limit = parse::part_limit(*p.input, *c.ref(Ref::part));
  try {
    Cell answer = parse::run(p, c.args[1]);
    c.args[0] = answer;
  } catch (const Exit& e) {
    stack::set_top(base);
    return e.code;
  }
  stack::set_top(base);
  return Flow::normal;
}

}  // namespace vyn::natives
