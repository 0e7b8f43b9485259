// Nodes, series buffers, frames, big series and moving buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "core/alloc_limit.hpp"
#include "core/gc.hpp"
#include "core/node.hpp"
#include "core/os_frame.hpp"
#include "core/series.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

// These tests look at frames and buffers in place: no collection may move them meanwhile.
class Memory : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    gc::set_enabled(false);
  }
};

TEST_F(Memory, ZeroByteRequestStillTakesAHeader) {
  alloc::SeriesFrame* f = alloc::memory().series_current;
  uint8_t* before = f->bump;
  SeriesBuffer* b = alloc::new_series_buffer(0, 1, 0);
  EXPECT_EQ(b->size, 0u);
  EXPECT_EQ(f->bump - before, 24);
  NodeId n = alloc::new_bytes(0);
  EXPECT_EQ(buffer_of(n)->size, 16u);
}

TEST_F(Memory, UnitsAndSizesRoundToSixteen) {
  struct Case { uint32_t count, unit, size; };
  for (Case c : {Case{1, 1, 16}, Case{17, 1, 32}, Case{3, 2, 16}, Case{5, 4, 32}, Case{3, 8, 32},
                 Case{2, 16, 32}}) {
    NodeId n = alloc::new_series(c.count, c.unit, 0);
    SeriesBuffer* b = buffer_of(n);
    EXPECT_EQ(b->size, c.size) << c.count << "x" << c.unit;
    EXPECT_EQ(b->unit(), c.unit);
    EXPECT_EQ(b->node, n);
    EXPECT_EQ(alloc::node_buffer(n), b);
    EXPECT_TRUE(b->flags & SeriesBuffer::in_use);
    EXPECT_TRUE(b->flags & SeriesBuffer::made);
  }
}

TEST_F(Memory, MiddleOffsetPutsHeadAtHalf) {
  NodeId n = alloc::new_series(8, 16, alloc::offset_middle);
  SeriesBuffer* b = buffer_of(n);
  EXPECT_EQ(b->head, 64u);
  EXPECT_EQ(b->tail, 64u);
  EXPECT_TRUE(b->flags & SeriesBuffer::middle);
}

TEST_F(Memory, BigThresholdBoundary) {
  SeriesBuffer* small = alloc::new_series_buffer(2097120, 1, 0);
  EXPECT_FALSE(small->flags & SeriesBuffer::big);
  SeriesBuffer* big = alloc::new_series_buffer(2097136, 1, 0);
  EXPECT_TRUE(big->flags & SeriesBuffer::big);
  EXPECT_EQ(alloc::big_series()->buffer(), big);
  EXPECT_EQ(alloc::big_series()->need, 2097136u + 24);
}

int frame_count() {
  int n = 0;
  for (alloc::SeriesFrame* f = alloc::memory().series_head; f; f = f->next) ++n;
  return n;
}

// Start-up may already fill the first frame, so the test looks at the whole list: at most one frame
// of 1 MB (the first made), every other 2 MB, and a frame added by filling is 2 MB.
TEST_F(Memory, FramesAreOneMegabyteThenTwo) {
  int before = frame_count();
  while (frame_count() == before) alloc::new_series_buffer(60000, 1, 0);
  int one = 0;
  for (alloc::SeriesFrame* f = alloc::memory().series_head; f; f = f->next) {
    ptrdiff_t size = f->end - f->heap();
    EXPECT_TRUE(size == 0x100000 || size == 0x200000) << size;
    if (size == 0x100000) ++one;
    if (f->next) EXPECT_LT(f, f->next);  // the list stays sorted by address
  }
  EXPECT_LE(one, 1);
  EXPECT_EQ(alloc::memory().next_frame_size, 0x200000u);
}

TEST_F(Memory, ExpandDoublesAndAbandonsOldBuffer) {
  NodeId n = alloc::new_series(4, 4, 0);
  SeriesBuffer* old = buffer_of(n);
  std::memcpy(old->data(), "abcdefgh", 8);
  old->tail = 8;
  SeriesBuffer* fresh = alloc::expand_series_copy(n, 0);
  EXPECT_EQ(fresh->size, 32u);
  EXPECT_EQ(old->node, 0u);
  EXPECT_FALSE(old->flags & SeriesBuffer::in_use);
  EXPECT_EQ(buffer_of(n), fresh);
  EXPECT_EQ(fresh->used(), 8u);
  EXPECT_EQ(std::memcmp(fresh->data(), "abcdefgh", 8), 0);
}

TEST_F(Memory, ExpandFillFillsTheNewPart) {
  NodeId n = alloc::new_bytes_filled(16, 0xFF);
  SeriesBuffer* b = alloc::expand_series_fill(n, 64, 0x00);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(b->data()[i], 0xFF);
  for (int i = 16; i < 64; ++i) EXPECT_EQ(b->data()[i], 0x00);
}

TEST_F(Memory, ExpandingEmptyBufferRaisesNoMemory) {
  SeriesBuffer* b = alloc::new_series_buffer(0, 1, 0);
  NodeId n = alloc::new_node();
  alloc::set_node_buffer(n, b);
  b->node = n;
  EXPECT_EQ(raised([&] { alloc::expand_series(n, 0); }), Err::internal_no_memory);
}

