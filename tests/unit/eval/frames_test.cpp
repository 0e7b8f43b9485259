// Call frames: marking, unwinding, overflow, and the frame-level half of the exits.
#include <gtest/gtest.h>

#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using Frames = RuntimeTest;

Cell word(uint32_t symbol) { return make_cell(Type::word, 0, symbol, static_cast<uint32_t>(-1)); }

TEST_F(Frames, MarkMakesTheNextPushTheResultSlot) {
  Cell* base = stack::top();
  stack::push(make_integer(1));
  Cell w = word(7);
  stack::mark_native(&w);
  EXPECT_EQ(stack::arguments(), base + 1);
  stack::push(make_integer(2));  // result slot
  stack::push(make_integer(3));
  EXPECT_EQ(stack::top_frame()->symbol(), 7u);
  EXPECT_EQ(stack::top_frame()->kind(), stack::kind::native);
  stack::unwind();
  EXPECT_EQ(stack::top(), base + 2);  // the callee's result survives as the caller's last value
  EXPECT_EQ(stack::last_value()->int_value(), 2);
  EXPECT_EQ(stack::frame_depth(), 0);
}

TEST_F(Frames, UnwindVariantsPlaceTheResult) {
  Cell* a = stack::arguments();
  stack::push(make_integer(0));  // caller's result slot
  stack::mark_native(nullptr);
  stack::push(make_integer(42));
  stack::unwind_last();
  EXPECT_EQ(a->int_value(), 42);
  stack::mark_native(nullptr);
  stack::push(make_integer(5));
  Cell* before = stack::arguments();
  stack::unwind_drop();
  EXPECT_EQ(stack::top(), stack::arguments());
  EXPECT_LT(stack::top(), before + 1);
}

TEST_F(Frames, UnwindFrameOnTheLastFrameResetsToBottom) {
  stack::push(make_none());
  stack::mark_eval(nullptr);
  stack::push(make_none());
  stack::unwind_frame();
  EXPECT_EQ(stack::arguments(), stack::bottom());
  EXPECT_EQ(stack::top(), stack::bottom());
}

TEST_F(Frames, TwelveThousandFramesFitAndOneMoreOverflows) {
  for (int k = 0; k < stack::frame_capacity; ++k) stack::mark_loop(nullptr);
  Cell* top = stack::top();
  EXPECT_EQ(raised([] { stack::mark_loop(nullptr); }), Err::internal_stack_overflow);
  EXPECT_EQ(stack::top(), top < stack::bottom() + 5 ? stack::bottom() : top - 5);
  stack::set_ctop(stack::frames_bottom());
}

// Function contexts: a recursive call sees its own arguments, the caller's come back after it.
TEST_F(Frames, FunctionFramesSaveAndRestoreTheContextValues) {
  NodeId ctx = alloc::new_cells(2);
  buffer_of(ctx)->tail = 32;
  stack::set_context_values(ctx, 0);
  stack::mark_func(nullptr, ctx);
  stack::push(make_integer(1));
  stack::mark_func_body(nullptr, ctx);
  uint32_t outer = stack::context_values(ctx);
  EXPECT_NE(outer, 0u);
  stack::mark_func(nullptr, ctx);
  stack::push(make_integer(2));
  stack::mark_func_body(nullptr, ctx);
  EXPECT_NE(stack::context_values(ctx), outer);
  stack::unwind();          // the inner body frame
  stack::unwind_func();     // the inner function frame
  EXPECT_EQ(stack::context_values(ctx), outer);
  stack::unwind();
  stack::unwind_func();
  EXPECT_EQ(stack::context_values(ctx), 0u);
}

