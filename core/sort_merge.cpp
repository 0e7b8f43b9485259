// core/sort_merge.cpp: the stable sort: natural runs, extended to 24 records by insertion, merged
// in the order their boundary powers give (the merge tree of a balanced split of the range).
#include <cstring>
#include <optional>

#include "core/heap.hpp"
#include "core/roots.hpp"
#include "core/sort.hpp"
#include "core/sort_view.hpp"

namespace vyn::sort {
namespace {

constexpr uint32_t min_run = 24;

// The scratch area of n/2 records: program heap for raw records; a rooted block when the records
// are cells, so that the collector sees the records that live only here during a merge.
class Scratch {
 public:
  Scratch(const Records& r, uint32_t records, uint32_t size) {
    uint64_t bytes = uint64_t{records} * size;
    if (bytes > 0xFFFFFFFFu) fire(Err::script_too_long);
    if (!r.cells) {
      fixed_ = static_cast<uint8_t*>(heap::alloc(static_cast<size_t>(bytes)));
      return;
    }
    root_.emplace();
    uint32_t n = static_cast<uint32_t>(bytes / sizeof(Cell));
    node_ = alloc::new_cells_unset(n);
    SeriesBuffer* b = buffer_of(node_);
    b->tail = n * static_cast<uint32_t>(sizeof(Cell));  // every cell is marked, unset! or a record
    **root_ = make_series(Type::block, node_);
  }
  ~Scratch() {
    if (fixed_) heap::free(fixed_);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  uint8_t* at(uint32_t i, uint32_t size) {
    uint8_t* base = node_ ? buffer_of(node_)->data() : fixed_;
    return base + static_cast<size_t>(i) * size;
  }

 private:
  uint8_t* fixed_ = nullptr;
  NodeId node_ = 0;
  std::optional<Root> root_;
};

class Merger {
 public:
  Merger(View& v, Scratch& s, uint32_t n) : v_(v), s_(s), n_(n) {}
  void sort();

 private:
  uint32_t find_run(uint32_t from);
  void extend_run(uint32_t lo, uint32_t end, uint32_t to);
  uint32_t power(uint32_t s1, uint32_t e1, uint32_t e2) const;
  void merge_runs(uint32_t lo, uint32_t mid, uint32_t hi);
  void merge_back(uint32_t lo, uint32_t mid, uint32_t hi);
  void merge_front(uint32_t lo, uint32_t mid, uint32_t hi);
  void put(uint32_t dst, const uint8_t* from) { std::memcpy(v_.at(dst), from, v_.size()); }
  void take(uint32_t from, uint32_t count, uint32_t dst);  // scratch [from, from + count) -> dst

