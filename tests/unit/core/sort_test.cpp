// The two record sorts: order against std::sort over many shapes of input, stability, comparison
// counts on ordered input, odd record sizes, records in a moving series, and a raising comparator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "core/gc.hpp"
#include "core/series.hpp"
#include "core/sort.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using Sort = RuntimeTest;
using SortFn = void (*)(const sort::Records&, uint32_t, uint32_t, intptr_t, intptr_t, sort::Compare);

// Records of two 32-bit words: a key and the position the record started at.
struct Rec {
  int32_t key;
  int32_t seq;
};

int calls = 0;
int by_key(const uint8_t* a, const uint8_t* b, intptr_t, intptr_t) {
  ++calls;
  int32_t x, y;
  std::memcpy(&x, a, 4);
  std::memcpy(&y, b, 4);
  return (x > y) - (x < y);
}

std::vector<Rec> recs(const std::vector<int32_t>& keys) {
  std::vector<Rec> out;
  for (size_t i = 0; i < keys.size(); ++i) out.push_back({keys[i], static_cast<int32_t>(i)});
  return out;
}

void run(SortFn fn, std::vector<Rec>& v) {
  sort::Records r;
  r.fixed = reinterpret_cast<uint8_t*>(v.data());
  fn(r, static_cast<uint32_t>(v.size()), sizeof(Rec), 0, 0, by_key);
}

// Named shapes of input, each at several sizes.
std::vector<int32_t> shape(int kind, int n, std::mt19937& rng) {
  std::vector<int32_t> k(n);
  for (int i = 0; i < n; ++i) {
    switch (kind) {
      case 0: k[i] = static_cast<int32_t>(rng() % 1000000); break;        // random
      case 1: k[i] = i; break;                                             // sorted
      case 2: k[i] = n - i; break;                                         // reversed
      case 3: k[i] = static_cast<int32_t>(rng() % 4); break;               // few distinct keys
      case 4: k[i] = i < n / 2 ? i : n - i; break;                         // organ pipe
      case 5: k[i] = i % 7 == 0 ? static_cast<int32_t>(rng() % n) : i; break;  // nearly sorted
      case 6: k[i] = i % 7 == 0 ? static_cast<int32_t>(rng() % n) : n - i; break;  // nearly reversed
      default: k[i] = (i * 7919) % 101; break;                             // sawtooth
    }
  }
  return k;
}

TEST_F(Sort, BothSortsOrderEveryShapeOfInput) {
  std::mt19937 rng(7);
  for (SortFn fn : {SortFn{sort::quick}, SortFn{sort::merge}}) {
    for (int kind = 0; kind < 8; ++kind) {
      for (int n : {0, 1, 2, 3, 7, 8, 9, 23, 24, 25, 100, 511, 512, 1000, 5000, 40000}) {
        std::vector<Rec> v = recs(shape(kind, n, rng));
        std::vector<int32_t> want;
        for (const Rec& r : v) want.push_back(r.key);
        std::sort(want.begin(), want.end());
        run(fn, v);
        for (int i = 0; i < n; ++i) ASSERT_EQ(v[i].key, want[i]) << "kind " << kind << " n " << n << " at " << i;
        // a permutation: every starting position still there once
        std::vector<bool> seen(n);
        for (const Rec& r : v) seen[r.seq] = true;
        ASSERT_EQ(std::count(seen.begin(), seen.end(), true), n);
      }
    }
  }
}

TEST_F(Sort, MergeKeepsEqualRecordsInOrder) {
  std::mt19937 rng(11);
  for (int kind : {0, 2, 3, 6}) {  // random, reversed (descending runs), duplicates, nearly reversed
    for (int n : {30, 100, 3000, 30000}) {
      std::vector<int32_t> keys = shape(kind, n, rng);
      for (int32_t& k : keys) k %= 13;
      std::vector<Rec> v = recs(keys);
      run(sort::merge, v);
      for (int i = 1; i < n; ++i) {
        ASSERT_LE(v[i - 1].key, v[i].key);
        if (v[i - 1].key == v[i].key) ASSERT_LT(v[i - 1].seq, v[i].seq) << "kind " << kind << " n " << n;
      }
    }
  }
}

TEST_F(Sort, OrderedInputCostsOneComparisonPerPair) {
  std::mt19937 rng(3);
  for (int kind : {1, 2}) {
    std::vector<Rec> v = recs(shape(kind, 10000, rng));
    calls = 0;
    run(sort::quick, v);
    EXPECT_EQ(calls, 9999);
    EXPECT_EQ(v.front().key, kind == 1 ? 0 : 1);
  }
}

int bytes_compare(const uint8_t* a, const uint8_t* b, intptr_t size, intptr_t) {
  return std::memcmp(a, b, static_cast<size_t>(size));
}

TEST_F(Sort, RecordsOfAnySizeMoveWhole) {
  std::mt19937 rng(5);
  for (uint32_t size : {1u, 2u, 3u, 6u, 16u, 20u, 48u}) {
    for (SortFn fn : {SortFn{sort::quick}, SortFn{sort::merge}}) {
      uint32_t n = 700;
      std::vector<uint8_t> data(n * size);
      for (uint8_t& b : data) b = static_cast<uint8_t>(rng() % 3);  // many equal records
      std::vector<std::vector<uint8_t>> want;
      for (uint32_t i = 0; i < n; ++i) want.emplace_back(data.begin() + i * size, data.begin() + (i + 1) * size);
      std::sort(want.begin(), want.end());
      sort::Records r;
      r.fixed = data.data();
      fn(r, n, size, size, 0, bytes_compare);
      for (uint32_t i = 0; i < n; ++i)
        ASSERT_TRUE(std::equal(want[i].begin(), want[i].end(), data.begin() + i * size)) << size;
    }
  }
}

