// eval/interp.cpp: evaluating blocks and expressions, with the infix lookahead.
#include "eval/interp.hpp"

#include <vector>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "eval/engine/engine.hpp"
#include "eval/fast_ops.hpp"
#include "values/frames.hpp"
#include "eval/interp_internal.hpp"
#include "eval/interp_steps.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "platform/signals.hpp"
#include "values/action_sigs.hpp"
#include "values/callables/callable.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::interp {
namespace {

Cell code_cell = make_unset();
// The current-code cells of the evaluations the innermost one interrupted, outermost first: kept
// here, where the collector marks them, rather than in C++ locals. Every nested evaluation also
// holds a call frame, so the frame limit bounds the depth.
constexpr int saved_capacity = stack::frame_capacity + 64;
Cell saved_code[saved_capacity];
int saved_count = 0;

// Puts the current-code cell back when an evaluation ends, however it ends.
struct CodeScope {
  CodeScope() {
    if (saved_count >= saved_capacity) stack::overflow();
    saved_code[saved_count++] = code_cell;
  }
  ~CodeScope() { code_cell = saved_code[--saved_count]; }
};

void mark_code(void*) {
  gc::mark_cell(code_cell);
  for (int i = 0; i < saved_count; ++i) gc::mark_cell(saved_code[i]);
}

const Cell* at(const Cell& code, int32_t i) { return block::cells(code) + i; }

}  // namespace

// A word whose value cannot be an expression's result.
[[noreturn, gnu::cold, gnu::noinline]] void word_error(const Cell& w, Type t) {
  if (t == Type::op) fire(Err::script_no_op_arg, {w});
  fire(Err::script_no_value, {w});
}

namespace {

[[nodiscard, gnu::noinline]] Flow set_word(const Cell& sw, Cell code, int32_t& position, int32_t end, bool push) {
  stack::mark_interp_native(&sw);
  Cell* frame = stack::push(sw);
  if (trace::active) [[unlikely]] trace::fire(trace::push, code, position - 1, sw, make_none());
  if (position >= end) fire(Err::script_need_value, {sw});
  Flow f = eval_expression(code, position, end, false, true, false);
  if (f != Flow::normal) return f;
  if (trace::active) [[unlikely]] trace::fire(trace::set, code, position, frame[1], sw);
  if (frame[1].is(Type::unset)) fire(Err::script_need_value, {sw});
  word::set_from_arg();
  if (push) stack::unwind(); else stack::unwind_last();
  return Flow::normal;
}

[[nodiscard]] Flow set_path(const Cell& sp, Cell code, int32_t& position, int32_t end, bool push) {
  if (position >= end) fire(Err::script_need_value, {sp});
  Cell name = predefined::word(predefined::W::set_path);
  stack::mark_interp_native(&name);
  Flow f = eval_expression(code, position, end, false, true, false);
  if (f != Flow::normal) return f;
  if (trace::active) [[unlikely]] trace::fire(trace::set, code, position, *stack::last_value(), sp);
  int32_t path_pos = 0;
  f = eval_path_at(sp, make_none(), path_pos, 0, true, false, false);
  if (f != Flow::normal) return f;
  if (push) stack::unwind(); else stack::unwind_last();
  return Flow::normal;
}

[[nodiscard, gnu::noinline]] Flow paren(const Cell& p, bool push) {
  Cell body = predefined::word(predefined::W::body);
  stack::mark_interp_native(&body);
  stack::push_unset();
  Flow f = eval_block_here(p);
  if (f != Flow::normal) return f;
  if (push) stack::unwind(); else stack::unwind_last();
  return Flow::normal;
}

bool system_issue(const Cell& v, const Cell& code, int32_t position, int32_t end) {
  if (!v.is(Type::issue) || position >= end || !at(code, position)->is(Type::block)) return false;
  uint32_t s = symbol::resolve(word::symbol(v));
  return s == symbol::resolve(predefined::symbol(predefined::S::system)) ||
         s == symbol::resolve(predefined::symbol(predefined::S::system_global));
}

}  // namespace

