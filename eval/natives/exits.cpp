// eval/natives/exits.cpp: try, catch, throw, break, continue, return and exit.
#include "core/error.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "values/series/block.hpp"
#include "values/objects/error.hpp"
#include "values/objects/error_args.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::natives {
namespace {

// Whether the name a throw carries is one the catch takes: a word equal (letter case ignored) to
// the given word or one of the given block's words.
bool name_matches(const Cell& thrown_name, const Cell& wanted) {
  if (!thrown_name.is(Type::word)) return false;
  uint32_t s = symbol::resolve(word::symbol(thrown_name));
  if (wanted.is(Type::word)) return symbol::resolve(word::symbol(wanted)) == s;
  Cell names = wanted;
  for (int32_t i = 0; i < block::vs_length(names); ++i) {
    Cell w = block::vs_head(names)[i];
    if (!w.is(Type::word)) fire(Err::script_invalid_refine_arg, {word_arg("name"), wanted});
    if (symbol::resolve(word::symbol(w)) == s) return true;
  }
  return false;
}

}  // namespace

Flow try_(const Call& c) {
  using Ref = Refs<Native::try_>;
  Cell body = c.args[0];
  bool all = c.has(Ref::all);
  bool keep = c.has(Ref::keep);
  int depth = stack::frame_depth();
  Cell* result = c.args;
  Cell try_word = predefined::word(predefined::W::try_);
  if (all) stack::mark_try_all(&try_word); else stack::mark_try(&try_word);
  stack::push_unset();
  try {
    Flow f = interp::eval_block(body, true);
    if (f != Flow::normal) return f;  // only a plain try lets the other exits through
  } catch (const Raised&) {
    // The value stack goes back first: an overflow leaves it nearly full, and making the error
    // pushes. The trace is read from the frames, so they are cut back only after it is taken.
    stack::set_top(result + 1);
    Cell error = *error::from_pending();
    if (keep) {
      Cell* held = stack::push(error);
      error::capture_stack(held);
      error = *held;
    }
    stack::catch_error_at(depth, result + 1);
    *result = error;
    stack::set_top(result + 1);
    return Flow::normal;
  }
  stack::unwind_last();
  return Flow::normal;
}

Flow catch_(const Call& c) {
  using Ref = Refs<Native::catch_>;
  Cell body = c.args[0];
  Cell* name = c.ref(Ref::name);
  Cell wanted = name ? *name : make_none();
  Cell* result = c.args;
  Cell catch_word = predefined::word(predefined::W::catch_);
  stack::mark_catch(&catch_word);
  stack::push_unset();
  Flow f = interp::eval_block(body, true);
  if (f == Flow::normal) {
    stack::unwind_last();
    return Flow::normal;
  }
  if (f != Flow::throw_) return f;
  // the catch frame is on top: its first cells hold the thrown value and its name
  Cell* caught = stack::arguments();
  Cell value = caught[0], thrown_name = caught[1];
  if (name && !name_matches(thrown_name, wanted)) {
    // the throw goes on from a frame that stands for it, to the next catch below
    stack::unwind_drop();
    stack::mark_native(nullptr);
    stack::push(value);
    stack::push(thrown_name);
    return stack::throw_value(Flow::throw_);
  }
  stack::unwind_drop();
  stack::set_throw_origin(nullptr);  // the throw ended here: later errors report their own call
  *result = value;
  stack::set_top(result + 1);
  if (trace::active) [[unlikely]] trace::fire(trace::catch_, make_none(), -1, value, make_none());
  return Flow::normal;
}

Flow throw_(const Call& c) {
  using Ref = Refs<Native::throw_>;
  if (trace::active) [[unlikely]] trace::fire(trace::throw_, make_none(), -1, c.args[0], make_none());
  if (!c.has(Ref::name)) c.args[1] = make_unset();
  else c.args[1] = *c.ref(Ref::name);
  stack::set_top(c.args + 2);
  return stack::throw_value(Flow::throw_);
}

Flow break_(const Call& c) {
  using Ref = Refs<Native::break_>;
  if (c.has(Ref::return_)) c.args[0] = *c.ref(Ref::return_);
  return stack::throw_break(c.has(Ref::return_), false);
}

Flow continue_(const Call&) { return stack::throw_break(false, true); }
Flow return_(const Call&) { return stack::throw_return(true); }
Flow exit_(const Call&) { return stack::throw_return(false); }

}  // namespace vyn::natives