TEST_F(Frames, BreakFindsTheLoopAcrossFunctionFrames) {
  stack::push(make_none());
  stack::mark_loop(nullptr);
  Cell* loop_args = stack::arguments();
  stack::push(make_none());
  stack::mark_func(nullptr, 0);
  stack::push(make_none());
  stack::mark_native(nullptr);  // break's own frame
  stack::push(make_integer(9));
  EXPECT_EQ(stack::throw_break(true, false), Flow::break_);
  EXPECT_EQ(stack::arguments(), loop_args);
  EXPECT_EQ(loop_args->int_value(), 9);
  EXPECT_EQ(stack::top_frame()->kind(), stack::kind::loop);
}

TEST_F(Frames, ExitsStopAtBarriersAndRaiseWhenTheyFindNoTarget) {
  stack::mark_loop(nullptr);
  stack::mark_try_all(nullptr);
  stack::mark_native(nullptr);
  stack::push(make_none());
  int depth = stack::frame_depth();
  EXPECT_EQ(raised([] { (void)stack::throw_break(false, false); }), Err::throw_break);
  EXPECT_EQ(raised([] { (void)stack::throw_break(false, true); }), Err::throw_continue);
  EXPECT_EQ(raised([] { (void)stack::throw_return(true); }), Err::throw_return);
  EXPECT_EQ(stack::frame_depth(), depth);  // stacks put back before raising
  EXPECT_EQ(raised([] { (void)stack::throw_value(Flow::throw_); }), Err::throw_throw);
  EXPECT_EQ(pending_error().args[0].type(), Type::none_);  // the thrown value is the argument
}

TEST_F(Frames, ReturnAndThrowReachTheirFrames) {
  stack::push(make_none());
  stack::mark_func(nullptr, 0);
  stack::set_frame_flag(true);
  Cell* fn_args = stack::arguments();
  stack::push(make_none());
  stack::mark_loop(nullptr);
  stack::push(make_none());
  stack::mark_native(nullptr);
  stack::push(make_integer(3));
  EXPECT_EQ(stack::throw_return(true), Flow::return_);
  EXPECT_EQ(stack::arguments(), fn_args);
  EXPECT_EQ(fn_args->int_value(), 3);
  EXPECT_TRUE(stack::top_frame()->return_target());
  stack::mark_catch(nullptr);
  Cell* catch_args = stack::arguments();
  stack::mark_native(nullptr);
  stack::push(make_integer(8));
  stack::push(make_logic(true));
  EXPECT_EQ(stack::throw_value(Flow::throw_), Flow::throw_);
  EXPECT_EQ(stack::arguments(), catch_args);
  EXPECT_EQ(catch_args[0].int_value(), 8);
  EXPECT_TRUE(catch_args[1].is(Type::logic));
}

TEST_F(Frames, GetCallSkipsBodyFramesAndHonoursTheThrowOrigin) {
  stack::set_skipped_symbols(20, 21, word(99));
  EXPECT_EQ(word::symbol(stack::get_call()), 99u);  // nothing named: <not-found>
  Cell named = word(5), body = word(20), anon = word(21);
  stack::mark_native(&named);
  stack::mark_native(&body);
  stack::mark_native(&anon);
  EXPECT_EQ(word::symbol(stack::get_call()), 5u);
  Cell other = word(6);
  stack::mark_native(&other);
  stack::set_throw_origin(stack::frames_top() - 1);
  EXPECT_EQ(word::symbol(stack::get_call()), 5u);  // from the origin, once
  EXPECT_EQ(word::symbol(stack::get_call()), 6u);
}

TEST_F(Frames, CatchingAnErrorCutsBackToTheTryFrame) {
  stack::push(make_none());
  int depth = stack::frame_depth();
  Cell* top = stack::top();
  stack::mark_try(nullptr);
  Cell* try_args = stack::arguments();
  stack::mark_native(nullptr);
  stack::mark_loop(nullptr);
  for (int k = 0; k < 10; ++k) stack::push(make_none());
  stack::catch_error_at(depth, top);
  EXPECT_EQ(stack::frame_depth(), depth);
  EXPECT_EQ(stack::top(), top);
  EXPECT_LT(stack::arguments(), try_args);
}

}  // namespace
}  // namespace vyn::test
