// eval/engine/loop.cpp: the flat loop. Each label does what the interpreter's routine of the same
// name does (eval_block_here, eval_expression with its infix lookahead and infix_call,
// eval_word_call with call_function, paren, set_word), step for step, with the C++ recursion
// between them replaced by records; every other step calls the interpreter's own routine.
#include <cmath>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/stack.hpp"
#include "eval/engine/engine.hpp"
#include "eval/engine/plans.hpp"
#include "eval/engine/records.hpp"
#include "eval/fast_ops.hpp"
#include "eval/interp.hpp"
#include "eval/interp_internal.hpp"
#include "eval/interp_steps.hpp"
#include "eval/natives/support.hpp"
#include "eval/routine_call.hpp"
#include "eval/trace.hpp"
#include "platform/signals.hpp"
#include "values/frames.hpp"
#include "values/callables/function.hpp"
#include "values/numbers/logic.hpp"
#include "values/predefined.hpp"
#include "values/series/block.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::engine {
namespace {

// Every record but the expressions of one block holds a call frame or lies in one, a frame holds
// at most a few, and the frames run out at 12,000: this never fills.
constexpr int record_capacity = stack::frame_capacity * 16;
Record* recs = nullptr;
int top = 0;   // the next free record
int blk = -1;  // the innermost block record: the code that expressions and arguments read

void mark_records(void*) {
  for (int i = 0; i < top; ++i) {
    if (recs[i].kind == RecKind::paren) continue;
    gc::mark_cell(recs[i].a);
    if (recs[i].kind != RecKind::set_word) gc::mark_cell(recs[i].b);
  }
}

Record& push_record(RecKind kind) {
  if (top >= record_capacity) [[unlikely]] stack::overflow();
  Record& r = recs[top++];
  r.kind = kind;
  r.stage = 0;
  return r;
}

const Cell& body_word() { return predefined::word(predefined::W::body); }

// eval_block_here up to its first expression.
void open_block(const Cell& block) {
  Record& r = push_record(RecKind::block);
  r.b = interp::current_code();
  r.a = block;
  r.end = block::length_total(block);
  r.position = series_head(block) < 0 ? 0 : series_head(block);
  if (r.position >= r.end) *stack::arguments() = make_unset();
  interp::current_code() = block;
  signals::poll();
  r.outer = blk;
  blk = top - 1;
  r.plan = plan_for(block);
}

inline void close_block(Record& r) {
  interp::current_code() = r.b;
  blk = r.outer;
  --top;
}

// What an expression does once its first value is in place: where it starts on the stack, whether
// its value is pushed, whether operators may follow.
struct Expr {
  Cell* at;
  bool push;
  bool no_infix;
};

inline Record& push_waiting(RecKind kind, const Expr& e) {
  Record& r = push_record(kind);
  r.at = e.at;
  r.push = e.push;
  r.no_infix = e.no_infix;
  return r;
}
inline Expr waiting(const Record& r) { return Expr{r.at, r.push, r.no_infix}; }

// eval_word_call up to its first argument.
void open_call(const Cell& callable, const Cell& name, const Expr& e, Entry* entry) {
  Record& r = push_waiting(RecKind::call, e);
  r.a = callable;
  r.b = name;
  r.position = 0;
  stack::push(callable);
  r.function = callable.is(Type::function);
  if (r.function) stack::mark_interp_func(&r.b, function::context_of(callable));
  else stack::mark_interp_native(&r.b);
  r.call = nullptr;
  r.call = call_plan_fast(entry, r.a);  // callable may lie in a buffer that making a plan moves
}

void open_paren(const Cell& paren, const Expr& e) {
  stack::mark_interp_native(&body_word());
  stack::push_unset();
  push_waiting(RecKind::paren, e);
  open_block(paren);
}

void open_set_word(const Cell& sw, const Expr& e) {
  Record& r = push_waiting(RecKind::set_word, e);
  r.a = sw;
  stack::mark_interp_native(&r.a);
  stack::push(sw);
  if (recs[blk].position >= recs[blk].end) fire(Err::script_need_value, {sw});
}

// The end of eval_word_call: the frame popped, the result moved into the callable's slot.
inline void finish_call(Record& r) {
  if (r.function) {
    if (r.push) stack::unwind_func(); else stack::unwind_func_last();
  } else {
    if (r.push) stack::unwind(); else stack::unwind_last();
  }
  if (r.push) {
    *r.at = r.at[1];
    stack::set_top(r.at + 1);
  } else {
    stack::set_top(r.at);
  }
  --top;
}

enum CallStage : uint8_t { gathering = 0, argument = 1, body = 2, branch = 3, loop_cond = 4, loop_body = 5 };

inline bool looping(const Record& r) { return r.stage == CallStage::loop_cond || r.stage == CallStage::loop_body; }


// The block a loop native's pass runs: while's condition or body, loop's or repeat's body.
inline const Cell& pass_block(const Record& r) {
  switch (r.call->special) {
    case Special::while_: return r.args[r.stage == CallStage::loop_cond ? 0 : 1];
    case Special::loop_: return r.args[1];
    default: return r.args[2];
  }
}

inline void check_argument(const Record& r, const ArgStep& s) {
  const Cell& value = *stack::last_value();
  if (!typeset::has(s.types, value.type())) interp::plain_type_error(r.a, r.b, s.index, value);
}

// An exit under way: records are left as their routines would return, down to the one that takes
// it (a function's call takes return and exit) or to the loop's entry; that call's index, or -1.
int unwind(int base, Flow f) {
  while (top > base) {
    Record& r = recs[top - 1];
    if (r.kind == RecKind::block) {
      close_block(r);
      continue;
    }
    if (r.kind == RecKind::call && r.stage == CallStage::body && (f == Flow::return_ || f == Flow::exit)) {
      stack::set_top(stack::arguments() + 1);
      stack::set_frame_flag(false);
      return top - 1;
    }
    if (r.kind == RecKind::call && looping(r) && (f == Flow::break_ || f == Flow::continue_)) {
      if (r.stage == CallStage::loop_cond) fire(Err::throw_while_cond);
      stack::set_top(stack::arguments() + 1);
      return top - 1;
    }
    --top;
  }
  return -1;
}

// The loop itself: the interpreter's routines as labels, their C++ calls and returns as records
// pushed and popped. `e` is the expression under way; a child record finished goes back to
// `resume`, which continues the record it waited on.
Flow run(int base, Flow f) {
  Expr e;
  Record* r;
  Entry* entry;
  if (f != Flow::normal) [[unlikely]] goto exiting;
resume:
  if (top == base) return Flow::normal;
  r = &recs[top - 1];
  switch (r->kind) {
    case RecKind::block: goto block_step;
    case RecKind::call:
      switch (r->stage) {
        case CallStage::argument:
          check_argument(*r, r->call->steps[r->position]);
          ++r->position;
          goto gather;
        case CallStage::loop_cond:
          if (!logic::result_true()) {
            stack::unwind_last();
            r->args[0] = make_unset();
            e = waiting(*r);
            finish_call(*r);
            goto lookahead;
          }
          r->stage = CallStage::loop_body;
          goto loop_pass;
        case CallStage::loop_body:
          goto loop_next;
        case CallStage::body:
          stack::unwind_last();
          stack::set_frame_flag(false);
          [[fallthrough]];
        default:
          e = waiting(*r);
          finish_call(*r);
          goto lookahead;
      }
    case RecKind::paren:
      e = waiting(*r);
      --top;
      if (e.push) stack::unwind(); else stack::unwind_last();
      goto lookahead;
    case RecKind::infix: {
      // the second half of infix_call: the right operand is in place
      e = waiting(*r);
      Cell values[2] = {*e.at, e.at[1]};
      Cell result;
      auto kind = static_cast<interp::Fast>(r->position);
      if (!values[1].is(Type::integer) ||
          !interp::integer_op(kind, values[0].int_value(), values[1].int_value(), &result)) {
        // the operands stay on the stack while the call is made: call_with allocates before it copies
        f = interp::call_with(r->a, values, 2, r->b);
        if (f != Flow::normal) goto exiting;
        result = *stack::last_value();
      }
      --top;
      stack::set_top(e.at);
      interp::put(result, e.push);
      goto lookahead;
    }
    default:  // a set-word: its value is in place
      e = waiting(*r);
      if (e.at[1].is(Type::unset)) fire(Err::script_need_value, {r->a});
      word::set_from_arg();
      --top;
      if (e.push) stack::unwind(); else stack::unwind_last();
      goto lookahead;
  }

block_step: {
  // eval_block_here's loop; r is the block record
  if (r->position >= r->end) {
    close_block(*r);
    goto resume;
  }
  if (r->stage == 1) stack::keep();
  signals::poll();
  set_series_head(interp::current_code(), r->position);
  r->stage = 1;
  e = Expr{stack::top(), false, false};
  goto expression;
}

expression: {
  // eval_expression's first value (single), then its lookahead
  Record& b = recs[blk];
  int32_t position = b.position++;
  const Cell v = block::cells(b.a)[position];
  Kind kind;
  entry = nullptr;
  if (b.plan) {
    entry = &entry_fast(*b.plan, position, v);
    kind = entry->kind;
  } else {
    kind = classify(v);
  }
  switch (kind) {
    case Kind::word: {
      const Cell* value = word::value_cell(v);
      switch (value->type()) {
        case Type::native: case Type::action: case Type::function: case Type::routine:
          open_call(*value, v, e, entry);
          r = &recs[top - 1];
          goto gather;
        case Type::unset: case Type::op: interp::word_error(v, value->type());
        default: interp::put(*value, e.push); goto lookahead;
      }
    }
    case Kind::paren:
      open_paren(v, e);
      r = &recs[top - 1];
      goto block_step;
    case Kind::set_word:
      open_set_word(v, e);
      e = Expr{stack::top(), true, false};
      goto expression;
    case Kind::other: {
      int32_t p = b.position;
      f = interp::single_rare(v, b.a, p, b.end, e.push, false);
      recs[blk].position = p;
      if (f != Flow::normal) goto exiting;
      goto lookahead;
    }
    default: interp::put(v, e.push); goto lookahead;
  }
}

lookahead: {
  // the lookahead of eval_expression and the first half of infix_call
  if (e.no_infix) goto resume;
  Record& b = recs[blk];
  Cell op;
  while (interp::infix_operator(b.a, b.position, b.end, &op)) {
    if (interp::integer_step(op, b.a, b.position, b.end, e.push ? e.at : stack::arguments())) continue;
    Cell name = block::cells(b.a)[b.position++];
    Cell left = e.push ? *e.at : *stack::arguments();
    stack::set_top(e.at);
    stack::push(left);
    interp::Fast kind = interp::fast_kind(op);
    op = op::callee(op);
    stack::set_top(e.at + 1);
    if (kind == interp::Fast::none || !e.at->is(Type::integer) || b.position >= b.end || trace::active) {
      int32_t p = b.position;
      f = interp::eval_code(op, b.a, p, b.end, e.push,
                            interp::CallSite{name, make_none(), 0, make_none(), true});
      recs[blk].position = p;
      if (f != Flow::normal) goto exiting;
      continue;
    }
    Record& w = push_waiting(RecKind::infix, e);
    w.a = op;
    w.b = name;
    w.position = static_cast<int32_t>(kind);
    e = Expr{stack::top(), true, true};
    goto expression;
  }
  goto resume;
}

gather: {
  // eval_word_call's walk of the argument list, as its call plan wrote it down; r is the call
  const CallPlan& plan = *r->call;
  Record& b = recs[blk];
  int32_t n = static_cast<int32_t>(plan.steps.size());
  for (int32_t i = r->position; i < n; ++i) {
    const ArgStep& s = plan.steps[i];
    if (s.op == ArgOp::push_none) {
      stack::push(make_none());
      continue;
    }
    if (s.op == ArgOp::push_false) {
      stack::push(make_logic(false));
      continue;
    }
    if (b.position >= b.end) {
      interp::plain_missing(r->a, r->b, s.index, s.types);
      continue;
    }
    switch (s.op) {
      case ArgOp::evaluated:
        if (const Cell* v = interp::inert_argument(b.a, b.position, b.end)) {
          stack::push(*v);
          ++b.position;
          break;
        }
        r->position = i;
        r->stage = CallStage::argument;
        e = Expr{stack::top(), true, false};
        goto expression;
      case ArgOp::literal: stack::push(block::cells(b.a)[b.position++]); break;
      default: {
        int32_t p = b.position;
        f = interp::plain_quoted(b.a, p, b.end);
        recs[blk].position = p;
        if (f != Flow::normal) goto exiting;
        break;
      }
    }
    check_argument(*r, s);
  }
  goto invoke;
}

invoke: {
  Cell* a = stack::arguments();
  switch (r->a.type()) {
    case Type::native: {
      Special s = r->call->special;
      if (s == Special::none || trace::enabled) break;
      if (s >= Special::while_) goto loop_open;
      // if, unless and either as their natives do it, the branch run in this loop
      Cell* chosen;
      switch (s) {
        case Special::if_: chosen = logic::falsy(a[0]) ? nullptr : &a[1]; break;
        case Special::unless: chosen = logic::truthy(a[0]) ? nullptr : &a[1]; break;
        default: chosen = logic::result_true() ? &a[1] : &a[2]; break;
      }
      if (!chosen) {
        a[0] = make_none();
        e = waiting(*r);
        finish_call(*r);
        goto lookahead;
      }
      r->stage = CallStage::branch;
      open_block(*chosen);
      r = &recs[top - 1];
      goto block_step;
    }
    case Type::action: break;
    case Type::routine:
      f = interp::exec_routine(r->a, r->b);
      if (f != Flow::normal) goto exiting;
      e = waiting(*r);
      finish_call(*r);
      goto lookahead;
    default: {
      // call_function for an interpreted function, its body run in this loop
      int32_t locals = r->call->locals;
      if (locals > 0) {
        stack::push(make_logic(false));
        for (int32_t i = 1; i < locals; ++i) stack::push(make_none());
      }
      if (function::entry_of(r->a) || trace::enabled) {
        f = interp::call_function(r->a, 0, r->b, interp::ordinary);
        if (f != Flow::normal) goto exiting;
        e = waiting(*r);
        finish_call(*r);
        goto lookahead;
      }
      stack::set_context_values(function::context_of(r->a), stack::index_of(stack::arguments()) + 1);
      stack::set_frame_flag(true);
      Cell body = function::companion(r->a)[function::Companion::body];
      if (!body.is(Type::block)) {
        stack::set_frame_flag(false);
        e = waiting(*r);
        finish_call(*r);
        goto lookahead;
      }
      stack::mark_eval(&body_word());
      stack::push_unset();
      r->stage = CallStage::body;
      open_block(body);
      r = &recs[top - 1];
      goto block_step;
    }
  }
  f = interp::call_native(r->a, Call{a, interp::all_off, false});
  if (f != Flow::normal) goto exiting;
  e = waiting(*r);
  finish_call(*r);
  goto lookahead;
}

loop_open: {
  // while, loop and repeat as their natives do it, each pass run in this loop; r is the call
  Cell* a = stack::arguments();
  r->args = a;
  if (r->call->special == Special::while_) {
    stack::mark_loop(&body_word());
    stack::push_unset();
    r->stage = CallStage::loop_cond;
    goto loop_pass;
  }
  r->count = natives::loop_count(a[r->call->special == Special::loop_ ? 0 : 1]);
  if (r->count <= 0) {
    a[0] = make_none();
    e = waiting(*r);
    finish_call(*r);
    goto lookahead;
  }
  stack::mark_loop(&body_word());
  stack::push_unset();
  r->pass = 0;
  r->stage = CallStage::loop_body;
  goto loop_next;
}

loop_next: {
  // a pass ended normally or by continue: the next one; r is the loop's call
  if (r->call->special == Special::while_) {
    r->stage = CallStage::loop_cond;
    goto loop_pass;
  }
  if (++r->pass > r->count) {
    stack::unwind_last();
    e = waiting(*r);
    finish_call(*r);
    goto lookahead;
  }
  if (r->call->special == Special::repeat_) word::set(r->args[0], make_integer(static_cast<int32_t>(r->pass)));
  goto loop_pass;
}

loop_pass: {
  // one pass of a loop: its block run as the native runs it (through the interpreter once a
  // tracer is installed); the call's stage says which block and where its end goes
  stack::keep();
  if (trace::enabled) [[unlikely]] {
    f = interp::eval_block_here(pass_block(*r));
    if (f != Flow::normal) goto exiting;
    goto resume;
  }
  open_block(pass_block(*r));
  r = &recs[top - 1];
  goto block_step;
}

exiting: {
  int taker = unwind(base, f);
  if (taker < 0) return f;
  r = &recs[taker];
  if (looping(*r)) {
    // a loop's pass ended by break (the loop ends) or continue (it goes on)
    if (f == Flow::continue_) {
      f = Flow::normal;
      goto loop_next;
    }
    f = Flow::normal;
    stack::unwind_last();
    if (r->call->special == Special::while_) r->args[0] = make_unset();
    e = waiting(*r);
    finish_call(*r);
    goto lookahead;
  }
  f = Flow::normal;
  e = waiting(*r);
  finish_call(*r);
  goto lookahead;
}
}

// The innermost record above base running a control native's branch, or -1: an exit thrown as
// an exception (from C++ code that could not answer a status) ends that native's call, as the
// interpreter's call_native turns it into the call's status.
int running_native(int base) {
  for (int i = top - 1; i >= base; --i)
    if (recs[i].kind == RecKind::call && (recs[i].stage == CallStage::branch || looping(recs[i]))) return i;
  return -1;
}

// Leaves every record from the top down to and including index.
void cut_to(int index) {
  while (top > index) {
    if (recs[top - 1].kind == RecKind::block) close_block(recs[top - 1]);
    else --top;
  }
}

// The heap refusing memory while a control native's branch runs: internal/no-memory, raised as
// call_native raises it, once the records above that native are left.
template <class Leave>
[[noreturn]] void no_memory(int base, Leave& leave) {
  int native = running_native(base);
  if (native < 0) {
    leave();
    throw;
  }
  cut_to(native);
  try {
    fire(Err::internal_no_memory);
  } catch (...) {
    leave();
    throw;
  }
}

}  // namespace

