// eval/trace.hpp: evaluation tracing: the tracer function that do/trace installs, and the events
// the interpreter reports to it.
//
// Every event site in the interpreter is one test of `active`, false whenever no tracer runs:
//   if (trace::active) [[unlikely]] trace::fire(trace::fetch, code, position, value, none);
// The tracer receives six arguments: the event word, the code block (or none), the position in
// cells from the block's head (-1 outside it), the value, the reference (the word or function for
// set, prolog, epilog, return and call) and the frame, a pair! of the current call's first cell and
// the top as value-stack indexes. It runs with tracing off, behind a barrier frame: break,
// continue and throw cannot leave it (they raise their throw/* errors instead).
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/flow.hpp"

namespace vyn::trace {

enum Event : uint32_t {
  init = 0x1, end = 0x2, prolog = 0x4, epilog = 0x8, enter = 0x10, exit = 0x20, open = 0x40,
  return_ = 0x80, fetch = 0x100, push = 0x200, set = 0x400, call = 0x800, error = 0x1000,
  throw_ = 0x2000, catch_ = 0x4000, expr = 0x8000,
};

inline bool enabled = false;  // a do/trace has installed a tracer
inline bool active = false;   // events fire now (off while the tracer itself runs)

// The events a tracer asks for: the words of the block its spec starts with, else all of them.
uint32_t event_mask(const Cell& function);

// Calls the tracer for the event when its mask holds it. position is an index into code's
// buffer (code none, or a position outside the block, reports -1).
void fire(Event e, Cell code, int32_t position, Cell value, Cell ref);
// The value just pushed or stored by the expression under way in the current code.
void pushed(const Cell& value);
// return, with the call's result: the last value pushed, or the result slot.
void returned(const Cell& code, int32_t position, bool pushed, const Cell& name);
// expr, fired only for an expression whose value went to the result slot.
void expression_done(const Cell& code, int32_t position, bool pushed);

// do/trace: installs the tracer unless one runs already (then answers false) and fires init.
bool start(const Cell& tracer, const Cell& code);
// Fires end (with the result) and removes the tracer; the flags are cleared even when the
// tracer raises. With an error under way, the pending error is kept across the tracer.
void finish(const Cell& result);
void finish_raising();
// Removes the tracer without an end event.
void stop();

// An interpreted function's body: its header may turn tracing on (trace) or off (no-trace) while
// it runs; prolog fires on entry, epilog through leave(); the state of before comes back however
// the body ends.
class Body {
 public:
  Body(const Cell& function) {
    if (enabled) [[unlikely]] enter(function);
  }
  ~Body() {
    if (saved_) [[unlikely]] active = restore_;
  }
  void leave(Flow f) {
    if (active) [[unlikely]] epilog_event(f);
  }
  Body(const Body&) = delete;
  Body& operator=(const Body&) = delete;

 private:
  void enter(const Cell& function);
  void epilog_event(Flow f);
  bool saved_ = false;
  bool restore_ = false;
  Cell function_{};
};

}  // namespace vyn::trace
