// core/sort_view.hpp: the sorts' view of their records: addresses by index, re-derived after every
// comparison, and the check that the series still holds them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/error.hpp"
#include "core/series.hpp"
#include "core/sort.hpp"

namespace vyn::sort {

class View {
 public:
  View(const Records& r, uint32_t n, uint32_t size, intptr_t w1, intptr_t w2, Compare compare)
      : node_(r.node), offset_(r.offset), fixed_(r.fixed), size_(size), bytewise_(size % 4 != 0),
        w1_(w1), w2_(w2), compare_(compare) {
    need_ = uint64_t{r.offset} + uint64_t{n} * size;
    if (node_) unit_ = buffer_of(node_)->unit();
  }

  uint32_t size() const { return size_; }
  bool bytewise() const { return bytewise_; }
  // Good until the next comparison.
  uint8_t* at(uint32_t i) { return base() + static_cast<size_t>(i) * size_; }

  int compare(uint32_t i, uint32_t j) { return compare_raw(at(i), at(j)); }
  // Compares two addresses the caller derived just before; both go stale during the call.
  int compare_raw(const uint8_t* a, const uint8_t* b) {
    int c = compare_(a, b, w1_, w2_);
    check();
    return c;
  }
  void swap(uint32_t i, uint32_t j) {
    if (i != j) sort::swap(at(i), at(j), size_, bytewise_);
  }
  void reverse(uint32_t lo, uint32_t hi) {  // [lo, hi)
    while (hi > lo + 1) swap(lo++, --hi);
  }
  // Whether the records are still where the sort started: a comparator may have shrunk, replaced
  // or widened the series it sorts.
  bool intact() const {
    if (!node_) return true;
    SeriesBuffer* b = buffer_of(node_);
    return b->unit() == unit_ && b->size >= need_;
  }

 private:
  uint8_t* base() { return node_ ? buffer_of(node_)->data() + offset_ : fixed_; }
  void check() {
    if (!intact()) fire(Err::script_past_end);
  }

  NodeId node_;
  uint32_t offset_;
  uint8_t* fixed_;
  uint32_t size_;
  bool bytewise_;
  intptr_t w1_, w2_;
  Compare compare_;
  uint64_t need_ = 0;
  uint32_t unit_ = 0;
};

}  // namespace vyn::sort
