// eval/exits.cpp: finding the target frame of an exit and cutting the stacks back to it.
#include "eval/exits.hpp"

#include "core/error.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"

namespace vyn::stack {
namespace {

struct Saved {
  Cell* args;
  Cell* top;
  CallFrame* ctop;
  void restore() const {
    set_arguments(args);
    set_top(top);
    set_ctop(ctop);
  }
};

// Walks down from below the current call's frame to the nearest frame the predicate accepts and
// answers the arguments of that frame, leaving it on top; a try/all barrier or the bottom raises
// the error after the stacks are put back.
template <class Target>
Cell* find_target(Target is_target, Err error, const Cell* error_arg) {
  Saved saved{arguments(), top(), frames_top()};
  CallFrame* own = frames_top() - 1;
  uint32_t above = own->saved_args;  // the arguments of the frame below the current call
  for (CallFrame* f = own - 1; f >= frames_bottom(); --f) {
    if (f->kind() == kind::try_all) break;
    if (is_target(*f)) {
      // pop everything above f, restoring function contexts on the way
      while (frames_top() - 1 > f) {
        CallFrame* t = frames_top() - 1;
        if (t->func_context) set_context_values(t->func_context, t->saved_values);
        set_ctop(t);
      }
      return at_index(above);
    }
    above = f->saved_args;
  }
  saved.restore();
  if (error_arg) fire(error, {*error_arg});
  fire(error);
}

}  // namespace

Flow throw_break(bool with_value, bool is_continue) {
  Cell value = with_value ? *arguments() : make_unset();
  Err error = is_continue ? Err::throw_continue : Err::throw_break;
  Cell* a = find_target([](const CallFrame& f) { return f.kind() == kind::loop; }, error, nullptr);
  set_arguments(a);
  set_top(a);
  *a = is_continue ? make_unset() : value;
  return is_continue ? Flow::continue_ : Flow::break_;
}

Flow throw_return(bool with_value) {
  Cell value = with_value ? *arguments() : make_unset();
  Cell* a = find_target([](const CallFrame& f) { return f.return_target(); }, Err::throw_return, nullptr);
  set_arguments(a);
  set_top(a);
  *a = value;
  return with_value ? Flow::return_ : Flow::exit;
}

Flow throw_value(Flow code) {
  Cell thrown = arguments()[0];
  Cell name = arguments()[1];
  if (!throw_origin()) set_throw_origin(frames_top());
  Cell* a = find_target([](const CallFrame& f) { return f.kind() == kind::catch_; }, Err::throw_throw, &thrown);
  set_arguments(a);
  set_top(a);
  push(thrown);
  push(name);
  return code;
}

void catch_error_at(int depth, Cell* top_before) {
  CallFrame* target = frames_bottom() + depth;
  while (frames_top() - 1 > target) {
    CallFrame* t = frames_top() - 1;
    if (t->func_context) set_context_values(t->func_context, t->saved_values);
    set_ctop(t);
  }
  if (frames_top() > target) {
    set_arguments(at_index(target->saved_args));
    set_ctop(target);
  }
  set_top(top_before);
}

}  // namespace vyn::stack
