// eval/engine/loop.cpp: the flat loop. Each record does what the interpreter's routine of the same
// name does (eval_block_here, eval_expression with its infix lookahead and infix_call,
// eval_word_call with call_function, paren, set_word), step for step, with the C++ recursion
// between them replaced by records; every other step calls the interpreter's own routine.
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
#include "eval/frames.hpp"
#include "eval/interp.hpp"
#include "eval/interp_internal.hpp"
#include "eval/interp_steps.hpp"
#include "eval/routine_call.hpp"
#include "eval/trace.hpp"
#include "platform/signals.hpp"
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
    gc::mark_cell(recs[i].a);
    gc::mark_cell(recs[i].b);
  }
}

Record& push_record(RecKind kind) {
  if (top >= record_capacity) [[unlikely]] stack::overflow();
  Record& r = recs[top++];
  r.kind = kind;
  r.stage = 0;
  r.a = r.b = make_unset();
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

void close_block(Record& r) {
  interp::current_code() = r.b;
  blk = r.outer;
  --top;
}

void open_expression(bool push, bool no_infix) {
  Record& r = push_record(RecKind::expression);
  r.push = push;
  r.no_infix = no_infix;
  r.at = stack::top();
}

Flow step_expression(Record& r);
// An expression begun and taken as far as it goes without a child record.
Flow begin_expression(bool push, bool no_infix) {
  open_expression(push, no_infix);
  return step_expression(recs[top - 1]);
}

// eval_word_call up to its first argument.
void open_call(const Cell& callable, const Cell& name, bool push, Entry* entry) {
  Record& r = push_record(RecKind::call);
  r.a = callable;
  r.b = name;
  r.push = push;
  r.position = 0;
  r.at = stack::push(callable);
  r.function = callable.is(Type::function);
  if (r.function) stack::mark_interp_func(&r.b, callable.w1);
  else stack::mark_interp_native(&r.b);
  r.call = nullptr;
  r.call = call_plan(entry, r.a);  // callable may lie in a buffer that making a plan moves
}

void open_paren(const Cell& paren, bool push) {
  stack::mark_interp_native(&body_word());
  stack::push_unset();
  Record& r = push_record(RecKind::paren);
  r.push = push;
  open_block(paren);
}

void open_set_word(const Cell& sw, bool push) {
  Record& r = push_record(RecKind::set_word);
  r.a = sw;
  r.push = push;
  stack::mark_interp_native(&r.a);
  r.at = stack::push(sw);
  if (recs[blk].position >= recs[blk].end) fire(Err::script_need_value, {sw});
  open_expression(true, false);  // the loop takes it from here
}

Flow step_block(Record& r) {
  if (r.stage == 1 && r.position < r.end) stack::keep();
  if (r.position < r.end) {
    signals::poll();
    interp::current_code().w1 = static_cast<uint32_t>(r.position);
    r.stage = 1;
    return begin_expression(false, false);
  }
  close_block(r);
  return Flow::normal;
}

// The value at the block's position, before any lookahead.
Flow single(Record& r) {
  Record& b = recs[blk];
  int32_t position = b.position++;
  const Cell v = block::cells(b.a)[position];
  Entry* entry = nullptr;
  Kind kind;
  if (b.plan) {
    entry = &entry_at(*b.plan, position, v);
    kind = entry->kind;
  } else {
    kind = classify(v);
  }
  switch (kind) {
    case Kind::word: {
      const Cell* value = word::value_cell(v);
      switch (value->type()) {
        case Type::native: case Type::action: case Type::function: case Type::routine:
          open_call(*value, v, r.push, entry);
          return Flow::normal;
        case Type::unset: case Type::op: interp::word_error(v, value->type());
        default: interp::put(*value, r.push); return Flow::normal;
      }
    }
    case Kind::paren: open_paren(v, r.push); return Flow::normal;
    case Kind::set_word: open_set_word(v, r.push); return Flow::normal;
    case Kind::other: {
      int32_t p = b.position;
      Flow f = interp::single_rare(v, b.a, p, b.end, r.push, false);
      recs[blk].position = p;
      return f;
    }
    default: interp::put(v, r.push); return Flow::normal;
  }
}

// The lookahead of eval_expression and the first half of infix_call.
Flow lookahead(Record& r) {
  Record& b = recs[blk];
  Cell op;
  while (interp::infix_operator(b.a, b.position, b.end, &op)) {
    if (interp::integer_step(op, b.a, b.position, b.end, r.push ? r.at : stack::arguments())) continue;
    Cell name = block::cells(b.a)[b.position++];
    Cell left = r.push ? *r.at : *stack::arguments();
    stack::set_top(r.at);
    stack::push(left);
    interp::Fast kind = interp::fast_kind(op);
    op.header = (op.header & ~0x00FF00FFu) | ((op.header >> 16) & 0xFF);
    stack::set_top(r.at + 1);
    if (kind == interp::Fast::none || !r.at->is(Type::integer) || b.position >= b.end || trace::active) {
      int32_t p = b.position;
      Flow f = interp::eval_code(op, b.a, p, b.end, r.push,
                                 interp::CallSite{name, make_none(), 0, make_none(), true});
      recs[blk].position = p;
      if (f != Flow::normal) return f;
      continue;
    }
    r.a = op;
    r.b = name;
    r.position = static_cast<int32_t>(kind);
    r.stage = 2;
    return begin_expression(true, true);
  }
  --top;
  return Flow::normal;
}

// The second half of infix_call: the right operand is in place.
Flow infix_done(Record& r) {
  Cell values[2] = {*r.at, r.at[1]};
  Cell result;
  auto kind = static_cast<interp::Fast>(r.position);
  if (!values[1].is(Type::integer) ||
      !interp::integer_op(kind, values[0].int_value(), values[1].int_value(), &result)) {
    // the operands stay on the stack while the call is made: call_with allocates before it copies
    Flow f = interp::call_with(r.a, values, 2, r.b);
    if (f != Flow::normal) return f;
    result = *stack::last_value();
  }
  stack::set_top(r.at);
  interp::put(result, r.push);
  r.stage = 1;
  return Flow::normal;
}

Flow step_expression(Record& r) {
  switch (r.stage) {
    case 0: {
      r.stage = 1;
      Flow f = single(r);
      // a value or a word's value is in place: the lookahead follows at once
      if (f != Flow::normal || &recs[top - 1] != &r) return f;
      [[fallthrough]];
    }
    case 1:
      if (r.no_infix) {
        --top;
        return Flow::normal;
      }
      return lookahead(r);
    default: return infix_done(r);
  }
}

// The end of eval_word_call: the frame popped, the result moved into the callable's slot.
Flow finish_call(Record& r) {
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
  return Flow::normal;
}

enum CallStage : uint8_t { gathering = 0, argument = 1, body = 2, branch = 3 };

// if, unless and either as their natives do it, the branch run in this loop.
Flow special(Record& r, Special s) {
  Cell* a = stack::arguments();
  Cell* chosen;
  switch (s) {
    case Special::if_: chosen = logic::falsy(a[0]) ? nullptr : &a[1]; break;
    case Special::unless: chosen = logic::truthy(a[0]) ? nullptr : &a[1]; break;
    default: chosen = logic::result_true() ? &a[1] : &a[2]; break;
  }
  if (!chosen) {
    a[0] = make_none();
    return finish_call(r);
  }
  r.stage = branch;
  open_block(*chosen);
  return Flow::normal;
}

// call_function for an interpreted function, its body run in this loop.
Flow enter_function(Record& r) {
  int32_t locals = r.call->locals;
  if (locals > 0) {
    stack::push(make_logic(false));
    for (int32_t i = 1; i < locals; ++i) stack::push(make_none());
  }
  if (function::entry_of(r.a) || trace::enabled) {
    Flow f = interp::call_function(r.a, 0, r.b, interp::ordinary);
    return f != Flow::normal ? f : finish_call(r);
  }
  stack::set_context_values(r.a.w1, stack::index_of(stack::arguments()) + 1);
  stack::set_frame_flag(true);
  Cell body = function::companion(r.a)[function::Companion::body];
  if (!body.is(Type::block)) {
    stack::set_frame_flag(false);
    return finish_call(r);
  }
  stack::mark_eval(&body_word());
  stack::push_unset();
  r.stage = CallStage::body;
  open_block(body);
  return Flow::normal;
}

Flow invoke(Record& r) {
  Flow f;
  switch (r.a.type()) {
    case Type::native:
      if (r.call->special != Special::none) return special(r, r.call->special);
      [[fallthrough]];
    case Type::action:
      f = interp::call_native(r.a, Call{stack::arguments(), interp::all_off, false});
      break;
    case Type::routine: f = interp::exec_routine(r.a, r.b); break;
    default: return enter_function(r);
  }
  return f != Flow::normal ? f : finish_call(r);
}

inline void check_argument(const Record& r, const ArgStep& s) {
  const Cell& value = *stack::last_value();
  if (!typeset::has(s.types, value.type())) interp::plain_type_error(r.a, r.b, s.index, value);
}

Flow gather(Record& r) {
  const CallPlan& plan = *r.call;
  Record& b = recs[blk];
  int32_t n = static_cast<int32_t>(plan.steps.size());
  for (int32_t i = r.position; i < n; ++i) {
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
      interp::plain_missing(r.a, r.b, s.index, s.types);
      continue;
    }
    switch (s.op) {
      case ArgOp::evaluated:
        if (const Cell* v = interp::inert_argument(b.a, b.position, b.end)) {
          stack::push(*v);
          ++b.position;
          break;
        }
        r.position = i;
        r.stage = CallStage::argument;
        return begin_expression(true, false);
      case ArgOp::literal: stack::push(block::cells(b.a)[b.position++]); break;
      default: {
        int32_t p = b.position;
        Flow f = interp::plain_quoted(b.a, p, b.end);
        recs[blk].position = p;
        if (f != Flow::normal) return f;
        break;
      }
    }
    check_argument(r, s);
  }
  return invoke(r);
}

