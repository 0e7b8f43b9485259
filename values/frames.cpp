// values/frames.cpp: pushing, flagging, popping and walking call frames.
#include "values/frames.hpp"

#include <algorithm>

#include "core/error.hpp"
#include "core/heap.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"

namespace vyn::stack {
namespace {

CallFrame* origin = nullptr;
uint32_t body_symbol = 0;
uint32_t anon_symbol = 0;
Cell not_found_word{};
int floor_depth = 0;  // walk_frames starts this many frames above the bottom

}  // namespace

FrameState frames;

void init_frames() {
  floor_depth = 0;
  frames.bottom = static_cast<CallFrame*>(heap::alloc(sizeof(CallFrame) * frame_capacity));
  frames.top = frames.bottom;
  frames.end = frames.bottom + frame_capacity;
  origin = nullptr;
}

void mark_func_body(const Cell* word, NodeId context) {
  // the function's words read their values from this frame from now on (index + 1: 0 is none)
  if (context) set_context_values(context, index_of(arguments()) + 1);
  mark(word, frame::func_body);
}

void set_top_frame_mark() { frames.top[-1].header |= CallFrame::interp_flag; }

CallFrame* claim_caller_frame() {
  CallFrame* f = frames.top - 2;
  if (f < frames.bottom || f->return_target()) return nullptr;
  f->header |= CallFrame::target_flag;
  return f;
}
void clear_frame_flag(CallFrame* f) { f->header &= ~CallFrame::target_flag; }
CallFrame* top_frame() { return frames.top - 1; }

bool eval_q(CallFrame* f, bool one) {
  for (CallFrame* p = (f ? f : frames.top) - 1; p >= frames.bottom; --p) {
    if (p->interpreted()) return true;
    if (one) return false;
  }
  return false;
}

void unwind_func_drop() {
  CallFrame r = pop_frame();
  set_arguments(at_index(r.saved_args));
  set_top(arguments());
}

void unwind_drop() {
  CallFrame r = *--frames.top;
  set_arguments(at_index(r.saved_args));
  set_top(arguments());
}

void unwind_frame() {
  CallFrame r = pop_frame();
  if (frames.top == frames.bottom) {
    set_arguments(bottom());
    set_top(bottom());
  } else {
    set_top(arguments());
    set_arguments(at_index(r.saved_args));
  }
}

// Pops frames down to the nearest one of the kind (or a try/all barrier), which stays. With keep,
// the arguments become that frame's own; without, those of the frame below it.
void unroll_to(int kind, bool keep) {
  CallFrame* start = frames.top;
  uint32_t above = index_of(arguments());  // arguments of whatever frame is on top
  while (frames.top > frames.bottom) {
    const CallFrame* f = frames.top - 1;
    if (f->kind() == kind || f->kind() == kind::try_all) break;
    above = pop_frame().saved_args;
  }
  if (frames.top == start) {
    set_top(arguments() + 1);
    return;
  }
  if (frames.top == frames.bottom) {
    set_arguments(bottom());
    set_top(bottom());
    return;
  }
  Cell* a = keep ? at_index(above) : at_index(frames.top[-1].saved_args);
  set_arguments(a);
  set_top(a + 1);
}

// As unroll_to with keep, then the innermost call's result becomes the result of the frame
// reached, which is left as the only value of that frame.
void unroll(int kind) {
  Cell result = *arguments();
  unroll_to(kind, true);
  *arguments() = result;
  set_top(arguments() + 1);
}

Cell frame_word(const CallFrame* f) {
  return word::make(Type::word, f->symbol(), f->word_context);
}

void set_throw_origin(CallFrame* f) { origin = f; }
CallFrame* throw_origin() { return origin; }

void set_skipped_symbols(uint32_t body, uint32_t anon, const Cell& not_found) {
  body_symbol = body;
  anon_symbol = anon;
  not_found_word = not_found;
}

Cell get_call() {
  CallFrame* f = origin ? origin : frames.top;
  origin = nullptr;
  for (--f; f >= frames.bottom; --f) {
    uint32_t s = f->symbol();
    if (s && s != body_symbol && s != anon_symbol) return frame_word(f);
  }
  return not_found_word;
}

namespace {
bool named(const CallFrame* f) {
  uint32_t s = f->symbol();
  return s && s != body_symbol && s != anon_symbol;
}
}  // namespace

void collect_calls(Cell block) {
  for (CallFrame* f = frames.top - 1; f > frames.bottom; --f) {
    if (!named(f)) continue;
    block::append_copy(block, frame_word(f));
    block::append_copy(block, make_integer(static_cast<int32_t>(f->saved_args)));
  }
}

int trace_floor() { return floor_depth; }
void set_trace_floor(int depth) { floor_depth = depth < 0 ? 0 : depth; }

void walk_frames(int mode, Cell block, const CallFrame* end) {
  for (CallFrame* f = frames.bottom + std::min(floor_depth, frame_depth()); f < end && f < frames.top; ++f) {
    if (!named(f)) continue;
    Cell w = frame_word(f);
    bool wanted = mode > 1;
    if (!wanted && word::context(w)) {
      int32_t index = context::find_word(word::context(w), word::symbol(w), true);
      Cell* values = index >= 0 ? context::values(word::context(w)) : nullptr;
      wanted = values && values[index].is(Type::function);
    }
    if (wanted) block::append_copy(block, w);
  }
}

void set_call_word(const Cell& word) {
  if (!word.is(Type::word)) return;
  CallFrame* f = (origin ? origin : frames.top) - 1;
  if (f < frames.bottom) return;
  f->header = (f->header & ~0x00FFFF00u) | ((word::symbol(word) & 0xFFFF) << 8);
}

}  // namespace vyn::stack
