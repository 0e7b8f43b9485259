// values/frames.hpp: the call-frame stack: one record per call, loop, try, catch and evaluation.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "core/word_cell.hpp"
#include "values/objects/context.hpp"

namespace vyn::stack {

inline constexpr int frame_capacity = 12000;

// Five 32-bit words. Stack positions are kept as value-stack indexes, not addresses.
struct CallFrame {
  uint32_t header;        // kind bits 24-27, return target bit 28, interpreter bit 31, symbol 8-23
  uint32_t saved_args;    // the caller's arguments, as a value-stack index
  NodeId word_context;    // context of the word the call was made through, or 0
  NodeId func_context;    // the function's context (function frames), or 0
  uint32_t saved_values;  // that context's values word when the frame was pushed

  int kind() const { return (header >> 24) & 0xF; }
  uint32_t symbol() const { return (header >> 8) & 0xFFFF; }
  bool return_target() const { return header & target_flag; }
  bool interpreted() const { return header & interp_flag; }

  static constexpr uint32_t target_flag = 0x10000000;
  static constexpr uint32_t interp_flag = 0x80000000;
};

// Frame codes: the top byte of the header.
namespace frame {
inline constexpr uint32_t func = 0x01000000;
inline constexpr uint32_t interp_func = 0x81000000;
inline constexpr uint32_t native = 0x02000000;
inline constexpr uint32_t interp_native = 0x82000000;
inline constexpr uint32_t func_body = 0x12000000;
inline constexpr uint32_t try_ = 0x04000000;
inline constexpr uint32_t try_all = 0x05000000;
inline constexpr uint32_t catch_ = 0x06000000;
inline constexpr uint32_t eval = 0x87000000;
inline constexpr uint32_t loop = 0x08000000;
}  // namespace frame

namespace kind {
inline constexpr int function = 1, native = 2, try_ = 4, try_all = 5, catch_ = 6, eval = 7, loop = 8;
}

// The frame stack's state; read through the functions below, which call sites inline.
struct FrameState {
  CallFrame* bottom = nullptr;
  CallFrame* top = nullptr;  // the next free record
  CallFrame* end = nullptr;
};
extern FrameState frames;

void init_frames();
inline CallFrame* frames_bottom() { return frames.bottom; }
inline CallFrame* frames_top() { return frames.top; }  // the next free record
inline int frame_depth() { return static_cast<int>(frames.top - frames.bottom); }
inline void set_ctop(CallFrame* f) { frames.top = f; }

// The values word of a function context that the frames save and restore.
inline uint32_t context_values(NodeId context) { return context::values_word(context); }
inline void set_context_values(NodeId context, uint32_t values) { context::set_values_word(context, values); }

inline void push_frame(uint32_t header, NodeId word_ctx, NodeId func_ctx, uint32_t saved_values) {
  if (frames.top >= frames.end) overflow();
  *frames.top++ = CallFrame{header, index_of(arguments()), word_ctx, func_ctx, saved_values};
  set_arguments(top());
}
inline uint32_t symbol_of(const Cell* word) { return word ? (word::symbol(*word) & 0xFFFF) << 8 : 0; }
inline NodeId context_of(const Cell* word) { return word ? word::context(*word) : 0; }

// Pushing: the word the call was made through is given as its cell (any word type) or nullptr.
inline void mark(const Cell* word, uint32_t code) {
  push_frame(code | symbol_of(word), context_of(word), 0, 0);
}
inline void mark_func(const Cell* word, NodeId context) {
  uint32_t saved = context ? context_values(context) : 0;
  push_frame(frame::func | symbol_of(word), context_of(word), context, saved);
}
void mark_func_body(const Cell* word, NodeId context);
inline void mark_native(const Cell* w) { mark(w, frame::native); }
inline void mark_try(const Cell* w) { mark(w, frame::try_); }
inline void mark_try_all(const Cell* w) { mark(w, frame::try_all); }
inline void mark_catch(const Cell* w) { mark(w, frame::catch_); }
inline void mark_eval(const Cell* w) { mark(w, frame::eval); }
inline void mark_loop(const Cell* w) { mark(w, frame::loop); }
inline void mark_interp_native(const Cell* w) { mark(w, frame::interp_native); }
inline void mark_interp_func(const Cell* word, NodeId context) {
  uint32_t saved = context ? context_values(context) : 0;
  push_frame(frame::interp_func | symbol_of(word), context_of(word), context, saved);
}

// Flags.
inline void set_frame_flag(bool on) {
  CallFrame* f = frames.top - 1;
  f->header = on ? f->header | CallFrame::target_flag : f->header & ~CallFrame::target_flag;
}
void set_top_frame_mark();
CallFrame* claim_caller_frame();
void clear_frame_flag(CallFrame* f);
CallFrame* top_frame();
bool eval_q(CallFrame* f, bool one);

// Popping.
inline void unwind() {
  CallFrame r = *--frames.top;
  set_top(arguments() + 1);
  set_arguments(at_index(r.saved_args));
}
// Pops the top record; restores a function frame's context.
inline CallFrame pop_frame() {
  CallFrame r = *--frames.top;
  if (r.func_context) set_context_values(r.func_context, r.saved_values);
  return r;
}
inline void unwind_func() {
  CallFrame r = pop_frame();
  set_top(arguments() + 1);
  set_arguments(at_index(r.saved_args));
}
void unwind_func_drop();
void unwind_drop();
inline void unwind_last() {
  Cell* callee = arguments();
  unwind();
  *arguments() = *callee;
}
inline void unwind_func_last() {
  Cell* callee = arguments();
  unwind_func();
  *arguments() = *callee;
}
void unwind_frame();
void unroll_to(int kind, bool keep);
void unroll(int kind);
inline void unroll_loop(bool keep) { unroll_to(kind::loop, keep); }


// The call a frame was made for, as a word cell (context and symbol; index -1).
Cell frame_word(const CallFrame* f);
void set_throw_origin(CallFrame* f);
CallFrame* throw_origin();
// The word of the innermost named call, skipping <body> and <anon> frames.
Cell get_call();
void set_call_word(const Cell& word);
// For each named frame from the top down to the one above the bottom: its word, then its position
// on the value stack as an integer!.
void collect_calls(Cell block);
// For each named frame from the bottom up to end (excluded): its word, when mode > 1 or the word's
// value in its context is a function!.
void walk_frames(int mode, Cell block, const CallFrame* end);
// The depth below which the walk starts: the frames under it belong to the console engine, which
// evaluates the user's code on top of them; 0 (the start) walks every frame.
int trace_floor();
void set_trace_floor(int depth);
// Symbols the walk skips; set at start-up once the words exist.
void set_skipped_symbols(uint32_t body, uint32_t anon, const Cell& not_found);

}  // namespace vyn::stack
