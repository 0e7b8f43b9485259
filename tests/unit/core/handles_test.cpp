// The external-handle registry: slots, kinds, release callbacks, mark and sweep.
#include <gtest/gtest.h>

#include <vector>

#include "core/handles.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

std::vector<uintptr_t> released;
void record_release(uintptr_t object) { released.push_back(object); }

class Handles : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    handles::init();
    released.clear();
    kind = handles::register_kind(0x494D47, record_release);
  }
  std::vector<uintptr_t> live_objects(int k) {
    std::vector<uintptr_t> seen;
    handles::for_each(k, [&](int, uintptr_t object) { seen.push_back(object); });
    return seen;
  }
  int kind = 0;
};

TEST_F(Handles, FreeingTheNewestThenMakingOneReusesItsIndex) {
  int32_t a = handles::new_(0xA, kind);
  int32_t b = handles::new_(0xB, kind);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  handles::free(b, false);
  EXPECT_TRUE(released.empty());
  EXPECT_EQ(handles::new_(0xC, kind), b);
  EXPECT_EQ(live_objects(kind), (std::vector<uintptr_t>{0xC, 0xA}));
}

TEST_F(Handles, ThousandthLiveHandleDoublesWithoutMovingEarlierOnes) {
  for (int32_t i = 0; i < 999; ++i) ASSERT_EQ(handles::new_(0x1000 + i, kind), i);
  EXPECT_EQ(handles::capacity(), 1000);
  EXPECT_EQ(handles::new_(0x1000 + 999, kind), 999);
  EXPECT_EQ(handles::capacity(), 2000);
  for (int32_t i = 1000; i < 1999; ++i) ASSERT_EQ(handles::new_(0x1000 + i, kind), i);
  EXPECT_EQ(handles::capacity(), 2000);
  EXPECT_EQ(handles::new_(0x1000 + 1999, kind), 1999);
  EXPECT_EQ(handles::capacity(), 4000);
  for (int32_t i = 0; i < 2000; ++i) ASSERT_EQ(handles::entry(i).object, uintptr_t(0x1000 + i));
  EXPECT_EQ(live_objects(kind).size(), 2000u);
}

TEST_F(Handles, SweepReleasesTheUnreachableExactlyOnce) {
  int32_t kept = handles::new_(0x1, kind);
  handles::new_(0x2, kind);
  handles::new_(0x3, kind);
  EXPECT_TRUE(handles::mark(kept));
  EXPECT_FALSE(handles::mark(kept));  // already marked
  handles::sweep();
  EXPECT_EQ(released, (std::vector<uintptr_t>{0x3, 0x2}));
  EXPECT_EQ(live_objects(kind), (std::vector<uintptr_t>{0x1}));
  EXPECT_FALSE(handles::entry(kept).kind & handles::mark_flag);

  released.clear();
  handles::sweep();  // the survivor's mark was cleared, so now it is unreachable too
  EXPECT_EQ(released, (std::vector<uintptr_t>{0x1}));
  released.clear();
  handles::sweep();
  handles::free(kept, true);  // already freed by the sweep
  EXPECT_TRUE(released.empty());
  EXPECT_TRUE(live_objects(kind).empty());
  EXPECT_EQ(handles::new_(0x4, kind), kept);
}

TEST_F(Handles, SetAndFreeReleaseOnlyWhatTheyReplaceOrAreAskedTo) {
  int32_t h = handles::new_(0x10, kind);
  handles::set(h, 0x10);
  EXPECT_TRUE(released.empty());
  handles::set(h, 0x11);
  EXPECT_EQ(released, (std::vector<uintptr_t>{0x10}));
  EXPECT_EQ(handles::entry(h).object, 0x11u);

  int32_t g = handles::new_(0x20, kind);
  handles::free(g, false);
  handles::free(h, true);
  EXPECT_EQ(released, (std::vector<uintptr_t>{0x10, 0x11}));
  EXPECT_EQ(handles::entry(h).kind, handles::free_flag);
  EXPECT_EQ(handles::entry(h).object, 0u);
  // freeing twice, or out of range, leaves the lists whole: two new handles get two slots
  handles::free(h, true);
  handles::free(-1, true);
  handles::free(handles::capacity(), true);
  handles::set(h, 0x99);
  EXPECT_EQ(released.size(), 2u);
  EXPECT_NE(handles::new_(0x30, kind), handles::new_(0x31, kind));
}