void init() {
  if (const char* v = std::getenv("VYN_ENGINE")) on = v[0] && !(v[0] == '0' && v[1] == 0);
  if (const char* v = std::getenv("VYN_ENGINE_VERIFY")) verify = v[0] && !(v[0] == '0' && v[1] == 0);
  if (!recs) recs = static_cast<Record*>(std::malloc(sizeof(Record) * record_capacity));
  if (!recs) throw std::bad_alloc();
  top = 0;
  blk = -1;
  gc::add_mark_callback(mark_records);
  init_plans();
}

void flag_running() {
  for (int i = 0; i < top; ++i) {
    if (recs[i].kind == RecKind::block && recs[i].plan) recs[i].plan->in_use = true;
    if (recs[i].kind == RecKind::call && recs[i].call) const_cast<CallPlan*>(recs[i].call)->in_use = true;
  }
}

Flow run_block_here(Cell block) {
  int base = top;
  int outer = blk;
  Cell code = interp::current_code();
  auto leave = [&] {
    top = base;
    blk = outer;
    interp::current_code() = code;
  };
  Flow f = Flow::normal;
  try {
    open_block(block);
  } catch (...) {
    leave();
    throw;
  }
  for (;;) {
    try {
      return run(base, f);
    } catch (const Exit& e) {
      int native = running_native(base);
      if (native < 0) {
        leave();
        throw;
      }
      cut_to(native);
      recs[native].stage = CallStage::branch;  // the status is the native's, which no loop takes
      f = e.code;
    } catch (const std::bad_alloc&) {
      no_memory(base, leave);
    } catch (const std::length_error&) {
      no_memory(base, leave);
    } catch (...) {
      leave();
      throw;
    }
  }
}

}  // namespace vyn::engine
