// The allocation cap: its text, OS frames and scratch buffers refused past it, and nothing held
// back once it is lifted.
#include <gtest/gtest.h>

#include <new>

#include "core/alloc_limit.hpp"
#include "core/os_frame.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

TEST(AllocLimitText, ParsesBytesAndSuffixes) {
  struct Case {
    const char* text;
    size_t bytes;
  };
  for (Case c : {Case{"0", 0}, Case{"4096", 4096}, Case{"4K", 4096}, Case{"24M", size_t{24} << 20},
                 Case{"2g", size_t{2} << 30}, Case{"", 0}, Case{"M", 0}, Case{"12Q", 0},
                 Case{"12MB", 0}, Case{"-5", 0}, Case{"99999999999999999999", 0},
                 Case{"99999999999999G", 0}})
    EXPECT_EQ(alloc::parse_limit(c.text), c.bytes) << c.text;
}

// Each test sets its cap above what the runtime holds already.
class AllocLimit : public RuntimeTest {
 protected:
  void TearDown() override {
    alloc::set_limit(0);
    RuntimeTest::TearDown();
  }
  void cap_at_held_plus(size_t room) { alloc::set_limit(alloc::os_total() + alloc::scratch_total() + room); }
};

TEST_F(AllocLimit, FramePastTheCapRaisesNoMemoryAndKeepsTotal) {
  cap_at_held_plus(size_t{1} << 20);
  size_t before = alloc::os_total();
  EXPECT_EQ(raised([] { alloc::virtual_alloc(size_t{2} << 20); }), Err::internal_no_memory);
  EXPECT_EQ(alloc::os_total(), before);
  void* fits = alloc::virtual_alloc(size_t{512} << 10);
  alloc::virtual_free(fits);
}

TEST_F(AllocLimit, ScratchCountsUntilReleased) {
  cap_at_held_plus(size_t{1} << 20);
  {
    alloc::Scratch held{size_t{600} << 10};
    EXPECT_THROW(alloc::Scratch{size_t{600} << 10}, std::bad_alloc);
    EXPECT_THROW(held.resize(size_t{2} << 20), std::bad_alloc);
    EXPECT_EQ(alloc::scratch_total(), size_t{600} << 10);  // a refused resize keeps its charge
    EXPECT_EQ(raised([] { alloc::virtual_alloc(size_t{600} << 10); }), Err::internal_no_memory);
  }
  EXPECT_EQ(alloc::scratch_total(), 0u);
  alloc::Scratch again{size_t{600} << 10};
}

TEST_F(AllocLimit, NoCapRefusesNothing) {
  alloc::set_limit(0);
  EXPECT_TRUE(alloc::within_limit(~size_t{0}));
  alloc::Scratch huge{size_t{1} << 40};  // only counted
  EXPECT_EQ(alloc::scratch_total(), size_t{1} << 40);
}

}  // namespace
}  // namespace vyn::test
