// Recording what a stretch of work does to the heap, and replaying the record only on the heap it
// was made from.
#include <gtest/gtest.h>

#include <string>

#include "core/gc.hpp"
#include "core/heap_snapshot.hpp"
#include "core/node.hpp"
#include "core/series.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

class HeapSnapshot : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    gc::set_enabled(false);
  }
  const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
};

TEST_F(HeapSnapshot, RecordsNewAndChangedBuffers) {
  NodeId kept = alloc::new_bytes(16);
  alloc::snapshot::Recorder r;
  r.start(7);
  buffer_of(kept)->data()[0] = 42;
  alloc::new_cells(4);
  std::string why;
  std::string record = r.finish(why);
  ASSERT_FALSE(record.empty()) << why;
  EXPECT_EQ(r.changed_report(), std::to_string(kept) + " ");
}

TEST_F(HeapSnapshot, RefusesAHeapInAnotherState) {
  alloc::snapshot::Recorder r;
  r.start(7);
  alloc::new_cells(4);
  std::string why;
  std::string record = r.finish(why);
  ASSERT_FALSE(record.empty()) << why;
  uint32_t used = alloc::current_node_frame()->used;
  // the heap has moved on since the record began, and another extra names another image
  std::string_view attached;
  EXPECT_FALSE(alloc::snapshot::apply(bytes(record), record.size(), 7, attached));
  EXPECT_EQ(alloc::current_node_frame()->used, used);
}

TEST_F(HeapSnapshot, RefusesDamagedRecords) {
  uint64_t print = alloc::snapshot::fingerprint(3);
  std::string head = "VYNHEAP1" + std::string(reinterpret_cast<const char*>(&print), 8);
  uint32_t used = alloc::current_node_frame()->used;
  std::string_view attached;
  for (const std::string& damaged : {std::string(), std::string("VYNHEAP0"), head, head + std::string(3, '\0'),
                                     head + std::string(64, '\xFF')})
    EXPECT_FALSE(alloc::snapshot::apply(bytes(damaged), damaged.size(), 3, attached));
  EXPECT_EQ(alloc::current_node_frame()->used, used);
}

}  // namespace
}  // namespace vyn::test
