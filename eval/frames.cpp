// eval/frames.cpp: pushing, flagging, popping and walking call frames.
#include "eval/frames.hpp"

#include "core/error.hpp"
#include "core/heap.hpp"
#include "core/series.hpp"
#include "eval/stack.hpp"
#include "values/block.hpp"
#include "values/context.hpp"

namespace vyn::stack {
namespace {

CallFrame* fbottom = nullptr;
CallFrame* ftop = nullptr;
CallFrame* fend = nullptr;
CallFrame* origin = nullptr;
uint32_t body_symbol = 0;
uint32_t anon_symbol = 0;
Cell not_found_word{};

void push_frame(uint32_t header, NodeId word_ctx, NodeId func_ctx, uint32_t saved_values) {
  if (ftop >= fend) overflow();
  *ftop++ = CallFrame{header, index_of(arguments()), word_ctx, func_ctx, saved_values};
  set_arguments(top());
}

uint32_t symbol_of(const Cell* word) { return word ? (word->w2 & 0xFFFF) << 8 : 0; }
NodeId context_of(const Cell* word) { return word ? word->w1 : 0; }

// Pops the top record; restores a function frame's context.
CallFrame pop_frame() {
  CallFrame r = *--ftop;
  if (r.func_context) set_context_values(r.func_context, r.saved_values);
  return r;
}

}  // namespace

void init_frames() {
  fbottom = static_cast<CallFrame*>(heap::alloc(sizeof(CallFrame) * frame_capacity));
  ftop = fbottom;
  fend = fbottom + frame_capacity;
  origin = nullptr;
}

CallFrame* frames_bottom() { return fbottom; }
CallFrame* frames_top() { return ftop; }
int frame_depth() { return static_cast<int>(ftop - fbottom); }
void set_ctop(CallFrame* f) { ftop = f; }

uint32_t context_values(NodeId context) {
  return reinterpret_cast<Cell*>(buffer_of(context)->data())[0].w2;
}
void set_context_values(NodeId context, uint32_t values) {
  reinterpret_cast<Cell*>(buffer_of(context)->data())[0].w2 = values;
}

void mark(const Cell* word, uint32_t code) { push_frame(code | symbol_of(word), context_of(word), 0, 0); }

void mark_func(const Cell* word, NodeId context) {
  uint32_t saved = context ? context_values(context) : 0;
  push_frame(frame::func | symbol_of(word), context_of(word), context, saved);
}

void mark_interp_func(const Cell* word, NodeId context) {
  mark_func(word, context);
  ftop[-1].header |= CallFrame::interp_flag;
}

void mark_func_body(const Cell* word, NodeId context) {
  // the function's words read their values from this frame from now on (index + 1: 0 is none)
  if (context) set_context_values(context, index_of(arguments()) + 1);
  mark(word, frame::func_body);
}

void set_frame_flag(bool on) {
  CallFrame* f = ftop - 1;
  f->header = on ? f->header | CallFrame::target_flag : f->header & ~CallFrame::target_flag;
}
void set_top_frame_mark() { ftop[-1].header |= CallFrame::interp_flag; }

CallFrame* claim_caller_frame() {
  CallFrame* f = ftop - 2;
  if (f < fbottom || f->return_target()) return nullptr;
  f->header |= CallFrame::target_flag;
  return f;
}
void clear_frame_flag(CallFrame* f) { f->header &= ~CallFrame::target_flag; }
CallFrame* top_frame() { return ftop - 1; }

bool eval_q(CallFrame* f, bool one) {
  for (CallFrame* p = (f ? f : ftop) - 1; p >= fbottom; --p) {
    if (p->interpreted()) return true;
    if (one) return false;
  }
  return false;
}

void unwind() {
  CallFrame r = *--ftop;
  set_top(arguments() + 1);
  set_arguments(at_index(r.saved_args));
}

void unwind_func() {
  CallFrame r = pop_frame();
  set_top(arguments() + 1);
  set_arguments(at_index(r.saved_args));
}

void unwind_func_drop() {
  CallFrame r = pop_frame();
  set_arguments(at_index(r.saved_args));
  set_top(arguments());
}

void unwind_drop() {
  CallFrame r = *--ftop;
  set_arguments(at_index(r.saved_args));
  set_top(arguments());
}

void unwind_last() {
  Cell* callee = arguments();
  unwind();
  *arguments() = *callee;
}

void unwind_func_last() {
  Cell* callee = arguments();
  unwind_func();
  *arguments() = *callee;
}

void unwind_frame() {
  CallFrame r = pop_frame();
  if (ftop == fbottom) {
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
  CallFrame* start = ftop;
  uint32_t above = index_of(arguments());  // arguments of whatever frame is on top
  while (ftop > fbottom) {
    const CallFrame* f = ftop - 1;
    if (f->kind() == kind || f->kind() == kind::try_all) break;
    above = pop_frame().saved_args;
  }
  if (ftop == start) {
    set_top(arguments() + 1);
    return;
  }
  if (ftop == fbottom) {
    set_arguments(bottom());
    set_top(bottom());
    return;
  }
  Cell* a = keep ? at_index(above) : at_index(ftop[-1].saved_args);
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
  return make_cell(Type::word, f->word_context, f->symbol(), static_cast<uint32_t>(-1));
}

void set_throw_origin(CallFrame* f) { origin = f; }
CallFrame* throw_origin() { return origin; }

void set_skipped_symbols(uint32_t body, uint32_t anon, const Cell& not_found) {
  body_symbol = body;
  anon_symbol = anon;
  not_found_word = not_found;
}

Cell get_call() {
  CallFrame* f = origin ? origin : ftop;
  origin = nullptr;
  for (--f; f >= fbottom; --f) {
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
  for (CallFrame* f = ftop - 1; f > fbottom; --f) {
    if (!named(f)) continue;
    block::append_copy(block, frame_word(f));
    block::append_copy(block, make_integer(static_cast<int32_t>(f->saved_args)));
  }
}

void walk_frames(int mode, Cell block, const CallFrame* end) {
  for (CallFrame* f = fbottom; f < end && f < ftop; ++f) {
    if (!named(f)) continue;
    Cell w = frame_word(f);
    bool wanted = mode > 1;
    if (!wanted && w.w1) {
      int32_t index = context::find_word(w.w1, w.w2, true);
      Cell* values = index >= 0 ? context::values(w.w1) : nullptr;
      wanted = values && values[index].is(Type::function);
    }
    if (wanted) block::append_copy(block, w);
  }
}

void set_call_word(const Cell& word) {
  if (!word.is(Type::word)) return;
  CallFrame* f = (origin ? origin : ftop) - 1;
  if (f < fbottom) return;
  f->header = (f->header & ~0x00FFFF00u) | ((word.w2 & 0xFFFF) << 8);
}

}  // namespace vyn::stack
