// Block primitives and block!'s append and insert.
#include <gtest/gtest.h>

#include "tests/unit/support/runtime_fixture.hpp"
#include "values/cycles.hpp"
#include "core/runtime_cells.hpp"

namespace vyn::test {
namespace {

using Block = RuntimeTest;

Cell i(int v) { return make_integer(v); }

std::string ints(Cell b) {
  std::string out;
  int32_t n = block::vs_length(b);
  for (int32_t k = 0; k < n; ++k) {
    if (!out.empty()) out += ' ';
    Cell c = block::vs_head(b)[k];
    out += c.is(Type::integer) ? std::to_string(c.int_value()) : "[" + ints(c) + "]";
  }
  return out;
}

Cell* append(Cell* s, Cell v, int32_t part = -1, bool only = false, int32_t dup = 1, bool is_append = true) {
  Cell* value = stack::push(v);
  auto fn = is_append ? registry::entry<Action::append>(Type::block) : registry::entry<Action::insert>(Type::block);
  return fn(s, value, part, only, dup, is_append);
}

TEST_F(Block, AppendSplicesUnlessOnly) {
  Cell* s = stack::push(*block_of({i(1)}));
  Cell more = *block_of({i(2), i(3)});
  append(s, more);
  EXPECT_EQ(ints(*s), "1 2 3");
  append(s, more, -1, true);
  EXPECT_EQ(ints(*s), "1 2 3 [2 3]");
  append(s, i(4), -1, false, 3);
  EXPECT_EQ(ints(*s), "1 2 3 [2 3] 4 4 4");
  Cell* t = stack::push(*block_of({}));
  append(t, more, 1, false, 2);  // /dup repeats the whole (partial) splice
  EXPECT_EQ(ints(*t), "2 2");
  append(t, more, -1, false, 0);
  append(t, *block_of({}), -1, false, 1);
  EXPECT_EQ(ints(*t), "2 2");
}

TEST_F(Block, InsertAnswersThePositionAfterTheNewCells) {
  Cell* s = stack::push(*block_of({i(1), i(4)}));
  s->w1 = 1;
  Cell* r = append(s, *block_of({i(2), i(3)}), -1, false, 1, false);
  EXPECT_EQ(series_head(*r), 3);
  r->w1 = 0;
  EXPECT_EQ(ints(*r), "1 2 3 4");
}

TEST_F(Block, InsertingABlockIntoItself) {
  Cell* s = stack::push(*block_of({i(1), i(2), i(3)}));
  Cell whole = *s;
  s->w1 = 1;
  append(s, whole, -1, false, 1, false);
  s->w1 = 0;
  EXPECT_EQ(ints(*s), "1 1 2 3 2 3");
  append(s, whole);
  EXPECT_EQ(ints(*s), "1 1 2 3 2 3 1 1 2 3 2 3");
}

TEST_F(Block, GrowsWhenFullAndKeepsContents) {
  Cell* s = stack::push(*block_of({}));
  for (int k = 0; k < 5000; ++k) block::append_copy(*s, i(k));
  EXPECT_EQ(block::vs_length(*s), 5000);
  EXPECT_EQ(block::vs_head(*s)[4999].int_value(), 4999);
  Cell* big = stack::push(*block_of({}));
  for (int k = 0; k < 140000; ++k) block::append_copy(*big, i(k));  // past 2 MB: a big series
  *big = block::insert_cell(*big, i(-1), false, true);
  EXPECT_TRUE(block::buffer(*big)->flags & SeriesBuffer::big);
  EXPECT_EQ(block::vs_head(*big)[0].int_value(), -1);
  EXPECT_EQ(block::vs_head(*big)[140000].int_value(), 139999);
}

TEST_F(Block, InsertCellAdvancesOnRequest) {
  Cell b = *block_of({i(1), i(3)});
  b.w1 = 1;
  b = block::insert_cell(b, i(2), true, false);
  EXPECT_EQ(series_head(b), 2);
  b = block::insert_cell(b, i(0), false, true);
  EXPECT_EQ(series_head(b), 2);
  b.w1 = 0;
  EXPECT_EQ(ints(b), "0 1 2 3");
  Cell c = *block_of({i(9)});
  c = block::insert_all(c, *block_of({i(7), i(8)}));
  c.w1 = 0;
  EXPECT_EQ(ints(c), "7 8 9");
}

TEST_F(Block, FindCompareAnswersTheCellAfterTheMatch) {
  Cell b = *block_of({make_none(), make_logic(true), make_logic(false), make_datatype(Type::block)});
  Cell* after = block::find_compare(b, make_logic(true));
  ASSERT_NE(after, nullptr);
  EXPECT_TRUE(after->is(Type::logic));
  EXPECT_EQ(after->w1, 0u);
  EXPECT_EQ(block::find_compare(b, make_datatype(Type::block)), nullptr);  // the last cell
  EXPECT_EQ(block::find_compare(b, make_unset()), nullptr);
  EXPECT_TRUE(block::find_compare_from(b, make_none(), true));
  EXPECT_EQ(block::vs_length(b), 3);
  EXPECT_FALSE(block::find_compare_from(b, make_none(), true));
}

TEST_F(Block, CloneDeepAndShallow) {
  Cell empty = *block_of({});
  Cell* e = block::clone(empty, false, false);
  EXPECT_EQ(block::buffer(*e)->size, 16u);
  Cell inner = *block_of({i(1)});
  Cell paren = *block_of({i(2)});
  paren.set_type(Type::paren);
  Cell outer = *block_of({inner, paren});
  outer.set_type(Type::paren);
  Cell* deep = block::clone(outer, true, false);
  EXPECT_TRUE(deep->is(Type::paren));
  EXPECT_NE(series_node(block::cells(*deep)[0]), series_node(inner));
  EXPECT_EQ(series_node(block::cells(*deep)[1]), series_node(paren));
  Cell* any = block::clone(outer, true, true);
  EXPECT_NE(series_node(block::cells(*any)[1]), series_node(paren));
}

TEST_F(Block, RemoveLastAndTruncate) {
  Cell b = *block_of({i(1), i(2), i(3)});
  b.w1 = 3;
  block::remove_last(b);
  EXPECT_EQ(series_head(b), 2);
  b.w1 = 0;
  block::truncate_at(b, 1);
  EXPECT_EQ(ints(b), "1");
  b.w1 = 1;
  EXPECT_TRUE(block::vs_tail_q(b));
  EXPECT_TRUE(block::next_at_tail(b));
}

TEST_F(Block, MakersPlaceBlocks) {
  Cell* parent = stack::push(*block_of({}));
  Cell* made = block::make_in(parent, 4);
  EXPECT_TRUE(made->is(Type::block));
  EXPECT_EQ(block::vs_length(*parent), 1);
  Cell* fixed = block::make_in_root(nullptr, 3);
  EXPECT_EQ(fixed, &runtime_cells().scratch);
  EXPECT_TRUE(block::buffer(*fixed)->flags & SeriesBuffer::malloced);
  Cell unset_filled;
  block::init_at(&unset_filled, 3, false);
  EXPECT_TRUE(block::cells(unset_filled)[2].is(Type::unset));
  EXPECT_EQ(block::vs_length(unset_filled), 0);
}

TEST_F(Block, StackOverflowPullsBackAndRaises) {
  Cell* start = stack::top();
  Err e = raised([] {
    for (;;) stack::push(make_none());
  });
  EXPECT_EQ(e, Err::internal_stack_overflow);
  // 19,999 cells fit; the push that fails pulls the top back 5 cells
  EXPECT_EQ(stack::top(), stack::bottom() + stack::value_capacity - 1 - 5);
  stack::set_top(start);
}

TEST_F(Block, CycleStackRaisesTooDeepAndEmpties) {
  for (int k = 1; k < cycles::capacity; ++k) cycles::push(static_cast<NodeId>(k));
  EXPECT_TRUE(cycles::find(5));
  EXPECT_EQ(raised([] { cycles::push(99999); }), Err::internal_too_deep);
  EXPECT_EQ(cycles::depth(), 0);
  Cell b = *block_of({});
  cycles::push(series_node(b));
  Cell* buffer = string::make_at(stack::push_unset(), 8);
  int32_t remaining = 100;
  EXPECT_TRUE(cycles::detect(b, *buffer, remaining, true));
  EXPECT_EQ(string::to_utf8(*buffer), "[...]");
  EXPECT_EQ(remaining, 95);
  Cell p = b;
  p.set_type(Type::path);
  EXPECT_TRUE(cycles::detect(p, *buffer, remaining, true));
  EXPECT_TRUE(cycles::detect(b, *buffer, remaining, false));
  EXPECT_EQ(string::to_utf8(*buffer), "[...]......");
  cycles::pop();
  EXPECT_FALSE(cycles::detect(b, *buffer, remaining, true));
}

}  // namespace
}  // namespace vyn::test