// The value kinds the hot path of single leaves to this routine.
[[nodiscard, gnu::noinline]] Flow single_rare(Cell v, Cell code, int32_t& position, int32_t end, bool push,
                                            bool literal_functions) {
  switch (v.type()) {
    case Type::paren: return paren(v, push);
    case Type::set_word: return set_word(v, code, position, end, push);
    case Type::set_path: return set_path(v, code, position, end, push);
    case Type::get_word: put(*word::value_cell(v), push); return Flow::normal;
    case Type::lit_word: v.header = static_cast<uint32_t>(Type::word); put(v, push); return Flow::normal;
    case Type::path: --position; return eval_path_at(v, code, position, end, false, false, push);
    case Type::get_path: --position; return eval_path_at(v, code, position, end, false, true, push);
    case Type::lit_path:
      v.header = static_cast<uint32_t>(Type::path);
      set_series_extra(v, 0);
      put(v, push);
      return Flow::normal;
    case Type::native: case Type::action: case Type::function: case Type::routine:
      if (literal_functions) break;
      return eval_code(v, code, position, end, push, CallSite{anon_word(), make_none(), 0, make_none(), false});
    case Type::op: fire(Err::internal_not_done);
    case Type::issue:
      if (system_issue(v, code, position, end)) fire(Err::internal_vyn_system);
      break;
    default: break;
  }
  put(v, push);
  return Flow::normal;
}

namespace {

// One value's evaluation, before any infix lookahead. Words and values that stand for themselves
// take the short road.
[[nodiscard, gnu::always_inline]] inline Flow single(Cell code, int32_t& position, int32_t end, bool push, bool literal_functions) {
  const Cell v = block::cells(code)[position++];
  switch (v.type()) {
    case Type::word: {
      const Cell* value = word::value_cell(v);
      switch (value->type()) {
        case Type::native: case Type::action:
          if (!literal_functions) return eval_native_word_call(*value, v, code, position, end, push);
          break;
        case Type::function:
          if (!literal_functions) return eval_function_word_call(*value, v, code, position, end, push);
          break;
        case Type::routine:
          if (!literal_functions) return eval_word_call(*value, v, code, position, end, push);
          break;
        case Type::unset: case Type::op: word_error(v, value->type());
        default: break;
      }
      put(*value, push);
      return Flow::normal;
    }
    case Type::paren: return paren(v, push);
    case Type::set_word: return set_word(v, code, position, end, push);
    case Type::set_path: case Type::get_word: case Type::lit_word:
    case Type::path: case Type::get_path: case Type::lit_path: case Type::native: case Type::action:
    case Type::function: case Type::routine: case Type::op: case Type::issue:
      return single_rare(v, code, position, end, push, literal_functions);
    default:
      put(v, push);
      return Flow::normal;
  }
}

// An infix call: the left operand is at start, the operator's right operand follows in the code.
// Two integers are worked here without a call, but not while a tracer listens: it must see the
// call open, run and return.
[[nodiscard]] Flow infix_call(Cell op, const Cell& name, Cell code, int32_t& position, int32_t end,
                              bool push, Cell* start) {
  Fast kind = fast_kind(op);
  op = op::callee(op);
  if (kind == Fast::none || !start->is(Type::integer) || position >= end || trace::active) {
    stack::set_top(start + 1);
    return eval_code(op, code, position, end, push, CallSite{name, make_none(), 0, make_none(), true});
  }
  stack::set_top(start + 1);
  Flow f = single(code, position, end, true, false);
  if (f != Flow::normal) return f;
  Cell values[2] = {*start, start[1]};
  Cell result;
  if (values[1].is(Type::integer) && integer_op(kind, values[0].int_value(), values[1].int_value(), &result)) {
    stack::set_top(start);
    put(result, push);
    return Flow::normal;
  }
  // the operands stay on the stack while the call is made: call_with allocates before it copies them
  f = call_with(op, values, 2, name);
  if (f != Flow::normal) return f;
  result = *stack::last_value();
  stack::set_top(start);
  put(result, push);
  return Flow::normal;
}

}  // namespace

bool is_callable(Type t) {
  return t == Type::native || t == Type::action || t == Type::function || t == Type::routine || t == Type::op;
}

Cell anon_word() { return predefined::word(predefined::W::anon); }