Flow step_call(Record& r) {
  switch (r.stage) {
    case CallStage::gathering: return gather(r);
    case CallStage::argument:
      check_argument(r, r.call->steps[r.position]);
      ++r.position;
      r.stage = CallStage::gathering;
      return gather(r);
    case CallStage::body:
      stack::unwind_last();
      stack::set_frame_flag(false);
      return finish_call(r);
    default: return finish_call(r);
  }
}

Flow step_paren(Record& r) {
  if (r.push) stack::unwind(); else stack::unwind_last();
  --top;
  return Flow::normal;
}

Flow step_set_word(Record& r) {
  if (r.at[1].is(Type::unset)) fire(Err::script_need_value, {r.a});
  word::set_from_arg();
  if (r.push) stack::unwind(); else stack::unwind_last();
  --top;
  return Flow::normal;
}

// An exit under way: records are left as their routines would return, down to the one that takes
// it (a function's call takes return and exit) or to the loop's entry.
Flow unwind(int base, Flow f) {
  while (top > base) {
    Record& r = recs[top - 1];
    if (r.kind == RecKind::block) {
      close_block(r);
      continue;
    }
    if (r.kind == RecKind::call && r.stage == CallStage::body && (f == Flow::return_ || f == Flow::exit)) {
      stack::set_top(stack::arguments() + 1);
      stack::set_frame_flag(false);
      return finish_call(r);
    }
    --top;
  }
  return f;
}

Flow run(int base, Flow f) {
  for (;;) {
    if (f != Flow::normal) [[unlikely]] {
      f = unwind(base, f);
      if (f != Flow::normal) return f;
    }
    if (top == base) return Flow::normal;
    Record& r = recs[top - 1];
    switch (r.kind) {
      case RecKind::block: f = step_block(r); break;
      case RecKind::expression: f = step_expression(r); break;
      case RecKind::call: f = step_call(r); break;
      case RecKind::paren: f = step_paren(r); break;
      default: f = step_set_word(r); break;
    }
  }
}

// The innermost record above base running a control native's branch, or -1: an exit thrown as
// an exception (from C++ code that could not answer a status) ends that native's call, as the
// interpreter's call_native turns it into the call's status.
int running_native(int base) {
  for (int i = top - 1; i >= base; --i)
    if (recs[i].kind == RecKind::call && recs[i].stage == CallStage::branch) return i;
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
