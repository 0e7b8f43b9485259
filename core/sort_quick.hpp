// core/sort_quick.hpp: the default sort's steps over any view of records: a probe for ordered input,
// then a sample-sort quicksort.
//
// Inputs that are already (nearly) ordered either way cost about n comparisons: the probe finds
// the ordered prefix, joins ordered stretches found further on, and reverses a descending prefix.
// The rest is partitioned three ways around pivots taken from ever larger sorted samples. Nothing
// is allocated; one side of each partition is sorted by recursion, the other by the loop, and the
// recursion always takes the smaller part, so its depth stays logarithmic.
//
// A view answers compare(i, j), swap(i, j) and reverse(lo, hi) over record indexes. Every view
// takes the same steps for the same answers, so a view with its comparison inlined orders records
// exactly as the general one does.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace vyn::sort::quick_steps {

inline constexpr uint32_t insertion_limit = 7;  // ranges this short are finished by insertion
inline constexpr uint32_t probe_stride = 97;    // every 97th pair after the prefix votes on the order
inline constexpr uint32_t stretch_stride = 10;  // where ordered stretches are looked for
inline constexpr uint32_t min_stretch = 4;

template <class V>
void insertion(V& v, uint32_t lo, uint32_t n) {
  for (uint32_t i = lo + 1; i < lo + n; ++i)
    for (uint32_t j = i; j > lo && v.compare(j - 1, j) > 0; --j) v.swap(j - 1, j);
}

// Moves count records from src to dst, record by record; the records found at dst end up in the
// places left behind. Correct for overlapping ranges: from the front when moving down, from the
// back when moving up.
template <class V>
void move_block(V& v, uint32_t dst, uint32_t src, uint32_t count) {
  if (dst < src) {
    for (uint32_t t = 0; t < count; ++t) v.swap(dst + t, src + t);
  } else {
    for (uint32_t t = count; t-- > 0;) v.swap(dst + t, src + t);
  }
}

// The pair (i, i + 1) goes the prefix's way (dir 1 ascending, -1 descending) or is equal.
template <class V>
bool in_direction(V& v, uint32_t i, int dir) {
  int c = v.compare(i, i + 1);
  return dir > 0 ? c <= 0 : c >= 0;
}

struct Prefix {
  uint32_t length;
  int dir;
};

// The longest prefix whose non-equal neighbour pairs all go one way.
template <class V>
Prefix probe_prefix(V& v, uint32_t n) {
  int dir = 0;
  uint32_t i = 1;
  for (; i < n; ++i) {
    int c = v.compare(i - 1, i);
    if (c == 0) continue;
    int d = c < 0 ? 1 : -1;
    if (dir == 0) dir = d;
    else if (d != dir) break;
  }
  return {i, dir == 0 ? 1 : dir};
}

// Joins the ordered stretch [s, e) to the prefix [0, p) when few records at the junction are out
// of order: those few are left out on both sides and the rest of the stretch moves up behind the
// prefix. Answers the new prefix length.
template <class V>
uint32_t join_stretch(V& v, uint32_t p, uint32_t s, uint32_t e, int dir) {
  uint32_t len = e - s;
  uint32_t m = len / 2 < p / 4 ? len / 2 : p / 4;
  if (m == 0) m = 1;
  uint32_t j = 0;
  while (j < m) {
    int c = v.compare(p - 1 - j, s + j);
    bool out_of_order = dir > 0 ? c > 0 : c < 0;
    if (!out_of_order) break;
    ++j;
  }
  if (j == m) return p;
  uint32_t kept = len - j;
  move_block(v, p - j, s + j, kept);
  return p - j + kept;
}

// Grows a prefix of nearly ordered data by the ordered stretches around every 10th record.
template <class V>
uint32_t join_stretches(V& v, uint32_t n, uint32_t p, int dir) {
  for (uint32_t q = p + stretch_stride; q < n; q += stretch_stride) {
    uint32_t s = q, e = q + 1;
    while (s > p && in_direction(v, s - 1, dir)) --s;
    while (e < n && in_direction(v, e - 1, dir)) ++e;
    if (e - s >= min_stretch) p = join_stretch(v, p, s, e, dir);
    if (e > q) q = e;
  }
  return p;
}

template <class V>
void order3(V& v, uint32_t a, uint32_t b, uint32_t c) {
  if (v.compare(a, b) > 0) v.swap(a, b);
  if (v.compare(b, c) > 0) v.swap(b, c);
  if (v.compare(a, b) > 0) v.swap(a, b);
}

// A sample laid out for partitioning: [lo, lo + below) sorted and not above the pivot at
// lo + below, [lo + size - above, lo + size) sorted and not below it, the rest unsorted.
struct Sample {
  uint32_t size;
  uint32_t below;
  uint32_t above;
};