TEST_F(Handles, MarkStoresAGivenObjectAndRefusesFreeSlots) {
  int32_t h = handles::new_(0x50, kind);
  EXPECT_TRUE(handles::mark(h, 0x51));
  EXPECT_EQ(handles::entry(h).object, 0x51u);
  EXPECT_FALSE(handles::mark(h));
  EXPECT_EQ(handles::entry(h).object, 0x51u);
  EXPECT_FALSE(handles::mark(h + 1));
  EXPECT_FALSE(handles::mark(-5));
  EXPECT_EQ(handles::entry(h + 1).kind, handles::free_flag);
}

TEST_F(Handles, KindsCountFromOneAndReleaseGoesByKind) {
  int quiet = handles::register_kind(2, nullptr);
  EXPECT_EQ(quiet, kind + 1);
  handles::release_slot(0, 0x1);                                     // kind 0
  handles::release_slot(static_cast<uint32_t>(quiet), 0x2);         // no callback
  handles::release_slot(static_cast<uint32_t>(quiet + 1), 0x3);     // not registered
  handles::release_slot(handles::mark_flag | static_cast<uint32_t>(kind), 0x4);
  EXPECT_EQ(released, (std::vector<uintptr_t>{0x4}));

  int32_t a = handles::new_(0x5, quiet);
  handles::new_(0x6, kind);
  int32_t c = handles::new_(0x7, quiet);
  EXPECT_EQ(live_objects(quiet), (std::vector<uintptr_t>{0x7, 0x5}));
  handles::sweep();  // both kinds swept; only the one with a callback reports
  EXPECT_EQ(released, (std::vector<uintptr_t>{0x4, 0x6}));
  EXPECT_EQ(handles::entry(a).kind & handles::free_flag, handles::free_flag);
  EXPECT_EQ(handles::entry(c).kind & handles::free_flag, handles::free_flag);

  for (int k = quiet + 1; k <= handles::max_kinds; ++k) EXPECT_EQ(handles::register_kind(0, nullptr), k);
  EXPECT_EQ(raised([] { handles::register_kind(0, nullptr); }), Err::internal_limit_hit);
}

// A release callback that makes new handles while the sweep is under way, enough to grow the
// table: the sweep goes on by index and every dead slot is still released once.
int regrowing_kind = 0;
void release_and_regrow(uintptr_t object) {
  released.push_back(object);
  for (int i = 0; i < 600; ++i) handles::new_(0xF000, 0);
}

TEST_F(Handles, ReleaseCallbacksMayUseTheRegistry) {
  regrowing_kind = handles::register_kind(3, release_and_regrow);
  for (int i = 0; i < 5; ++i) handles::new_(0x100 + i, regrowing_kind);
  handles::sweep();
  EXPECT_EQ(released, (std::vector<uintptr_t>{0x104, 0x103, 0x102, 0x101, 0x100}));
  EXPECT_EQ(handles::capacity(), 4000);
  EXPECT_TRUE(live_objects(regrowing_kind).empty());
  EXPECT_EQ(live_objects(0).size(), 3000u);
}

// A release callback that frees its partner slot, itself dead and waiting in the same sweep: the
// partner is still released once, and the free list stays a list.
int32_t partner = -1;
void release_with_partner(uintptr_t object) {
  released.push_back(object);
  handles::free(partner, true);
}

TEST_F(Handles, SweepSurvivesACallbackFreeingAnotherDeadSlot) {
  int pairing = handles::register_kind(4, release_with_partner);
  partner = handles::new_(0xB, kind);
  handles::new_(0xA, pairing);  // newest: released first
  handles::sweep();
  EXPECT_EQ(released, (std::vector<uintptr_t>{0xA, 0xB}));
  // each slot goes to one handle, through the next doubling
  std::vector<bool> seen(2000);
  for (int i = 0; i < 1001; ++i) {
    int32_t h = handles::new_(0x1, kind);
    ASSERT_FALSE(seen[h]) << "slot " << h << " handed out twice";
    seen[h] = true;
  }
  EXPECT_EQ(handles::capacity(), 2000);
}

TEST_F(Handles, ForEachGoesOnWhenTheFunctionFreesItsSlot) {
  for (int i = 0; i < 4; ++i) {
    int32_t h = handles::new_(0, i % 2 ? kind : 0);
    handles::mark(h, static_cast<uintptr_t>(h) + 1);  // the object names its slot
  }
  std::vector<uintptr_t> seen;
  handles::for_each(kind, [&](int, uintptr_t object) {
    seen.push_back(object);
    handles::free(static_cast<int32_t>(object) - 1, true);
  });
  EXPECT_EQ(seen, (std::vector<uintptr_t>{4, 2}));
  EXPECT_EQ(released, seen);
  EXPECT_EQ(live_objects(0), (std::vector<uintptr_t>{3, 1}));
}

}  // namespace
}  // namespace vyn::test
