// The spare-cell pool: indexes, growth, reuse, and what it shows the collector.
#include <gtest/gtest.h>

#include "core/cell_pool.hpp"
#include "core/gc.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

class CellPool : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    cellpool::init();
  }
};

TEST_F(CellPool, OneMoreThanAHundredDoublesKeepingEarlierIndexes) {
  EXPECT_EQ(cellpool::capacity(), 100);
  for (int32_t i = 1; i <= 100; ++i) ASSERT_EQ(cellpool::alloc(make_integer(1000 + i)), i);
  EXPECT_EQ(cellpool::alloc(make_char('x')), 101);
  EXPECT_EQ(cellpool::capacity(), 200);
  for (int32_t i = 1; i <= 100; ++i) ASSERT_EQ(cellpool::at(i)->int_value(), 1000 + i);
  EXPECT_TRUE(cellpool::at(101)->is(Type::char_));
  // the new half is free and chained in order: the next cells come out 102, 103, ...
  EXPECT_EQ(cellpool::alloc(make_none()), 102);
  EXPECT_EQ(cellpool::alloc(make_none()), 103);
  EXPECT_EQ(block::vs_length(*cellpool::block()), 200);
}

TEST_F(CellPool, FreedCellsComeBackLastFreedFirst) {
  for (int i = 0; i < 10; ++i) cellpool::alloc(make_integer(i));
  cellpool::free(3);
  EXPECT_EQ(cellpool::alloc(make_logic(true)), 3);
  cellpool::free(3);
  cellpool::free(7);
  EXPECT_EQ(cellpool::alloc(make_none()), 7);
  EXPECT_EQ(cellpool::alloc(make_none()), 3);
  EXPECT_EQ(cellpool::alloc(make_none()), 11);
  // a free cell holds an integer!, so marking the pool reaches nothing through it
  cellpool::free(5);
  EXPECT_TRUE(cellpool::at(5)->is(Type::integer));
}

TEST_F(CellPool, FreeingNothingOrTwiceChangesNothing) {
  int32_t a = cellpool::alloc(make_integer(1));
  cellpool::free(0);
  cellpool::free(-4);
  cellpool::free(cellpool::capacity() + 1);
  cellpool::free(a);
  cellpool::free(a);  // twice would otherwise chain the cell to itself
  int32_t b = cellpool::alloc(make_integer(2));
  int32_t c = cellpool::alloc(make_integer(3));
  EXPECT_EQ(b, a);
  EXPECT_NE(c, b);
  EXPECT_EQ(cellpool::at(b)->int_value(), 2);
  EXPECT_EQ(cellpool::at(c)->int_value(), 3);
}

// A block parked only in the pool: the pool's block, which the collector marks, holds it, and it
// stays whole across the pool's own growth (a move of the pool's buffer) and a collection.
TEST_F(CellPool, ParkedBlockIsHeldByThePoolBlock) {
  Cell parked;
  {
    stack::Mark mark;
    parked = *block_of({make_integer(7), make_integer(8)});
  }
  int32_t index = cellpool::alloc(parked);
  for (int i = 0; i < 150; ++i) cellpool::alloc(make_none());
  gc::collect();
  Cell held = *cellpool::at(index);
  ASSERT_TRUE(held.is(Type::block));
  EXPECT_EQ(series_node(held), series_node(parked));
  EXPECT_EQ(block::vs_length(held), 2);
  EXPECT_EQ(block::cells(held)[1].int_value(), 8);

  Cell pool = *cellpool::block();
  ASSERT_TRUE(pool.is(Type::block));
  int found = 0;
  for (Cell* c = block::vs_head(pool); c < block::vs_tail(pool); ++c)
    found += c->is(Type::block) && series_node(*c) == series_node(parked);
  EXPECT_EQ(found, 1);
}

}  // namespace
}  // namespace vyn::test