// With fewer than 3 sorted records: the whole range, or its first 63 records, with the first,
// middle and last put in order and the middle one moved to the second place as the pivot.
template <class V>
Sample small_sample(V& v, uint32_t lo, uint32_t n) {
  uint32_t s = n >= 512 ? 63 : n;
  order3(v, lo, lo + s / 2, lo + s - 1);
  v.swap(lo + 1, lo + s / 2);
  return {s, 1, 1};
}

// With k sorted records (at the start, or at the end when k < 0): a sample of 16|k| - 1 records
// (or the whole range) whose sorted records are split around their middle one, the pivot.
template <class V>
Sample sorted_sample(V& v, uint32_t lo, int64_t k, uint32_t n) {
  uint32_t sorted = static_cast<uint32_t>(std::llabs(k));
  uint32_t s = sorted <= n / 256 ? 16 * sorted - 1 : n;
  uint32_t lower = sorted / 2;
  uint32_t upper = sorted - lower - 1;
  if (k < 0 && s == n) {
    // the upper half already lies at the end: only the lower half and the pivot move
    uint32_t first = lo + n - sorted;
    move_block(v, lo, first, lower);
    v.swap(lo + lower, first + lower);
    return {s, lower, upper};
  }
  if (k < 0) move_block(v, lo, lo + n - sorted, sorted);
  if (s < n) {
    uint32_t step = n / s;
    for (uint32_t i = 1; i < s - sorted; ++i) v.swap(lo + sorted + i, lo + sorted + i * step);
  }
  move_block(v, lo + s - upper, lo + lower + 1, upper);
  return {s, lower, upper};
}

struct Split {
  uint32_t less_end;      // [lo, less_end): not above the pivot
  uint32_t greater_from;  // [greater_from, lo + size): not below it
};

// Three-way partition of the unsorted middle of a sample around its pivot; records equal to the
// pivot gather next to it, in the middle.
template <class V>
Split partition(V& v, uint32_t lo, const Sample& s) {
  uint32_t lt = lo + s.below;  // the pivot, and after it the records equal to it
  uint32_t i = lt + 1;
  uint32_t gt = lo + s.size - s.above;
  while (i < gt) {
    int c = v.compare(i, lt);
    if (c < 0) v.swap(lt++, i++);
    else if (c > 0) v.swap(i, --gt);
    else ++i;
  }
  return {lt, gt};
}

// Sorts n records from lo, of which |k| are sorted already: at the start when k > 0, at the end
// when k < 0.
template <class V>
void quick_range(V& v, uint32_t lo, int64_t k, uint32_t n) {
  while (n > insertion_limit) {
    if (static_cast<uint64_t>(std::llabs(k)) >= n) return;
    Sample s = std::llabs(k) < 3 ? small_sample(v, lo, n) : sorted_sample(v, lo, k, n);
    Split p = partition(v, lo, s);
    uint32_t below = p.less_end - lo;
    uint32_t above = lo + s.size - p.greater_from;
    int64_t above_k = -static_cast<int64_t>(s.above);
    if (s.size < n) {
      // the sample gets sorted completely, then serves as the next, larger sorted prefix
      quick_range(v, p.greater_from, above_k, above);
      quick_range(v, lo, s.below, below);
      k = s.size;
    } else if (below < above) {
      quick_range(v, lo, s.below, below);
      lo = p.greater_from;
      k = above_k;
      n = above;
    } else {
      quick_range(v, p.greater_from, above_k, above);
      k = s.below;
      n = below;
    }
  }
  insertion(v, lo, n);
}

}  // namespace vyn::sort::quick_steps

namespace vyn::sort {

// Sorts the n records of the view; n >= 2.
template <class V>
void quick_view(V& v, uint32_t n) {
  using namespace quick_steps;
  Prefix prefix = probe_prefix(v, n);
  uint32_t p = prefix.length;
  int dir = prefix.dir;
  int64_t score = static_cast<int64_t>(dir) * p;
  for (uint64_t i = uint64_t{p} + probe_stride; i < n; i += probe_stride) {
    int c = v.compare(static_cast<uint32_t>(i - 1), static_cast<uint32_t>(i));
    score += c < 0 ? 1 : c > 0 ? -1 : 0;
  }
  if (std::llabs(score) * 512 > n) {
    if ((score > 0) != (dir > 0)) {
      p = 1;
      dir = -dir;
    }
    p = join_stretches(v, n, p, dir);
  }
  if (dir < 0) v.reverse(0, p);
  if (p < n) quick_range(v, 0, p, n);
}

}  // namespace vyn::sort
