// The action front-ends, comparison by op code and the fast routines.
#include <gtest/gtest.h>

#include "eval/dispatch.hpp"
#include "values/frames.hpp"
#include "eval/front_ends.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "core/compare_ops.hpp"

namespace vyn::test {
namespace {

using Dispatch = RuntimeTest;

Cell i(int v) { return make_integer(v); }

// Calls an action's front-end the way the interpreter does: a native frame whose cells are the
// arguments, then one cell per refinement argument; refs gives each refinement's frame index.
Cell call(Action a, std::initializer_list<Cell> args, std::initializer_list<int32_t> refs = {}) {
  Cell* held = stack::top();  // what the test pushed before stays rooted after the call
  stack::mark_native(nullptr);
  Cell* first = stack::top();
  for (const Cell& c : args) stack::push(c);
  std::vector<int32_t> r(refs);
  r.resize(12, -1);
  actions::front_end(static_cast<int>(a))(Call{first, r.data()});
  Cell result = *first;
  stack::unwind_drop();  // cuts back to the caller's arguments: the bottom of the stack here
  stack::set_top(held);
  return result;
}

std::string ints(Cell b) {
  std::string out;
  for (int32_t k = 0; k < block::vs_length(b); ++k) {
    if (!out.empty()) out += ' ';
    out += std::to_string(block::vs_head(b)[k].int_value());
  }
  return out;
}

TEST_F(Dispatch, AppendPartAndDupChecks) {
  Cell s = *block_of({i(1)});
  Cell three = *block_of({i(1), i(2), i(3)});
  Cell at3 = three;
  at3.w1 = 2;
  call(Action::append, {s, at3, i(-2)}, {2});  // /part -2 reaches back from the value's position
  EXPECT_EQ(ints(s), "1 1 2");
  call(Action::append, {s, three, i(0)}, {2});  // /part 0: unchanged
  call(Action::append, {s, i(9), i(0)}, {-1, -1, 2});  // /dup 0: unchanged
  EXPECT_EQ(ints(s), "1 1 2");
  Cell r = call(Action::append, {s, i(7), i(2)}, {-1, -1, 2});
  EXPECT_EQ(ints(r), "1 1 2 7 7");
  EXPECT_EQ(raised([&] { call(Action::append, {s, i(5), i(1)}, {2}); }), Err::script_invalid_part);
  Cell other = *block_of({i(4)});
  EXPECT_EQ(raised([&] { call(Action::append, {s, three, other}, {2}); }), Err::script_invalid_refine_arg);
  Cell ins = call(Action::insert, {*block_of({i(3)}), three, i(2)}, {2});
  EXPECT_EQ(series_head(ins), 2);
}

TEST_F(Dispatch, FormAndMoldThroughTheirFrontEnds) {
  Cell f = call(Action::form, {make_datatype(Type::integer)});
  EXPECT_EQ(string::to_utf8(f), "integer");
  Cell cut = call(Action::form, {make_datatype(Type::integer), i(3)}, {1});
  EXPECT_EQ(string::to_utf8(cut), "int");
  Cell none = call(Action::form, {make_datatype(Type::integer), i(0)}, {1});
  EXPECT_TRUE(none.is(Type::string));
  EXPECT_EQ(string::to_utf8(none), "");
  Cell all = call(Action::mold, {make_none()}, {-1, 0});
  EXPECT_EQ(string::to_utf8(all), "#(none)");
}

TEST_F(Dispatch, PickByLogicAndLengthOfNone) {
  Cell b = *block_of({i(10), i(20)});
  EXPECT_EQ(call(Action::pick, {b, make_logic(true)}).int_value(), 10);
  EXPECT_EQ(call(Action::pick, {b, make_logic(false)}).int_value(), 20);
  EXPECT_TRUE(call(Action::length_q, {make_none()}).is(Type::none_));
  EXPECT_EQ(call(Action::length_q, {b}).int_value(), 2);
  EXPECT_EQ(call(Action::index_q, {call(Action::next, {b})}).int_value(), 2);
  Cell copied = call(Action::copy, {b, i(1)}, {1});
  EXPECT_EQ(ints(copied), "10");
  EXPECT_EQ(raised([&] { call(Action::copy, {b, i(1)}, {-1, -1, 1}); }), Err::script_expect_arg);
}

TEST_F(Dispatch, MissingEntryAndUnorderableValues) {
  EXPECT_EQ(raised([] { call(Action::append, {make_logic(true), i(1)}); }), Err::script_expect_arg);
  EXPECT_EQ(datatype_of(pending_error().args[1]), Type::logic);
  Cell a = make_datatype(Type::block), b = make_datatype(Type::integer);
  EXPECT_FALSE(actions::compare(&a, &b, cmp::equal));
  EXPECT_TRUE(actions::compare(&a, &b, cmp::not_equal));
  EXPECT_EQ(raised([&] { actions::compare(&a, &b, cmp::lesser); }), Err::script_invalid_compare);
}

TEST_F(Dispatch, MakeDispatchesOnTheNamedType) {
  Cell r = call(Action::make, {make_datatype(Type::logic), i(0)});
  EXPECT_TRUE(r.is(Type::logic));
  EXPECT_EQ(logic_of(r), 0u);
  Cell t = call(Action::to, {make_datatype(Type::logic), i(0)});
  EXPECT_EQ(logic_of(t), 1u);
}

TEST_F(Dispatch, FastRoutines) {
  Cell a = i(2147483647);
  Cell one = i(1);
  actions::math_op_fast(&a, &one, actions::MathOp::add);
  EXPECT_TRUE(a.is(Type::float_));
  EXPECT_EQ(a.float_value(), 2147483648.0);
  Cell m = i(-7);
  Cell n = i(3);
  actions::math_op_fast(&m, &n, actions::MathOp::and_);
  EXPECT_EQ(m.int_value(), -7 & 3);
  Cell x = i(3), y = i(4);
  EXPECT_TRUE(actions::compare_op_fast(&x, &y, cmp::lesser));
  Cell t = make_logic(true), f = make_logic(false);
  actions::math_op_fast(&t, &f, actions::MathOp::or_);  // through logic!'s or~ entry
  EXPECT_EQ(logic_of(t), 1u);
  Cell b = *block_of({i(5), i(6)});
  Cell two = i(2), zero = i(0);
  EXPECT_EQ(actions::pick_index_fast(&b, &two).int_value(), 6);
  EXPECT_TRUE(actions::pick_index_fast(&b, &zero).is(Type::none_));
  EXPECT_EQ(actions::series_nav_fast(b, actions::Nav::length).int_value(), 2);
  EXPECT_EQ(series_head(actions::series_nav_fast(b, actions::Nav::tail)), 2);
  // other types go through their entries
  EXPECT_TRUE(actions::series_nav_fast(make_none(), actions::Nav::length).is(Type::none_));
}

}  // namespace
}  // namespace vyn::test
