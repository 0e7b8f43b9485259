// The stressed collector's choice of allocations: every one, or new call paths first and then a
// sample at a varying stride.
#include <gtest/gtest.h>

#include <set>

#include "core/gc_stress.hpp"

namespace vyn::test {
namespace {

using gc::stress_policy::due;
using gc::stress_policy::reset;

// Stands for the allocator, so that the frames above it make the call path.
[[gnu::noinline]] bool allocate() { return due(); }
[[gnu::noinline]] bool from_here() { return allocate(); }
[[gnu::noinline]] bool from_there() { return allocate(); }

class StressPolicy : public ::testing::Test {
 protected:
  void TearDown() override { reset(saved_, 1); }
  uint32_t saved_ = gc::stress_policy::period();
};

TEST_F(StressPolicy, PeriodOneCollectsAtEveryAllocation) {
  reset(1, 7);
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(from_here());
}

TEST_F(StressPolicy, ANewCallPathCollectsAtItsFirstVisits) {
  reset(1000000, 7);  // sampling reaches almost nothing
  int here = 0, there = 0;
  for (int i = 0; i < 100; ++i) {
    here += from_here();
    there += from_there();  // another path: new in its turn
  }
  EXPECT_EQ(here, 1);
  EXPECT_EQ(there, 1);
}

TEST_F(StressPolicy, SamplingCollectsAboutOnceAPeriodAtVaryingStrides) {
  reset(64, 12345);
  from_here();  // past the path's first visit
  int collections = 0, since = 0;
  std::set<int> strides;
  for (int i = 0; i < 64000; ++i) {
    ++since;
    if (!from_here()) continue;
    ++collections;
    ASSERT_LE(since, 127);  // a stride never passes twice the period
    strides.insert(since);
    since = 0;
  }
  EXPECT_GT(collections, 800);
  EXPECT_LT(collections, 1200);
  EXPECT_GT(strides.size(), 50u);  // no fixed stride a loop could fall in step with
}

}  // namespace
}  // namespace vyn::test
