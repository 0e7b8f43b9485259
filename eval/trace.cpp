// eval/trace.cpp: the tracer of do/trace and the calls that report evaluation events to it.
#include "eval/trace.hpp"

#include "core/error.hpp"
#include "core/gc.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/error.hpp"
#include "values/numbers/pair.hpp"
#include "values/predefined.hpp"
#include "values/series/series.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::trace {
namespace {

Cell tracer = make_none();
uint32_t mask = 0;
RaiseHook chained = nullptr;  // the raise hook in place before the tracer's

struct Name {
  Event event;
  const char* word;
};
constexpr Name names[] = {
    {init, "init"},       {end, "end"},       {prolog, "prolog"}, {epilog, "epilog"},
    {enter, "enter"},     {exit, "exit"},     {open, "open"},     {return_, "return"},
    {fetch, "fetch"},     {push, "push"},     {set, "set"},       {call, "call"},
    {error, "error"},     {throw_, "throw"},  {catch_, "catch"},  {expr, "expr"},
};

const char* word_of(Event e) {
  for (const Name& n : names)
    if (n.event == e) return n.word;
  return "init";
}

void mark_tracer(void*) { gc::mark_cell(tracer); }

// The position as the tracer sees it: cells from the code's head, -1 outside the block.
int32_t offset(const Cell& code, int32_t position) {
  if (!series::is_cell_series(code.type()) || position < 0) return -1;
  int32_t head = series_head(code);
  if (position < head || position > block::length_total(code)) return -1;
  return position - head;
}

// Runs the tracer with the six arguments; the stacks it used are given back afterwards. An error
// out of it goes on at once, with tracing left off. The tracer runs behind a try/all barrier: an
// event fires from inside the very activations (a loop's pass, a catch's block) that an exit from
// it could target, and these could not take the exit back as a status from below themselves, so
// break, continue and throw stop at the barrier and go on as the errors they raise there.
void call_tracer(Event e, Cell code, int32_t position, Cell value, Cell ref) {
  Cell* args = stack::arguments();
  Cell* top = stack::top();
  stack::CallFrame* ctop = stack::frames_top();
  Cell frame = pair::make(static_cast<int32_t>(stack::index_of(args)), static_cast<int32_t>(stack::index_of(top)));
  if (top < args + 1) stack::set_top(args + 1);  // the current result stays out of reach
  Cell event_word = word::load(word_of(e));
  Cell name = predefined::word(predefined::W::interp_callback);
  stack::mark_try_all(&name);
  Cell* v = stack::push(event_word);
  stack::push(series::is_cell_series(code.type()) ? code : make_none());
  stack::push(make_integer(offset(code, position)));
  stack::push((value.header & 0xFF) == 0 ? make_none() : value);
  stack::push(ref);
  stack::push(frame);
  active = false;
  Flow f = interp::call_unchecked(tracer, v, 6, name);
  (void)f;  // the barrier turns every exit but return into an error; return ends at the tracer
  active = true;
  stack::set_ctop(ctop);
  stack::set_arguments(args);
  stack::set_top(top);
}

// The pending error, kept on the value stack while the tracer runs (it may raise and catch
// errors of its own), and put back afterwards.
class KeepPending {
 public:
  KeepPending() : saved_(pending_error()), cells_(stack::top()) {
    for (const Cell& a : saved_.args) stack::push(a);
  }
  ~KeepPending() {
    PendingError& p = pending_error();
    p = saved_;
    for (int i = 0; i < 3; ++i) p.args[i] = cells_[i];
    stack::set_top(cells_);
  }
  KeepPending(const KeepPending&) = delete;
  KeepPending& operator=(const KeepPending&) = delete;

 private:
  PendingError saved_;
  Cell* cells_;
};

// Room for the tracer's frame and arguments: an overflow is not reported to the tracer, which
// could only overflow again.
bool room() { return stack::top() + 256 < stack::bottom() + stack::value_capacity; }

// The error event, from the raise hook: the error value goes to the tracer, then the hook that was
// there before notes the raise again (the tracer may have raised errors of its own meanwhile).
void on_raise() {
  if (chained) chained();
  if (!active || !(mask & error) || !room()) return;
  if (error_info(pending_error().id).category == ErrorCategory::internal) return;
  active = false;  // an error made while reporting this one is not reported
  {
    KeepPending keep;
    Cell* err = error::from_pending();
    active = true;
    Cell cc = interp::current_code();
    call_tracer(error, cc, series_head(cc), *err, make_none());
  }
  if (chained) chained();
}

void clear() {
  active = false;
  enabled = false;
  tracer = make_none();
  mask = 0;
  if (raise_hook() == on_raise) set_raise_hook(chained);
  chained = nullptr;
}

}  // namespace

uint32_t event_mask(const Cell& function) {
  Cell spec = make_series(Type::block, function.w2);
  if (block::length_total(spec) == 0 || !block::cells(spec)[0].is(Type::block)) return 0x1FFFF;
  Cell events = block::cells(spec)[0];
  uint32_t m = 0;
  for (int32_t i = 0; i < block::vs_length(events); ++i) {
    Cell w = block::vs_head(events)[i];
    if (!w.is(Type::word)) continue;
    for (const Name& n : names)
      if (symbol::resolve(word::symbol(w)) == symbol::resolve(symbol::make(n.word))) m |= n.event;
  }
  return m;
}

void fire(Event e, Cell code, int32_t position, Cell value, Cell ref) {
  if (!(mask & e) || !room()) return;
  call_tracer(e, code, position, value, ref);
}

void pushed(const Cell& value) {
  if (!(mask & push)) return;
  Cell cc = interp::current_code();
  int32_t at = series_head(cc);
  if (series::is_cell_series(cc.type())) cc.w1 = 0;  // positions count from the buffer's start
  fire(push, cc, at, value, make_none());
}

void returned(const Cell& code, int32_t position, bool pushed, const Cell& name) {
  fire(return_, code, position, pushed ? *stack::last_value() : *stack::arguments(), name);
}

void expression_done(const Cell& code, int32_t position, bool pushed) {
  if (!pushed) fire(expr, code, position, *stack::arguments(), make_none());
}

bool start(const Cell& function, const Cell& code) {
  if (enabled) return false;
  static bool registered = false;
  if (!registered) {
    gc::add_mark_callback(mark_tracer);
    registered = true;
  }
  tracer = function;
  mask = event_mask(function);
  chained = raise_hook();
  set_raise_hook(on_raise);
  enabled = true;
  active = true;
  fire(init, code, series::is_cell_series(code.type()) ? series_head(code) : -1, make_none(), make_none());
  return true;
}

void finish(const Cell& result) {
  struct Clear {
    ~Clear() { clear(); }
  } clear_after;
  if (active) fire(end, make_none(), -1, result, make_none());
}

void finish_raising() {
  struct Clear {
    ~Clear() { clear(); }
  } clear_after;
  if (!active || !(mask & end) || !room()) return;
  KeepPending keep;
  call_tracer(end, make_none(), -1, make_none(), make_none());
}

void stop() { clear(); }

void Body::enter(const Cell& function) {
  uint32_t bits = function.header & 0x600;
  if (bits) {
    saved_ = true;
    restore_ = active;
    if (bits & 0x400) active = true;
    if (bits & 0x200) active = false;
  }
  function_ = function;
  if (active) fire(prolog, make_none(), -1, make_none(), function);
}

void Body::epilog_event(Flow) {
  fire(epilog, make_none(), -1, *stack::arguments(), function_);
}

}  // namespace vyn::trace