void init() {
  code_cell = make_unset();
  saved_count = 0;
  gc::add_mark_callback(mark_code);
  install_callbacks();
  evaluator::set_hooks({eval_block, call_with, call_function, current_code});
  engine::init();
}
Cell& current_code() { return code_cell; }

namespace {

// eval_expression after its first value: the operators that follow it.
[[gnu::always_inline]] inline Flow lookahead(Cell code, int32_t& position, int32_t end, bool push, Cell* start) {
  Flow f;
  Cell op;
  while (infix_operator(code, position, end, &op)) {
    if (integer_step(op, code, position, end, push ? start : stack::arguments())) continue;
    Cell name = *at(code, position++);
    if (trace::active) [[unlikely]] trace::fire(trace::fetch, code, position - 1, name, make_none());
    Cell left = push ? *start : *stack::arguments();
    stack::set_top(start);
    stack::push(left);
    f = infix_call(op, name, code, position, end, push, start);
    if (f != Flow::normal) return f;
  }
  if (trace::active) [[unlikely]] trace::expression_done(code, position, push);
  return Flow::normal;
}

}  // namespace

namespace {

// eval_expression's steps, in line where a block's loop takes its expressions.
[[gnu::always_inline]] inline Flow expression(Cell code, int32_t& position, int32_t end, bool no_infix, bool push,
                                              bool literal_functions) {
  Cell* start = stack::top();
  if (trace::active) [[unlikely]] trace::fire(trace::fetch, code, position, *at(code, position), make_none());
  Flow f = single(code, position, end, push, literal_functions);
  if (f != Flow::normal || no_infix) return f;
  return lookahead(code, position, end, push, start);
}

}  // namespace

Flow eval_expression(Cell code, int32_t& position, int32_t end, bool no_infix, bool push,
                     bool literal_functions) {
  return expression(code, position, end, no_infix, push, literal_functions);
}

Flow eval_block(Cell block, bool chain) {
  Cell body = predefined::word(predefined::W::body);
  stack::mark_eval(&body);
  stack::push_unset();
  Flow f = eval_block_here(block);
  if (f != Flow::normal) return f;
  if (chain) stack::unwind_last(); else stack::unwind();
  return Flow::normal;
}

Flow eval_block_here(Cell block) {
  // the engine takes every block but those entered while a tracer is installed
  if (engine::on && !trace::enabled) [[likely]] return engine::run_block_here(block);
  CodeScope scope;
  int32_t end = block::length_total(block);
  int32_t position = series_head(block) < 0 ? 0 : series_head(block);
  if (position >= end) *stack::arguments() = make_unset();
  if (trace::active) [[unlikely]] trace::fire(trace::enter, block, position, make_none(), make_none());
  code_cell = block;
  // before each expression (and for an empty block, as in `forever []`): where a termination
  // request ends the process
  if (position >= end) signals::poll();
  while (position < end) {
    signals::poll();
    set_series_head(code_cell, position);
    Flow f = expression(block, position, end, false, false, false);
    if (f != Flow::normal) return f;
    if (position < end) stack::keep();
  }
  if (trace::active) [[unlikely]] trace::fire(trace::exit, block, position, *stack::arguments(), make_none());
  return Flow::normal;
}

Flow infix_tail(Cell code, int32_t& position, int32_t end, bool push, Cell* start) {
  return lookahead(code, position, end, push, start);
}

Flow eval_next(Cell code, int32_t& position, int32_t end, bool push) {
  Cell body = predefined::word(predefined::W::body);
  stack::mark_interp_native(&body);
  stack::push_unset();
  Flow f = eval_expression(code, position, end, false, false, false);
  if (f != Flow::normal) return f;
  if (push) stack::unwind(); else stack::unwind_last();
  return Flow::normal;
}

Flow eval_single(Cell& block, int32_t& next_index) {
  int32_t end = block::length_total(block);
  int32_t position = series_head(block) < 0 ? 0 : series_head(block);
  if (position >= end) {
    *stack::arguments() = make_unset();
    next_index = end;
    return Flow::normal;
  }
  Flow f = eval_next(block, position, end, false);
  next_index = position;
  return f;
}

}  // namespace vyn::interp