  View& v_;
  Scratch& s_;
  uint32_t n_;
};

// The end of the run from `from`: non-descending, or strictly descending and then reversed (so
// equal records are never reversed).
uint32_t Merger::find_run(uint32_t from) {
  uint32_t end = from + 1;
  if (end == n_) return end;
  if (v_.compare(from, end) > 0) {
    while (end + 1 < n_ && v_.compare(end, end + 1) > 0) ++end;
    ++end;
    v_.reverse(from, end);
    return end;
  }
  while (end + 1 < n_ && v_.compare(end, end + 1) <= 0) ++end;
  return end + 1;
}

// Inserts the records [end, to) into the sorted run [lo, end).
void Merger::extend_run(uint32_t lo, uint32_t end, uint32_t to) {
  for (uint32_t i = end; i < to; ++i)
    for (uint32_t j = i; j > lo && v_.compare(j - 1, j) > 0; --j) v_.swap(j - 1, j);
}

// The power of the boundary between the runs [s1, e1) and [e1, e2): one more than the number of
// leading binary digits the two runs' midpoints (as fractions of the range) share.
uint32_t Merger::power(uint32_t s1, uint32_t e1, uint32_t e2) const {
  uint64_t a = uint64_t{s1} + e1, b = uint64_t{e1} + e2, n = n_;
  uint32_t p = 0;
  for (;;) {
    bool x = n <= a, y = n <= b;
    if (x != y) return p + 1;
    ++p;
    if (x) {
      a -= n;
      b -= n;
    }
    a *= 2;
    b *= 2;
  }
}

void Merger::take(uint32_t from, uint32_t count, uint32_t dst) {
  for (uint32_t i = 0; i < count; ++i) put(dst + i, s_.at(from + i, v_.size()));
}

// The right run is the shorter: it goes to scratch and the merge fills the range from the back.
// Should a comparison raise, the records still in scratch go back into the gap left for them.
void Merger::merge_back(uint32_t lo, uint32_t mid, uint32_t hi) {
  uint32_t size = v_.size();
  uint32_t right = hi - mid;
  for (uint32_t i = 0; i < right; ++i) std::memcpy(s_.at(i, size), v_.at(mid + i), size);
  uint32_t left_end = mid, scratch_end = right, dst = hi;
  try {
    while (left_end > lo && scratch_end > 0) {
      int c = v_.compare_raw(v_.at(left_end - 1), s_.at(scratch_end - 1, size));
      if (c <= 0) put(--dst, s_.at(--scratch_end, size));
      else put(--dst, v_.at(--left_end));
    }
  } catch (...) {
    if (v_.intact()) take(0, scratch_end, left_end);
    throw;
  }
  take(0, scratch_end, lo);
}

// The left run is the shorter (or equal): it goes to scratch and the merge fills from the front.
void Merger::merge_front(uint32_t lo, uint32_t mid, uint32_t hi) {
  uint32_t size = v_.size();
  uint32_t left = mid - lo;
  for (uint32_t i = 0; i < left; ++i) std::memcpy(s_.at(i, size), v_.at(lo + i), size);
  uint32_t scratch_from = 0, right_from = mid, dst = lo;
  try {
    while (scratch_from < left && right_from < hi) {
      int c = v_.compare_raw(s_.at(scratch_from, size), v_.at(right_from));
      if (c <= 0) put(dst++, s_.at(scratch_from++, size));
      else put(dst++, v_.at(right_from++));
    }
  } catch (...) {
    if (v_.intact()) take(scratch_from, left - scratch_from, dst);
    throw;
  }
  take(scratch_from, left - scratch_from, dst);
}

void Merger::merge_runs(uint32_t lo, uint32_t mid, uint32_t hi) {
  if (hi - mid < mid - lo) merge_back(lo, mid, hi);
  else merge_front(lo, mid, hi);
}

void Merger::sort() {
  struct Pending {
    uint32_t start;
    uint32_t power;
  };
  constexpr int capacity = 66;  // powers on the stack rise strictly and stay below 64
  Pending stack[capacity];
  int depth = 0;
  auto next_run = [&](uint32_t from) {
    uint32_t end = find_run(from);
    uint32_t to = from + min_run < n_ ? from + min_run : n_;
    if (end < to) {
      extend_run(from, end, to);
      end = to;
    }
    return end;
  };
  uint32_t s1 = 0, e1 = next_run(0);
  while (e1 < n_) {
    uint32_t e2 = next_run(e1);
    uint32_t p = power(s1, e1, e2);
    while (depth > 0 && (stack[depth - 1].power > p || depth == capacity)) {
      uint32_t start = stack[--depth].start;
      merge_runs(start, s1, e1);
      s1 = start;
    }
    stack[depth++] = {s1, p};
    s1 = e1;
    e1 = e2;
  }
  while (depth > 0) {
    uint32_t start = stack[--depth].start;
    merge_runs(start, s1, n_);
    s1 = start;
  }
}

}  // namespace

void merge(const Records& records, uint32_t n, uint32_t size, intptr_t w1, intptr_t w2, Compare compare) {
  if (n <= 1) return;
  View v(records, n, size, w1, w2, compare);
  Scratch scratch(records, n / 2, size);
  Merger(v, scratch, n).sort();
}

}  // namespace vyn::sort
