// Typed arrays: byte, integer and pointer arrays over series buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "core/series.hpp"
#include "core/typed_array.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using TypedArray = RuntimeTest;

// An array is known by its node alone: a binary! on the value stack keeps it from the collector.
NodeId held(NodeId array) {
  stack::push(make_series(Type::binary, array));
  return array;
}

std::vector<int32_t> ints_of(NodeId a) {
  std::vector<int32_t> out;
  for (int32_t n = 1; n <= array::length(a); ++n) out.push_back(array::pick_int(a, n));
  return out;
}

TEST_F(TypedArray, NewSetsUnitAndLengthCountsItems) {
  NodeId a = held(array::new_(3, 4));
  EXPECT_EQ(buffer_of(a)->unit(), 4u);
  EXPECT_EQ(buffer_of(a)->size, 16u);
  EXPECT_EQ(array::length(a), 0);
  array::append_int(a, 7);
  array::append_int(a, -9);
  EXPECT_EQ(array::length(a), 2);
  EXPECT_EQ(ints_of(a), (std::vector<int32_t>{7, -9}));
  NodeId b = held(array::new_(0, 1));
  EXPECT_EQ(buffer_of(b)->size, 16u);
}

TEST_F(TypedArray, FindIntAnswersByteOffsets) {
  NodeId a = held(array::new_(4, 4));
  EXPECT_EQ(array::find_int(a, 0), -1);  // empty
  for (int32_t v : {5, 6, 7, 6}) array::append_int(a, v);
  EXPECT_EQ(array::find_int(a, 5), 0);
  EXPECT_EQ(array::find_int(a, 6), 4);
  EXPECT_EQ(array::find_int(a, 7), 8);
  EXPECT_EQ(array::find_int(a, 8), -1);
  array::poke_int(a, 2, 60);
  EXPECT_EQ(array::find_int(a, 6), 12);
}

TEST_F(TypedArray, GrowingMovesTheBufferButTheNodeStillReachesTheItems) {
  NodeId a = held(array::new_(4, 4));
  SeriesBuffer* first = buffer_of(a);
  for (int32_t v = 0; v < 1000; ++v) array::append_int(a, v * 3);
  EXPECT_NE(buffer_of(a), first);
  ASSERT_EQ(array::length(a), 1000);
  for (int32_t v = 0; v < 1000; ++v) ASSERT_EQ(array::pick_int(a, v + 1), v * 3);
}

TEST_F(TypedArray, InsertIntAtMovesTheRestUp) {
  struct Case { int32_t index; std::vector<int32_t> out; };
  for (const Case& c : {Case{0, {9, 1, 2, 3, 4}}, Case{2, {1, 2, 9, 3, 4}}, Case{4, {1, 2, 3, 4, 9}},
                        Case{99, {1, 2, 3, 4, 9}}, Case{-3, {9, 1, 2, 3, 4}}}) {
    NodeId a = held(array::new_(4, 4));  // full after four: the insertion must grow it
    for (int32_t v : {1, 2, 3, 4}) array::append_int(a, v);
    array::insert_int_at(a, 9, c.index);
    EXPECT_EQ(ints_of(a), c.out) << "index " << c.index;
  }
}

TEST_F(TypedArray, BytesAppendPickAndRemove) {
  NodeId a = held(array::new_(2, 1));
  for (uint8_t b : {'a', 'b', 'c', 'd', 'e'}) array::append_byte(a, b);
  EXPECT_EQ(array::pick_byte(a, 1), 'a');
  EXPECT_EQ(array::pick_byte(a, 5), 'e');
  array::remove_at(a, 1, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(array::data(a)), array::length(a)), "ade");
  array::remove_at(a, 2, 50);  // cut at the tail
  EXPECT_EQ(array::length(a), 2);
  array::remove_at(a, 7, 1);   // past the tail: nothing
  EXPECT_EQ(array::length(a), 2);
  array::clear(a);
  EXPECT_EQ(array::length(a), 0);
}

// The source bytes lie in the array itself, whose buffer moves as it grows.
TEST_F(TypedArray, AppendingBytesOfTheArrayToItselfSurvivesTheMove) {
  NodeId a = held(array::new_(16, 1));
  uint8_t* start = array::append_bytes(a, "0123456789abcdef", 16);
  SeriesBuffer* before = buffer_of(a);
  array::append_bytes(a, start, 16);
  EXPECT_NE(buffer_of(a), before);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(array::data(a)), 32),
            "0123456789abcdef0123456789abcdef");
}

TEST_F(TypedArray, PointersAreFoundPickedAndRemoved) {
  NodeId a = held(array::new_(2, sizeof(void*)));
  int x, y, z;
  array::append_pointer(a, &x);
  array::append_pointer(a, &y);
  array::append_pointer(a, &z);
  EXPECT_EQ(array::length(a), 3);
  EXPECT_EQ(array::pick_pointer(a, 2), &y);
  EXPECT_EQ(array::find_pointer(a, &z), static_cast<int32_t>(2 * sizeof(void*)));
  int absent;
  array::remove_pointer(a, &absent);
  EXPECT_EQ(array::length(a), 3);
  array::remove_pointer(a, &y);
  EXPECT_EQ(array::length(a), 2);
  EXPECT_EQ(array::pick_pointer(a, 2), &z);
  EXPECT_EQ(array::find_pointer(a, &y), -1);
}

// Setting the length to n leaves n items, the items gained zero, growing the buffer as needed.
TEST_F(TypedArray, SetLengthGivesExactlyThatManyItems) {
  NodeId a = held(array::new_(2, 4));
  array::append_int(a, 5);
  array::set_length(a, 3);
  EXPECT_EQ(ints_of(a), (std::vector<int32_t>{5, 0, 0}));
  array::set_length(a, 40);
  EXPECT_EQ(array::length(a), 40);
  EXPECT_EQ(array::pick_int(a, 40), 0);
  array::set_length(a, 1);
  EXPECT_EQ(ints_of(a), (std::vector<int32_t>{5}));
}

TEST_F(TypedArray, CopyIsIndependent) {
  NodeId a = held(array::new_(4, 4));
  for (int32_t v : {1, 2, 3}) array::append_int(a, v);
  NodeId b = held(array::copy(a));
  array::poke_int(b, 1, 100);
  EXPECT_EQ(ints_of(a), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(ints_of(b), (std::vector<int32_t>{100, 2, 3}));
  EXPECT_EQ(buffer_of(b)->unit(), 4u);
}

TEST_F(TypedArray, FilledArraysAndRefill) {
  NodeId a = held(array::new_filled(12, 0xFF, 4));
  EXPECT_EQ(array::length(a), 3);
  EXPECT_EQ(array::pick_int(a, 3), -1);
  array::fill(a, 0);
  EXPECT_EQ(array::pick_int(a, 1), 0);
}

}  // namespace
}  // namespace vyn::test