// A comparator that moves the series it sorts to a new buffer at every call, as a collection
// would: the sorts must find their records again through the node.
NodeId moving = 0;
int by_key_moving(const uint8_t* a, const uint8_t* b, intptr_t, intptr_t) {
  int r = by_key(a, b, 0, 0);
  alloc::expand_series_copy(moving, buffer_of(moving)->size);
  return r;
}

TEST_F(Sort, RecordsInAMovingSeriesStaySorted) {
  std::mt19937 rng(9);
  for (SortFn fn : {SortFn{sort::quick}, SortFn{sort::merge}}) {
    uint32_t n = 300;
    moving = alloc::new_bytes(n * sizeof(Rec) + 16);
    Cell* keep = stack::push(make_series(Type::binary, moving));
    std::vector<Rec> v = recs(shape(0, static_cast<int>(n), rng));
    std::memcpy(buffer_of(moving)->data() + 16, v.data(), n * sizeof(Rec));
    sort::Records r;
    r.node = moving;
    r.offset = 16;
    fn(r, n, sizeof(Rec), 0, 0, by_key_moving);
    auto* out = reinterpret_cast<Rec*>(buffer_of(moving)->data() + 16);
    for (uint32_t i = 1; i < n; ++i) ASSERT_LE(out[i - 1].key, out[i].key);
    stack::set_top(keep);
  }
}

// A comparator that widens the unit of the series it sorts, as appending a wide character to a
// string being sorted would: the sort stops with an error instead of moving stale records.
int by_key_widening(const uint8_t* a, const uint8_t* b, intptr_t, intptr_t) {
  int r = by_key(a, b, 0, 0);
  SeriesBuffer* buf = buffer_of(moving);
  buf->flags = (buf->flags & ~SeriesBuffer::unit_mask) | 2;
  return r;
}

TEST_F(Sort, AComparatorThatReshapesTheSeriesStopsTheSort) {
  for (SortFn fn : {SortFn{sort::quick}, SortFn{sort::merge}}) {
    moving = alloc::new_bytes(64 * sizeof(Rec));
    stack::push(make_series(Type::binary, moving));
    sort::Records r;
    r.node = moving;
    EXPECT_EQ(raised([&] { fn(r, 64, sizeof(Rec), 0, 0, by_key_widening); }), Err::script_past_end);
  }
}

int failing_calls = 0, limit = 0;
int by_key_failing(const uint8_t* a, const uint8_t* b, intptr_t, intptr_t) {
  if (++failing_calls == limit) throw std::runtime_error("comparator failed");
  return by_key(a, b, 0, 0);
}

// Whatever comparison raises, no record is lost or doubled: the merge puts back what it held aside.
TEST_F(Sort, ARaisingComparatorLeavesEveryRecordInPlace) {
  std::mt19937 rng(13);
  std::vector<Rec> input = recs(shape(0, 600, rng));
  std::vector<Rec> probe = input;
  failing_calls = 0;
  limit = -1;
  sort::Records all;
  all.fixed = reinterpret_cast<uint8_t*>(probe.data());
  sort::merge(all, 600, sizeof(Rec), 0, 0, by_key_failing);
  int total = failing_calls;
  for (int stop = total / 20; stop < total; stop += total / 20) {  // insertion runs, then merges
    std::vector<Rec> v = input;
    failing_calls = 0;
    limit = stop;
    sort::Records r;
    r.fixed = reinterpret_cast<uint8_t*>(v.data());
    EXPECT_THROW(sort::merge(r, 600, sizeof(Rec), 0, 0, by_key_failing), std::runtime_error);
    std::vector<bool> seen(600);
    for (const Rec& x : v) seen[x.seq] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 600) << "stopped at call " << stop;
  }
}

// Cells that live only in the merge's scratch area while a comparison collects must survive.
int by_text_collecting(const uint8_t* a, const uint8_t* b, intptr_t, intptr_t) {
  std::string x = string::to_utf8(*reinterpret_cast<const Cell*>(a));
  std::string y = string::to_utf8(*reinterpret_cast<const Cell*>(b));
  gc::collect();
  return x.compare(y);
}

TEST_F(Sort, CellsHeldAsideByTheMergeStayAlive) {
  std::mt19937 rng(17);
  Cell* block = block::push_only(200);
  for (int i = 0; i < 200; ++i) {
    stack::Mark mark;
    block::append_copy(*block, *string_of(std::to_string(rng() % 100000).c_str()));
  }
  sort::Records r;
  r.node = series_node(*block);
  r.cells = true;
  sort::merge(r, 200, sizeof(Cell), 0, 0, by_text_collecting);
  for (int i = 1; i < 200; ++i)
    ASSERT_LE(string::to_utf8(block::cells(*block)[i - 1]), string::to_utf8(block::cells(*block)[i]));
}

}  // namespace
}  // namespace vyn::test