TEST_F(Memory, CopySeriesKeepsUnitFlagsAndLength) {
  NodeId n = alloc::new_series(4, 2, 0);
  SeriesBuffer* b = buffer_of(n);
  std::memcpy(b->data(), "\x01\x00\x02\x00\x03\x00", 6);
  b->tail = 6;
  NodeId c = alloc::copy_series(n);
  SeriesBuffer* cb = buffer_of(c);
  EXPECT_NE(c, n);
  EXPECT_EQ(cb->unit(), 2u);
  EXPECT_EQ(cb->used(), 6u);
  EXPECT_EQ(cb->node, c);
  EXPECT_EQ(std::memcmp(cb->data(), b->data(), 6), 0);
}

TEST_F(Memory, NodesComeFromFreeChainsAndReturn) {
  alloc::NodeFrame* f = alloc::current_node_frame();
  uint32_t used = f->used;
  NodeId a = alloc::new_node();
  NodeId b = alloc::new_node();
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(f->used, used + 2);
  alloc::free_node(b);
  EXPECT_EQ(alloc::new_node(), b);  // the freed slot is the first one handed out again
  alloc::free_node(a);
  EXPECT_EQ(f->used, used + 1);
}

TEST_F(Memory, FullNodeFrameOpensAnother) {
  alloc::NodeFrame* first = alloc::current_node_frame();
  while (first->free_head) alloc::new_node();
  NodeId next = alloc::new_node();
  EXPECT_NE(alloc::node_frame_of(next), first);
  EXPECT_EQ(first->next, alloc::node_frame_of(next));
}

TEST_F(Memory, MallocSeriesNeverMoves) {
  NodeId n = alloc::new_series_malloc(10, 16, 0);
  SeriesBuffer* b = buffer_of(n);
  EXPECT_EQ(b->flags & 0xA0100000u, 0xA0100000u);
  EXPECT_EQ(b->size, 160u);
}

TEST_F(Memory, OsTotalFollowsFrames) {
  size_t before = alloc::os_total();
  void* p = alloc::virtual_alloc(10000);
  EXPECT_EQ(alloc::os_total(), before + 12288);
  alloc::virtual_free(p);
  EXPECT_EQ(alloc::os_total(), before);
}

TEST_F(Memory, RefusedMappingRaisesNoMemoryAndKeepsTotal) {
  size_t before = alloc::os_total();
  EXPECT_EQ(raised([] { alloc::virtual_alloc(size_t{1} << 46); }), Err::internal_no_memory);
  EXPECT_EQ(alloc::os_total(), before);
}

// A freed big frame kept as the spare: counted as held, its pages taken by the next big frame
// (the rest staying spare), grown into where it follows a frame or holds the new size whole, and
// given up under the cap. Frames under 1 MB or over 256 MB are not kept; of two, the larger stays.
TEST_F(Memory, TheSpareIsReusedCountedAndReleased) {
  constexpr size_t mb = size_t{1} << 20;
  alloc::release_spare();
  size_t before = alloc::os_total();
  alloc::virtual_free(alloc::virtual_alloc(mb / 2), true);
  EXPECT_EQ(alloc::spare_size(), 0u);
  void* big = alloc::virtual_alloc(8 * mb);
  static_cast<uint8_t*>(big)[0] = 7;
  alloc::virtual_free(big, true);
  size_t spare = alloc::spare_size();
  EXPECT_EQ(spare, 8 * mb + 4096);
  EXPECT_EQ(alloc::os_total(), before + spare);
  alloc::virtual_free(alloc::virtual_alloc(2 * mb), true);  // the larger spare stays
  EXPECT_EQ(alloc::spare_size(), spare);
  alloc::virtual_free(alloc::virtual_alloc(300 * mb), true);  // too large to keep
  EXPECT_EQ(alloc::spare_size(), spare);
  EXPECT_EQ(alloc::os_total(), before + spare);

  void* taken = alloc::virtual_alloc(mb, false, true);  // cut from the spare's front, not zeroed
  EXPECT_EQ(taken, big);
  EXPECT_EQ(static_cast<uint8_t*>(taken)[0], 7);
  EXPECT_EQ(alloc::os_total(), before + spare);
  void* grown = alloc::virtual_resize(taken, 3 * mb);  // the spare follows: taken in place
  EXPECT_EQ(grown, taken);
  EXPECT_EQ(alloc::os_total(), before + spare);
  EXPECT_EQ(alloc::virtual_resize(grown, 2 * mb), grown);  // holds that much already

  void* other = alloc::virtual_alloc(mb / 2);  // not from the spare: moved onto it when it grows
  static_cast<uint8_t*>(other)[100] = 9;
  size_t held = alloc::os_total(), left = alloc::spare_size();
  void* moved = alloc::virtual_resize(other, 2 * mb);
  EXPECT_NE(moved, other);
  EXPECT_EQ(static_cast<uint8_t*>(moved)[100], 9);
  EXPECT_EQ(alloc::os_total(), held - (mb / 2 + 4096));
  EXPECT_EQ(alloc::spare_size(), left - 2 * mb - 4096);
  alloc::virtual_free(moved);
  alloc::virtual_free(grown);
  alloc::release_spare();
  EXPECT_EQ(alloc::os_total(), before);
}

TEST_F(Memory, TheCapReleasesTheSpareBeforeItRefuses) {
  constexpr size_t mb = size_t{1} << 20;
  alloc::release_spare();
  alloc::virtual_free(alloc::virtual_alloc(4 * mb), true);
  alloc::set_limit(alloc::os_total() + alloc::scratch_total() + mb);  // room only without the spare
  void* p = alloc::virtual_alloc(3 * mb);
  EXPECT_EQ(alloc::spare_size(), 0u);
  alloc::virtual_free(p);
  alloc::set_limit(0);
}

}  // namespace
}  // namespace vyn::test
