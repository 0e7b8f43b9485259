// Hash tables: sizing, the five kinds, growth, chains, re-indexing, epochs, marking and the
// integer map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/gc.hpp"
#include "core/hash.hpp"
#include "core/hashtable.hpp"
#include "core/hashtable_intmap.hpp"
#include "core/hashtable_internal.hpp"
#include "core/hashtable_symbols.hpp"
#include "core/series.hpp"
#include "core/typed_array.hpp"
#include "core/word_cell.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "core/compare_ops.hpp"

namespace vyn::test {
namespace {

using hashtable::Kind;
using hashtable::record;

constexpr int equal = cmp::equal;
constexpr int strict = cmp::strict_equal;

class HashTable : public RuntimeTest {
 protected:
  // A hash! on the value stack over a block of the items; the cell keeps block and table.
  static Cell* hash_of(std::vector<Cell> items) {
    Cell* b = block::push_only(static_cast<int32_t>(items.size()) + 1);
    for (const Cell& c : items) block::append_copy(*b, c);
    NodeId t = hashtable::new_(static_cast<int32_t>(items.size()), *b, Kind::hash, 0);
    b->set_type(Type::hash);
    b->w3 = t;
    return b;
  }
  // A map! on the value stack over key/value pairs.
  static Cell* map_of(std::vector<Cell> pairs) {
    Cell* b = block::push_only(static_cast<int32_t>(pairs.size()) + 1);
    for (const Cell& c : pairs) block::append_copy(*b, c);
    NodeId t = hashtable::new_(static_cast<int32_t>(pairs.size() / 2), *b, Kind::map, 0);
    b->set_type(Type::map);
    b->w3 = t;
    return b;
  }
  // A table without a source, kept in a map! cell on the value stack.
  static Cell* table_of(Kind kind, int32_t n, int32_t extra = 0) {
    NodeId t = hashtable::new_(n, make_none(), kind, extra);
    return stack::push(make_series(Type::map, record(t)->values, 0, t));
  }
  static Cell* cells(const Cell& v) { return block::cells(v); }
  static int32_t count(const Cell& v) { return block::length_total(v); }
  static Cell* find(const Cell& v, const Cell& key, int32_t start = 0, int op = equal,
                    bool last = false, bool reverse = false, int32_t skip = 1) {
    return hashtable::find(v.w3, key, start, skip, op, last, reverse);
  }
  static int32_t at(const Cell& v, const Cell* c) { return c ? static_cast<int32_t>(c - cells(v)) : -1; }
  static int32_t found_at(const Cell& v, const Cell& key, int32_t start = 0, int op = equal,
                          bool last = false, bool reverse = false, int32_t skip = 1) {
    return at(v, find(v, key, start, op, last, reverse, skip));
  }
  // Every live bucket of a value table holds the hash of the cell it indexes (through its chain's
  // first position for a hash! bucket of several).
  static void expect_hashes_stored(NodeId t) {
    hashtable::Slots sl = hashtable::slots_of(t);
    const Cell* values = hashtable::cells_of(record(t)->values);
    for (uint32_t i = 0; i < static_cast<uint32_t>(record(t)->buckets); ++i) {
      if (sl.flag(i) != hashtable::live) continue;
      int32_t key = sl.at(i).key;
      int32_t p = key >= 0 ? key : array::pick_int(hashtable::chain_of(t, key), 1);
      ASSERT_EQ(sl.at(i).hash, hash::value(values[p], false)) << "bucket " << i;
    }
  }
  // A map! table's wide buckets each keep the tag of the key they index (0 for no short text).
  static void expect_tags_stored(NodeId t) {
    hashtable::Slots sl = hashtable::slots_of(t);
    ASSERT_TRUE(sl.wide());
    const Cell* values = hashtable::cells_of(record(t)->values);
    for (uint32_t i = 0; i < static_cast<uint32_t>(record(t)->buckets); ++i)
      if (sl.flag(i) == hashtable::live) ASSERT_EQ(sl.tag(i), hashtable::text_tag(values[sl.at(i).key])) << i;
  }
  // Every cell of a hash! is found at its own position, and its positions entry names a bucket.
  static void expect_indexed(const Cell& h) {
    for (int32_t p = 0; p < count(h); ++p) {
      ASSERT_EQ(found_at(h, cells(h)[p], p, strict), p) << "position " << p;
      ASSERT_GT(array::pick_int(record(h.w3)->positions, p + 1), 0) << "position " << p;
    }
    expect_hashes_stored(h.w3);
  }
  static std::vector<int32_t> ints(NodeId a) {
    std::vector<int32_t> out;
    for (int32_t n = 1; n <= array::length(a); ++n) out.push_back(array::pick_int(a, n));
    return out;
  }
  // A bucket's state: in its key for a value table, in the flags array for a record table.
  static uint32_t flag(NodeId t, int32_t bucket) {
    if (record(t)->kind <= static_cast<int32_t>(Kind::symbols)) return hashtable::slots_of(t).flag(bucket);
    return (reinterpret_cast<uint32_t*>(array::data(record(t)->flags))[bucket / 16] >> (bucket % 16 * 2)) & 3;
  }
  static int32_t key_of_bucket(NodeId t, int32_t bucket) { return hashtable::slots_of(t).at(bucket).key; }
  // The bucket (from the positions array) of the cell at position p of a hash!.
  static int32_t bucket_of(const Cell& h, int32_t p) { return array::pick_int(record(h.w3)->positions, p + 1) - 1; }
  static Cell word(Type t, uint32_t id) { return make_cell(t, 0, id, static_cast<uint32_t>(-1)); }
  static Cell text(const std::string& s) { return *string_of(s.c_str()); }
  // Appends a value to a hash!'s block and indexes it.
  // The value is taken by copy: it may lie in a buffer that the new cell's allocation moves.
  static void append(Cell* h, Cell v) {
    Cell* c = block::alloc_tail(*h);
    *c = v;
    hashtable::put(h->w3, c);
  }
};

TEST_F(HashTable, SizesFollowTheLoadFactor) {
  struct Case { int32_t n; Kind kind; int32_t buckets, upper; };
  for (Case c : {Case{0, Kind::hash, 8, 6}, Case{4, Kind::map, 8, 6}, Case{6, Kind::hash, 8, 6},
                 Case{7, Kind::hash, 16, 12}, Case{100, Kind::records, 256, 197},
                 Case{4000, Kind::symbols, 16384, 12615}, Case{3999, Kind::symbols, 8192, 6307}}) {
    stack::Mark mark;
    NodeId t = table_of(c.kind, c.n)->w3;
    EXPECT_EQ(record(t)->buckets, c.buckets) << c.n;
    EXPECT_EQ(record(t)->upper, c.upper) << c.n;
    EXPECT_EQ(record(t)->kind, static_cast<int32_t>(c.kind));
    if (c.kind == Kind::records)
      EXPECT_EQ(buffer_of(record(t)->flags)->used(), static_cast<uint32_t>(std::max(4, c.buckets / 4)));
    else
      EXPECT_EQ(record(t)->flags, 0u);
    for (int32_t i = 0; i < c.buckets; ++i) ASSERT_EQ(flag(t, i), 2u);
    // a map's buckets are wide (three 8-byte units each) from wide_least buckets on
    bool wide = c.kind == Kind::map && c.buckets >= hashtable::wide_least;
    EXPECT_EQ(array::length(record(t)->keys), wide ? 3 * c.buckets : c.buckets);
  }
  NodeId h = table_of(Kind::hash, 5)->w3;
  EXPECT_EQ(ints(record(h)->positions), std::vector<int32_t>(5, -1));
  EXPECT_EQ(array::length(record(h)->chains), 0);
  NodeId r = table_of(Kind::weak_records, 4, 3)->w3;
  EXPECT_EQ(record(r)->positions, 64u);  // record width: (3 + 1) cells
  EXPECT_EQ(record(r)->epoch, gc::stats().cycles + 1);
}

TEST_F(HashTable, EqualValuesShareABucketThroughAChain) {
  Cell one = make_integer(1);
  Cell* h = hash_of({one, make_integer(2), one, make_integer(3), one});
  NodeId t = h->w3;
  int32_t b = bucket_of(*h, 0);
  EXPECT_EQ(bucket_of(*h, 2), b);
  EXPECT_EQ(bucket_of(*h, 4), b);
  ASSERT_LT(key_of_bucket(t, b), 0);
  NodeId chain = static_cast<NodeId>(array::pick_int(record(t)->chains, -key_of_bucket(t, b)));
  EXPECT_EQ(ints(chain), (std::vector<int32_t>{0, 2, 4}));
  EXPECT_EQ(record(t)->live, 3);  // distinct values

  struct Case { int32_t start, skip; bool last, reverse; int32_t found; };
  for (Case c : {Case{0, 1, false, false, 0}, Case{1, 1, false, false, 2}, Case{3, 1, false, false, 4},
                 Case{5, 1, false, false, -1}, Case{0, 1, true, false, 4}, Case{3, 1, true, false, 4},
                 Case{3, 1, false, true, 2}, Case{0, 1, false, true, -1}, Case{5, 1, false, true, 4},
                 Case{1, 2, false, false, -1}, Case{0, 2, false, false, 0}, Case{0, 4, true, false, 4},
                 Case{5, 2, false, true, 4}, Case{4, 2, false, true, -1}, Case{3, 2, false, true, 2}}) {
    EXPECT_EQ(found_at(*h, one, c.start, equal, c.last, c.reverse, c.skip), c.found)
        << "start " << c.start << " skip " << c.skip << (c.last ? " last" : "") << (c.reverse ? " reverse" : "");
  }
  EXPECT_EQ(found_at(*h, make_integer(9)), -1);

  hashtable::remove_position(t, 2);
  hashtable::remove_position(t, 0);
  EXPECT_EQ(flag(t, b), 0u);  // still live
  EXPECT_EQ(found_at(*h, one), 4);
  hashtable::remove_position(t, 4);
  EXPECT_EQ(flag(t, b), 1u);  // deleted
  EXPECT_EQ(record(t)->live, 2);
  EXPECT_EQ(array::pick_int(record(t)->chains, 1), 0);  // the chain is released
  EXPECT_EQ(found_at(*h, one), -1);
  hashtable::remove_position(t, 4);  // twice: nothing more
  EXPECT_EQ(record(t)->live, 2);
}

TEST_F(HashTable, TextThatDiffersInCaseSharesAChainButStrictSearchTellsThemApart) {
  Cell* h = hash_of({text("Apple"), text("pear"), text("APPLE"), text("apple")});
  EXPECT_EQ(bucket_of(*h, 0), bucket_of(*h, 2));
  EXPECT_EQ(record(h->w3)->live, 2);
  EXPECT_EQ(found_at(*h, text("aPPle")), 0);
  EXPECT_EQ(found_at(*h, text("APPLE"), 0, strict), 2);
  EXPECT_EQ(found_at(*h, text("apple"), 0, strict), 3);
  EXPECT_EQ(found_at(*h, text("aPPle"), 0, strict), -1);
  EXPECT_EQ(found_at(*h, text("apple"), 0, equal, true), 3);
  // a file! of the same text hashes alike but is another type
  Cell f = text("apple");
  f.set_type(Type::file);
  EXPECT_EQ(found_at(*h, f), -1);
}

TEST_F(HashTable, BlocksAreKeyedByIdentity) {
  Cell* a = block_of({make_integer(1)});
  Cell* b = block_of({make_integer(1)});
  Cell* h = hash_of({*a, *b, *a});
  EXPECT_EQ(record(h->w3)->live, 2);
  EXPECT_EQ(found_at(*h, *b), 1);
  EXPECT_EQ(found_at(*h, *a, 1), 2);
  Cell a_next = *a;
  a_next.w1 = 1;
  EXPECT_EQ(found_at(*h, a_next), -1);
}

TEST_F(HashTable, GrowingKeepsEveryEntry) {
  Cell* h = hash_of({});
  for (int32_t i = 0; i < 3000; ++i) append(h, make_integer(i % 1000 * 7));
  NodeId t = h->w3;
  EXPECT_EQ(record(t)->live, 1000);
  EXPECT_LT(record(t)->occupied, record(t)->upper);
  EXPECT_GE(record(t)->buckets, 1024);
  for (int32_t i = 0; i < 1000; ++i) {
    ASSERT_EQ(found_at(*h, make_integer(i * 7)), i);
    ASSERT_EQ(found_at(*h, make_integer(i * 7), 0, equal, true), i + 2000);
  }
  EXPECT_EQ(found_at(*h, make_integer(3)), -1);
}

// Made for fewer entries than its block holds, the table rebuilds from the whole block on the
// way; no cell may be indexed twice.
TEST_F(HashTable, ABlockLargerThanTheTableIsIndexedOnce) {
  Cell* b = block::push_only(60);
  for (int32_t i = 0; i < 60; ++i) block::append_copy(*b, make_integer(i % 20));
  NodeId t = hashtable::new_(0, *b, Kind::hash, 0);
  b->set_type(Type::hash);
  b->w3 = t;
  EXPECT_EQ(record(t)->live, 20);
  expect_indexed(*b);
  for (int32_t n = 1; n <= array::length(record(t)->chains); ++n) {
    NodeId chain = static_cast<NodeId>(array::pick_int(record(t)->chains, n));
    if (!chain) continue;
    ASSERT_EQ(ints(chain).size(), 3u) << "chain " << n;
  }
}

TEST_F(HashTable, PutReportsARebuildFromTheBlock) {
  Cell* h = hash_of({});
  int rebuilt = 0;
  for (int32_t i = 0; i < 7; ++i) {
    Cell* c = block::alloc_tail(*h);
    *c = make_integer(i);
    int status;
    hashtable::put_value(h->w3, c, status);
    rebuilt += status == 2;
  }
  EXPECT_EQ(rebuilt, 1);  // the seventh found the table at its bound of 6
  EXPECT_EQ(record(h->w3)->buckets, 16);
  expect_indexed(*h);
}

// At its bound with most buckets deleted, a record table is purged at the same size; a hash!
// table always grows by half its request, so it doubles even then.
TEST_F(HashTable, DeletedBucketsArePurgedAtTheSameSize) {
  gc::set_enabled(false);  // its keys are plain integers, not nodes: nothing may collect
  NodeId t = table_of(Kind::records, 4, 1)->w3;
  for (uint32_t k = 1; k <= 6; ++k) hashtable::put_key(t, k);
  for (uint32_t k = 1; k <= 6; ++k) hashtable::remove_key(t, k);
  EXPECT_EQ(record(t)->occupied, 6);
  hashtable::put_key(t, 42);
  EXPECT_EQ(record(t)->buckets, 8);
  EXPECT_EQ(record(t)->occupied, 1);
  EXPECT_EQ(buffer_of(record(t)->values)->tail, 32u);  // only the live record was kept
  Cell* h = hash_of({});
  for (int32_t i = 0; i < 6; ++i) append(h, make_integer(i));
  for (int32_t p = 0; p < 6; ++p) hashtable::remove_position(h->w3, p);
  block::truncate_at(*h, 0);
  append(h, make_integer(42));
  EXPECT_EQ(record(h->w3)->buckets, 16);
  EXPECT_EQ(record(h->w3)->occupied, 1);
  EXPECT_EQ(found_at(*h, make_integer(42)), 0);
}

TEST_F(HashTable, ShiftIndexesAfterInsertingAndRemovingInTheMiddle) {
  Cell* h = hash_of({make_integer(1), make_integer(2), make_integer(1), make_integer(2),
                     make_integer(1), make_integer(5)});
  NodeId t = h->w3;
  // insert two cells at position 2
  block::alloc_tail(*h);
  block::alloc_tail(*h);
  Cell* c = cells(*h);
  std::memmove(c + 4, c + 2, 4 * sizeof(Cell));
  c[2] = make_integer(2);
  c[3] = make_integer(9);
  ASSERT_EQ(hashtable::shift_indexes(t, 2, 2, 4, true), 0);
  hashtable::put(t, cells(*h) + 2);
  hashtable::put(t, cells(*h) + 3);
  expect_indexed(*h);
  EXPECT_EQ(found_at(*h, make_integer(1), 1), 4);
  EXPECT_EQ(found_at(*h, make_integer(2), 1), 1);
  EXPECT_EQ(found_at(*h, make_integer(2), 2), 2);
  // remove the two cells at positions 1 and 2: [1 2 2 9 1 2 1 5] becomes [1 9 1 2 1 5]
  c = cells(*h);
  ASSERT_EQ(hashtable::shift_indexes(t, -2, 3, 5, true), 0);  // positions 1 and 2 go
  std::memmove(c + 1, c + 3, 5 * sizeof(Cell));
  block::truncate_at(*h, 6);
  expect_indexed(*h);
  EXPECT_EQ(found_at(*h, make_integer(9)), 1);
  EXPECT_EQ(found_at(*h, make_integer(2)), 3);
  EXPECT_EQ(record(t)->live, 4);  // 1, 9, 2 and 5
  std::vector<int32_t> positions = ints(record(t)->positions);
  EXPECT_EQ(positions[6], -1);
  EXPECT_EQ(positions[7], -1);
  EXPECT_EQ(hashtable::shift_indexes(t, 1, 0, hashtable::shift_limit + 1, true), 1);
}

TEST_F(HashTable, MoveRangeReindexesBothDirections) {
  struct Case { int32_t destination, source, count; };
  for (Case c : {Case{0, 3, 2}, Case{6, 0, 2}, Case{4, 1, 3}, Case{1, 5, 1}, Case{2, 1, 3}}) {
    stack::Mark mark;
    std::vector<Cell> items;
    for (int32_t v : {10, 11, 10, 13, 14, 10, 16}) items.push_back(make_integer(v));
    Cell* h = hash_of(items);
    // the same move on the cells: back, the moved cells start at destination; forward, they end there
    std::vector<Cell> moved(items.begin() + c.source, items.begin() + c.source + c.count);
    std::vector<Cell> rest = items;
    rest.erase(rest.begin() + c.source, rest.begin() + c.source + c.count);
    bool inside = c.destination >= c.source && c.destination < c.source + c.count;
    int32_t at = inside ? c.source : c.destination < c.source ? c.destination : c.destination - c.count + 1;
    rest.insert(rest.begin() + at, moved.begin(), moved.end());
    std::copy(rest.begin(), rest.end(), cells(*h));
    hashtable::move_range(h->w3, c.destination, c.source, c.count);
    expect_indexed(*h);
  }
}

TEST_F(HashTable, RehashAfterTheCellsWereReordered) {
  Cell* h = hash_of({make_integer(1), make_integer(2), make_integer(1), make_integer(3)});
  std::reverse(cells(*h), cells(*h) + count(*h));
  hashtable::rehash(h->w3);
  expect_indexed(*h);
  EXPECT_EQ(found_at(*h, make_integer(1), 0, equal, true), 3);
  Cell* m = map_of({text("a"), make_integer(1), text("b"), make_integer(2)});
  std::swap(cells(*m)[0], cells(*m)[2]);
  std::swap(cells(*m)[1], cells(*m)[3]);
  hashtable::rehash(m->w3);
  EXPECT_EQ(at(*m, find(*m, text("a"))), 2);
  EXPECT_EQ(at(*m, find(*m, text("b"))), 0);
  EXPECT_EQ(record(m->w3)->live, 2);
}

TEST_F(HashTable, RemoveRangeAndClear) {
  Cell* h = hash_of({make_integer(1), make_integer(2), make_integer(1), make_integer(3)});
  NodeId t = h->w3;
  hashtable::remove_range(t, 1, 2);
  EXPECT_EQ(found_at(*h, make_integer(1)), 0);
  EXPECT_EQ(found_at(*h, make_integer(1), 1), -1);
  EXPECT_EQ(found_at(*h, make_integer(2)), -1);
  EXPECT_EQ(found_at(*h, make_integer(3)), 3);
  hashtable::remove_range(t, 0, 99);  // cut at the tail: all of them
  EXPECT_EQ(record(t)->live, 0);
  EXPECT_EQ(record(t)->occupied, 0);
  EXPECT_EQ(found_at(*h, make_integer(3)), -1);
  for (int32_t p : ints(record(t)->positions)) ASSERT_EQ(p, -1);
  hashtable::clear(t);
  EXPECT_EQ(count(*h), 0);
}

TEST_F(HashTable, CopyIsIndependentOfTheOriginal) {
  Cell* h = hash_of({make_integer(1), make_integer(2), make_integer(1)});
  Cell* dup = block::clone(*h, false, false);
  dup->set_type(Type::hash);
  dup->w3 = hashtable::copy(h->w3, series_node(*dup));
  hashtable::remove_position(dup->w3, 0);
  hashtable::remove_position(dup->w3, 2);
  EXPECT_EQ(found_at(*dup, make_integer(1)), -1);
  EXPECT_EQ(found_at(*h, make_integer(1), 1), 2);
  EXPECT_EQ(found_at(*dup, make_integer(2)), 1);
  EXPECT_NE(record(dup->w3)->chains, record(h->w3)->chains);
  expect_hashes_stored(dup->w3);
}

TEST_F(HashTable, NodeKeyedHashesAreRebuiltWhenTheCollectorHasRun) {
  Cell* s = hash_of({text("a"), make_integer(1)});
  EXPECT_EQ(record(s->w3)->epoch, 0u);  // nothing keyed by node
  Cell* b = block_of({});
  Cell* h = hash_of({text("a"), *b});
  NodeId t = h->w3;
  EXPECT_EQ(record(t)->epoch, gc::stats().cycles + 1);
  gc::collect();
  EXPECT_TRUE(hashtable::check_epoch(t));
  EXPECT_EQ(record(t)->epoch, gc::stats().cycles + 1);
  EXPECT_FALSE(hashtable::check_epoch(t));
  gc::collect();
  EXPECT_EQ(found_at(*h, *b), 1);
  EXPECT_TRUE(hashtable::node_compaction_allowed());
}

TEST_F(HashTable, MapKeysAreUniqueAndALaterDuplicatePairFolds) {
  Cell* m = map_of({text("a"), make_integer(1), text("b"), make_integer(2), text("a"), make_integer(3),
                    text("A"), make_integer(4)});
  EXPECT_EQ(count(*m), 6);  // the second "a" pair left the block
  EXPECT_EQ(record(m->w3)->live, 3);
  Cell* a = find(*m, text("a"), 0, strict);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a[1].int_value(), 3);
  EXPECT_EQ(find(*m, text("A"), 0, strict)[1].int_value(), 4);
  EXPECT_EQ(find(*m, text("B"))[1].int_value(), 2);
  // putting an equal key again leaves the table as it was
  Cell key = text("a");  // made first: making it may move the map's block
  Cell* dup = block::alloc_tail(*m);
  *dup = key;
  hashtable::put(m->w3, dup);
  EXPECT_EQ(record(m->w3)->live, 3);
}

TEST_F(HashTable, WordsAreLookedUpAsSetWordsInAMap) {
  Cell* m = map_of({word(Type::set_word, 7), make_integer(70), word(Type::set_word, 8), make_integer(80)});
  for (Type t : {Type::word, Type::lit_word, Type::get_word, Type::set_word})
    EXPECT_EQ(at(*m, find(*m, word(t, 7))), 0) << static_cast<int>(t);
  EXPECT_EQ(find(*m, word(Type::refinement, 7)), nullptr);
  Cell probe = word(Type::word, 8);
  EXPECT_EQ(at(*m, find(*m, probe)), 2);
  EXPECT_EQ(probe.type(), Type::word);
}

TEST_F(HashTable, RemovingAMapPairMarksItsValue) {
  Cell* m = map_of({text("k"), make_integer(1), text("j"), make_integer(2)});
  NodeId t = m->w3;
  hashtable::remove_at(t, find(*m, text("k")));
  EXPECT_EQ(cells(*m)[1].header, 0u);
  EXPECT_EQ(record(t)->live, 1);
  EXPECT_EQ(at(*m, find(*m, text("k"))), 0);  // the key stays indexed
  hashtable::remove_at(t, find(*m, text("k")));  // a second removal counts nothing
  EXPECT_EQ(record(t)->live, 1);
}

// Removed pairs keep their buckets: a resize must make room for them, not for the live count.
TEST_F(HashTable, ResizingAMapCountsItsRemovedPairs) {
  std::vector<Cell> pairs;
  for (int32_t i = 0; i < 6; ++i) {
    pairs.push_back(make_integer(i * 10));
    pairs.push_back(make_integer(i));
  }
  Cell* m = map_of(pairs);
  for (int32_t i = 0; i < 5; ++i) hashtable::remove_at(m->w3, find(*m, make_integer(i * 10)));
  EXPECT_EQ(record(m->w3)->live, 1);
  hashtable::resize(m->w3, 4);
  EXPECT_EQ(record(m->w3)->buckets, 8);  // six buckets stay taken: four would not hold them
  for (int32_t i = 0; i < 6; ++i) ASSERT_EQ(at(*m, find(*m, make_integer(i * 10))), 2 * i);
  hashtable::resize(m->w3, 20);
  EXPECT_EQ(record(m->w3)->buckets, 32);
  EXPECT_EQ(record(m->w3)->occupied, 6);
  expect_hashes_stored(m->w3);
  for (int32_t i = 0; i < 6; ++i) ASSERT_EQ(at(*m, find(*m, make_integer(i * 10))), 2 * i);
}

TEST_F(HashTable, FindNextWalksEveryEqualKey) {
  Cell* m = map_of({text("x"), make_integer(1), text("X"), make_integer(2), text("y"), make_integer(3)});
  hashtable::Cursor cursor;
  std::set<int32_t> seen;
  while (Cell* c = hashtable::find_next(m->w3, text("x"), cursor)) seen.insert(at(*m, c));
  EXPECT_EQ(seen, (std::set<int32_t>{0, 2}));
  hashtable::Cursor none;
  EXPECT_EQ(hashtable::find_next(m->w3, text("z"), none), nullptr);
}

TEST_F(HashTable, MapGrowsToManyKeys) {
  Cell* m = map_of({});
  for (int32_t i = 0; i < 2000; ++i) {
    Cell k = text("key-" + std::to_string(i));
    Cell* c = block::alloc_tail(*m);
    *c = k;
    hashtable::put(m->w3, c);
    *block::alloc_tail(*m) = make_integer(i);
  }
  EXPECT_EQ(record(m->w3)->live, 2000);
  EXPECT_EQ(record(m->w3)->occupied, 2000);
  expect_hashes_stored(m->w3);
  for (int32_t i = 0; i < 2000; ++i) {
    Cell* c = find(*m, text("KEY-" + std::to_string(i)));
    ASSERT_NE(c, nullptr) << i;
    ASSERT_EQ(c[1].int_value(), i);
  }
}

// Keys that differ only in the letter case of one character hash alike: the probe finds the hash
// equal and must compare the texts, wherever the difference lies (the bytes are compared eight
// at a time; up to seven, a small map keeps them in the bucket). Strictly they are distinct keys;
// under equal? any of them finds one.
TEST_F(HashTable, KeysOfEqualHashAreToldApartByTheirText) {
  for (size_t length : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 15u, 16u, 17u, 24u, 33u}) {
    stack::Mark mark;
    std::string base;
    for (size_t i = 0; i < length; ++i) base += static_cast<char>('a' + i % 26);
    std::vector<std::string> keys{base};
    for (size_t at : {size_t{0}, length / 2, length - 1}) {
      std::string k = base;
      k[at] = static_cast<char>(k[at] - 32);
      if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
    }
    std::vector<Cell> pairs;
    for (size_t i = 0; i < keys.size(); ++i) {
      pairs.push_back(text(keys[i]));
      pairs.push_back(make_integer(static_cast<int64_t>(i)));
    }
    Cell* m = map_of(pairs);
    ASSERT_EQ(record(m->w3)->live, static_cast<int32_t>(keys.size())) << length;
    for (size_t i = 0; i < keys.size(); ++i) {
      Cell* c = find(*m, text(keys[i]), 0, strict);
      ASSERT_NE(c, nullptr) << keys[i];
      EXPECT_EQ(c[1].int_value(), static_cast<int64_t>(i)) << keys[i];
    }
    std::string upper = base;
    for (char& c : upper) c = static_cast<char>(c - 32);
    EXPECT_NE(find(*m, text(upper)), nullptr) << length;
    if (length > 1) {
      EXPECT_EQ(find(*m, text(upper), 0, strict), nullptr) << length;
    }
  }
}

// A map! of 1,024 to 32,768 buckets keeps text keys of up to fifteen characters in its buckets. A key found by its tag is the same text of
// the same type; anything else (another type, another letter case, a longer text, same?) is
// still decided by comparing the cells. Growth keeps the tags until the table passes the size
// where its buckets become plain, and shrinking back makes them from the keys.
TEST_F(HashTable, ShortTextKeysLiveInWideBuckets) {
  struct Case {
    Cell key;
    int op;
    int64_t value;  // of the pair found, -1: none
  };
  Cell file = text("abc");
  file.set_type(Type::file);
  Cell nul = text("a0");  // "a" and a zero byte: a tag counts its bytes, it does not end at 0
  buffer_of(series_node(nul))->data()[1] = 0;
  Cell* m = map_of({text(""), make_integer(0), text("abc"), make_integer(1), text("ABC"), make_integer(2),
                    file, make_integer(3), text("abcdefg"), make_integer(4), text("abcdefgh"),
                    make_integer(5), nul, make_integer(6), text("abcdefghijklmno"), make_integer(7),
                    text("abcdefghijklmnop"), make_integer(8), text("abcdefghijklmnO"), make_integer(9)});
  EXPECT_FALSE(hashtable::slots_of(m->w3).wide());  // too small to gain from them
  hashtable::resize(m->w3, 1000);
  expect_tags_stored(m->w3);
  Cell file_upper = text("ABC");
  file_upper.set_type(Type::file);
  Cell url = text("abc");
  url.set_type(Type::url);
  std::vector<Case> cases{
      {text(""), equal, 0},          {text("abc"), equal, 1},       {text("abc"), strict, 1},
      {text("ABC"), strict, 2},      {text("Abc"), strict, -1},     {file_upper, equal, 3},
      {file_upper, strict, -1},      {url, equal, -1},              {text("abcdefg"), strict, 4},
      {text("ABCDEFGH"), equal, 5},  {text("abcdefgh"), strict, 5}, {text("abcdef"), equal, -1},
      {text("a"), strict, -1},       {nul, strict, 6},              {text("abc"), cmp::same, -1},
      {text("abcdefghijklmno"), strict, 7},  {text("abcdefghijklmnO"), strict, 9},
      {text("abcdefghijklmnop"), strict, 8}, {text("abcdefghijklmNop"), strict, -1},
      {text("ABCDEFGHIJKLMNOP"), equal, 8},  {text("abcdefghijklmn"), equal, -1},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    Cell* found = find(*m, cases[i].key, 0, cases[i].op);
    EXPECT_EQ(found ? found[1].int_value() : -1, cases[i].value) << "case " << i;
  }
  for (int32_t i = 0; i < 60000; ++i) {
    stack::Mark mark;
    Cell k = text("k" + std::to_string(i));
    Cell* c = block::alloc_tail(*m);
    *c = k;
    if (i % 2) hashtable::put_hashed(m->w3, c, hash::value(k, false));  // as map! stores
    else hashtable::put(m->w3, c);
    *block::alloc_tail(*m) = make_integer(100 + i);
    if (i == 1000) expect_tags_stored(m->w3);
  }
  EXPECT_FALSE(hashtable::slots_of(m->w3).wide());
  EXPECT_EQ(find(*m, text("k59999"), 0, strict)[1].int_value(), 60099);
  EXPECT_EQ(find(*m, text("K5"), 0, equal)[1].int_value(), 105);
  buffer_of(series_node(*m))->tail = 80 * sizeof(Cell);  // the first forty pairs remain
  hashtable::rehash(m->w3);
  hashtable::resize(m->w3, 1000);
  expect_tags_stored(m->w3);
  EXPECT_EQ(find(*m, text("ABC"), 0, strict)[1].int_value(), 2);
  EXPECT_EQ(find(*m, text("K12"), 0, equal)[1].int_value(), 112);
  Cell* last = find(*m, text("k29"), 0, strict);  // the ten pairs made first, then k0 to k29
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last[1].int_value(), 129);
  EXPECT_EQ(find(*m, text("k30"), 0, strict), nullptr);
}

// The same text in another unit, and the same string under same?, take the comparison's way.
TEST_F(HashTable, KeyTextInAnyUnitAndIdentity) {
  NodeId wide = alloc::new_codepoints(4, 2);
  const char16_t units[] = {u'k', u'e', u'y'};
  std::memcpy(buffer_of(wide)->data(), units, sizeof units);
  buffer_of(wide)->tail = sizeof units;
  Cell* key = stack::push(make_series(Type::string, wide));
  Cell* m = map_of({*key, make_integer(1), text("other"), make_integer(2)});
  Cell* found = find(*m, text("KEY"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found[1].int_value(), 1);
  EXPECT_EQ(find(*m, text("key"), 0, strict)[1].int_value(), 1);
  Cell own = cells(*m)[2];
  EXPECT_EQ(at(*m, find(*m, own, 0, cmp::same)), 2);
  EXPECT_EQ(find(*m, text("other"), 0, cmp::same), nullptr);  // equal text, another string
}

TEST_F(HashTable, RecordTables) {
  gc::set_enabled(false);  // its keys are plain integers, not nodes: nothing may collect
  NodeId t = table_of(Kind::records, 4, 2)->w3;
  Cell* r = hashtable::put_key(t, 77);
  EXPECT_TRUE(r[0].is(Type::unset));
  EXPECT_TRUE(r[1].is(Type::unset));
  r[0] = make_integer(1);
  EXPECT_EQ(hashtable::put_key(t, 77)[0].int_value(), 1);
  EXPECT_EQ(hashtable::get_key(t, 78), nullptr);
  EXPECT_EQ(r[-1].w1, 77u);
  EXPECT_EQ(r[-1].header, 2u);
  uint32_t records_before = buffer_of(record(t)->values)->tail;
  Cell* removed = hashtable::remove_key(t, 77);
  ASSERT_NE(removed, nullptr);
  EXPECT_EQ(removed[-1].header, 0u);
  EXPECT_EQ(hashtable::get_key(t, 77), nullptr);
  EXPECT_EQ(hashtable::remove_key(t, 77), nullptr);
  EXPECT_EQ(record(t)->live, 0);
  // the key comes back into its deleted bucket's record, made fresh
  Cell* again = hashtable::put_key(t, 77);
  EXPECT_TRUE(again[0].is(Type::unset));
  EXPECT_EQ(buffer_of(record(t)->values)->tail, records_before);
  for (uint32_t k = 1000; k < 3000; ++k) hashtable::put_key(t, k)[1] = make_integer(static_cast<int32_t>(k));
  EXPECT_EQ(record(t)->live, 2001);
  for (uint32_t k = 1000; k < 3000; ++k) ASSERT_EQ(hashtable::get_key(t, k)[1].int_value(), static_cast<int32_t>(k));
  gc::stats().cycles++;  // as after a collection: the next lookup rehashes from the key words
  EXPECT_EQ(hashtable::get_key(t, 2999)[1].int_value(), 2999);
  EXPECT_EQ(record(t)->live, 2001);
  EXPECT_EQ(record(t)->epoch, gc::stats().cycles + 1);
}

TEST_F(HashTable, RecordsWithoutValueCellsAnswerTheirKeyCell) {
  gc::set_enabled(false);  // its keys are plain integers, not nodes: nothing may collect
  NodeId t = table_of(Kind::records, 4, 0)->w3;
  Cell* k = hashtable::put_key(t, 5);
  EXPECT_EQ(k->w1, 5u);
  EXPECT_EQ(hashtable::get_key(t, 5), k);
  EXPECT_EQ(hashtable::get_key(t, 6), nullptr);
}

TEST_F(HashTable, ResizeRebuildsRecordsInTheirOrder) {
  gc::set_enabled(false);  // its keys are plain integers, not nodes: nothing may collect
  NodeId t = table_of(Kind::records, 4, 1)->w3;
  for (uint32_t k : {30u, 10u, 20u}) hashtable::put_key(t, k)[0] = make_integer(static_cast<int32_t>(k));
  hashtable::remove_key(t, 10);
  hashtable::resize(t, 100);
  EXPECT_EQ(record(t)->buckets, 128);
  EXPECT_EQ(record(t)->upper, 99);
  EXPECT_EQ(record(t)->live, 2);
  EXPECT_EQ(record(t)->occupied, 2);
  Cell* first = hashtable::cells_of(record(t)->values);
  EXPECT_EQ(first[0].w1, 30u);
  EXPECT_EQ(first[2].w1, 20u);
  EXPECT_EQ(hashtable::get_key(t, 20)[0].int_value(), 20);
  EXPECT_EQ(hashtable::get_key(t, 10), nullptr);
  EXPECT_TRUE(hashtable::node_compaction_allowed());
}

// A marker that records what it is asked and marks a set of nodes.
class RecordingMarker : public hashtable::Marker {
 public:
  std::set<NodeId> marked_nodes, series_calls, block_calls;
  int cell_ranges = 0;
  void series(NodeId& n) override { series_calls.insert(n); }
  void block(NodeId& n) override { block_calls.insert(n); }
  void cells(Cell*, Cell*) override { ++cell_ranges; }
  bool marked(NodeId& n) override { return marked_nodes.count(n) > 0; }
};

TEST_F(HashTable, MarkingReachesEveryArrayAndChain) {
  Cell* h = hash_of({make_integer(1), make_integer(1), make_integer(2), make_integer(2)});
  NodeId t = h->w3;
  RecordingMarker m;
  hashtable::mark(t, m);
  hashtable::Record* r = record(t);
  EXPECT_EQ(r->flags, 0u);  // a value table keeps its buckets' states in their keys
  std::set<NodeId> expected{t, r->positions, r->chains, r->keys};
  for (int32_t chain : ints(r->chains)) expected.insert(static_cast<NodeId>(chain));
  EXPECT_EQ(expected.size(), 6u);
  EXPECT_EQ(m.series_calls, expected);
  EXPECT_EQ(m.block_calls, std::set<NodeId>{r->values});
}

TEST_F(HashTable, AStrongRecordTableKeepsItsKeysAWeakOneDoesNot) {
  Cell* held = block_of({make_integer(1)});
  NodeId key_block = series_node(*held);
  NodeId key_bytes = alloc::new_bytes(4);
  NodeId strong = table_of(Kind::records, 4, 1)->w3;
  NodeId weak = table_of(Kind::weak_records, 4, 3)->w3;
  for (NodeId t : {strong, weak}) {
    hashtable::put_key(t, key_block);
    hashtable::put_key(t, key_bytes);
  }
  RecordingMarker m;
  hashtable::mark(strong, m);
  EXPECT_TRUE(m.block_calls.count(key_block));
  EXPECT_TRUE(m.block_calls.count(key_bytes));
  RecordingMarker w;
  hashtable::mark(weak, w);
  EXPECT_FALSE(w.block_calls.count(key_block) || w.series_calls.count(key_block));
  EXPECT_FALSE(w.series_calls.count(key_bytes));
  EXPECT_TRUE(w.series_calls.count(record(weak)->values));
  EXPECT_TRUE(w.block_calls.empty());
}

TEST_F(HashTable, SweepDropsRecordsWhoseKeyOrOwnerDied) {
  NodeId t = table_of(Kind::weak_records, 4, 3)->w3;
  const uint32_t live_key = 101, dead_key = 102, orphan_key = 103, live_context = 900, dead_context = 901;
  hashtable::put_key(t, live_key)[1] = make_cell(Type::object, live_context, 1);
  hashtable::put_key(t, dead_key)[1] = make_cell(Type::object, live_context, 1);
  hashtable::put_key(t, orphan_key)[1] = make_cell(Type::object, dead_context, 1);
  RecordingMarker m;
  m.marked_nodes = {live_key, orphan_key, live_context};
  hashtable::sweep_weak(t, m);
  EXPECT_NE(hashtable::get_key(t, live_key), nullptr);
  EXPECT_EQ(hashtable::get_key(t, dead_key), nullptr);
  EXPECT_EQ(hashtable::get_key(t, orphan_key), nullptr);
  EXPECT_EQ(record(t)->live, 1);
  EXPECT_EQ(m.cell_ranges, 1);  // the survivor's cells
}

TEST_F(HashTable, InterningKeepsCaseVariantsApartWithTheirAlias) {
  NodeId t = table_of(Kind::symbols, 4)->w3;
  auto intern = [t](const std::string& s, bool fold_only = false) {
    return symbol::find(t, reinterpret_cast<const uint8_t*>(s.data()), static_cast<uint32_t>(s.size()), fold_only);
  };
  auto alias = [t](uint32_t id) { return symbol::entry_alias(hashtable::cells_of(record(t)->values)[id - 1]); };
  EXPECT_EQ(intern("foo"), 1u);
  EXPECT_EQ(intern("Foo"), 2u);
  EXPECT_EQ(intern("FOO"), 3u);
  EXPECT_EQ(intern("foo"), 1u);
  EXPECT_EQ(alias(1), -1);
  EXPECT_EQ(alias(2), 1);
  EXPECT_EQ(alias(3), 1);
  EXPECT_EQ(intern("fOO", true), 1u);  // folded only: found, nothing added
  EXPECT_EQ(record(t)->live, 3);
  EXPECT_EQ(intern("\xC3\xA4"), 4u);  // ä
  EXPECT_EQ(intern("\xC3\x84"), 5u);  // Ä: not an ASCII variant
  EXPECT_EQ(alias(5), -1);
  // the spelling is kept with a terminator that is not counted
  SeriesBuffer* spelling = buffer_of(symbol::entry_utf8(hashtable::cells_of(record(t)->values)[1]));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(spelling->head_ptr()), spelling->used()), "Foo");
  EXPECT_EQ(spelling->head_ptr()[3], 0);
  // many names: the table grows and every id is found again
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(intern("sym" + std::to_string(i)), 6u + i);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(intern("sym" + std::to_string(i)), 6u + i);
  EXPECT_EQ(intern("SYM17"), 3006u);
  EXPECT_EQ(alias(3006), 23);
  EXPECT_EQ(intern("Fo" "o"), 2u);
  EXPECT_GT(record(t)->buckets, 3000);
  // spellings longer than 64 bytes are lowered for hashing elsewhere than short ones
  std::string long_name(100, 'q');
  std::string long_variant = long_name;
  long_variant[99] = 'Q';
  uint32_t long_id = intern(long_name);
  EXPECT_EQ(intern(long_name), long_id);
  EXPECT_EQ(intern(long_variant, true), long_id);
  EXPECT_EQ(alias(intern(long_variant)), static_cast<int32_t>(long_id));
  expect_hashes_stored(t);
}

TEST(HashKeys, NamesCompareInFullAndFoldOnlyAscii) {
  auto cmp = [](const char* a, const char* b, uint32_t n, bool sensitive) {
    return hashtable::compare_keys(reinterpret_cast<const uint8_t*>(a), reinterpret_cast<const uint8_t*>(b), n,
                                   sensitive);
  };
  EXPECT_EQ(cmp("Foo", "fOO", 3, false), 0);
  EXPECT_NE(cmp("Foo", "fOO", 3, true), 0);
  EXPECT_NE(cmp("a\0b", "a\0c", 3, false), 0);  // a zero byte does not end a name
  EXPECT_NE(cmp("\xC3\x84", "\xC3\xA4", 2, false), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(hashtable::key_buffer(
                            reinterpret_cast<const uint8_t*>("Mixed-CASE_\xC3\x84"), 13)), 13),
            "mixed-case_\xC3\x84");
}

TEST_F(HashTable, WordTablesFindOrAddSymbols) {
  gc::set_enabled(false);  // its words name a context that is no node: nothing may collect
  NodeId t = table_of(Kind::symbols, 4)->w3;
  const NodeId context = 4242;
  int32_t index = -7;
  EXPECT_EQ(symbol::find_id(t, 10, false, 0, &index), -1);
  EXPECT_EQ(index, -7);
  EXPECT_EQ(symbol::find_id(t, 10, false, context, &index), -1);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(symbol::find_id(t, 11, true, context, &index), -1);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(symbol::find_id(t, 10, false, context, &index), 0);
  EXPECT_EQ(symbol::find_id(t, 11, true, 0, &index), 1);
  Cell w = hashtable::cells_of(record(t)->values)[1];
  EXPECT_TRUE(w.is(Type::word));
  EXPECT_EQ(word::context(w), context);
  EXPECT_EQ(word::symbol(w), 11u);
  EXPECT_EQ(word::index(w), 1);
  for (uint32_t id = 100; id < 1100; ++id) symbol::find_id(t, id, false, context, &index);
  for (uint32_t id = 100; id < 1100; ++id) ASSERT_EQ(symbol::find_id(t, id, false, 0, nullptr), static_cast<int32_t>(id - 98));
  expect_hashes_stored(t);
}

TEST_F(HashTable, AContextTableMadeFromAnotherIsACopy) {
  gc::set_enabled(false);  // its words name a context that is no node: nothing may collect
  NodeId source = table_of(Kind::symbols, 4)->w3;
  int32_t index;
  symbol::find_id(source, 5, false, 1, &index);
  Cell context = make_cell(Type::context, source, 0);
  NodeId copy = hashtable::new_(4, context, Kind::symbols, 2);
  stack::push(make_series(Type::map, record(copy)->values, 0, copy));
  EXPECT_NE(record(copy)->values, record(source)->values);
  EXPECT_EQ(symbol::find_id(copy, 5, false, 0, nullptr), 0);
  symbol::find_id(copy, 6, false, 1, &index);
  EXPECT_EQ(symbol::find_id(source, 6, false, 0, nullptr), -1);
}

// With the collector on, stress mode collects at every allocation: node-keyed hashes go stale
// again and again, and every lookup must still find its entry.
TEST_F(HashTable, TablesStayConsistentWhileTheCollectorRuns) {
  gc::set_enabled(true);
  Cell* keys = block::push_only(64);
  for (int32_t i = 0; i < 40; ++i) block::append_copy(*keys, *block_of({make_integer(i)}));
  Cell* h = hash_of({});
  for (int32_t i = 0; i < 120; ++i) append(h, cells(*keys)[i % 40]);
  NodeId t = table_of(Kind::records, 4, 1)->w3;
  for (int32_t i = 0; i < 40; ++i) hashtable::put_key(t, series_node(cells(*keys)[i]))[0] = make_integer(i);
  for (int32_t i = 0; i < 40; ++i) {
    Cell key = cells(*keys)[i];
    ASSERT_EQ(found_at(*h, key), i);
    ASSERT_EQ(found_at(*h, key, 0, equal, true), i + 80);
    ASSERT_EQ(hashtable::get_key(t, series_node(key))[0].int_value(), i);
  }
  expect_indexed(*h);
  gc::set_enabled(false);
}

TEST(IntMap, PutGetRemoveAndGrow) {
  intmap::IntMap* m = intmap::new_(0);
  EXPECT_EQ(m->buckets, 8);
  EXPECT_EQ(m->upper, 6);
  EXPECT_EQ(intmap::put(m, 5, 50), 0);
  EXPECT_EQ(intmap::put(m, 5, 55), 1);
  EXPECT_EQ(*intmap::get(m, 5), 55u);
  EXPECT_EQ(intmap::get(m, 6), nullptr);
  EXPECT_EQ(intmap::find(m, 6), -1);
  EXPECT_GE(intmap::find(m, 5), 0);
  intmap::remove(m, 5);
  EXPECT_EQ(intmap::get(m, 5), nullptr);
  EXPECT_EQ(m->live, 0);
  EXPECT_EQ(m->occupied, 1);
  for (uint32_t k = 0; k < 20000; ++k) intmap::put(m, k * 40, k);
  EXPECT_EQ(m->live, 20000);
  EXPECT_LT(m->occupied, m->upper);
  for (uint32_t k = 0; k < 20000; ++k) ASSERT_EQ(*intmap::get(m, k * 40), k);
  for (uint32_t k = 0; k < 20000; k += 2) intmap::remove(m, k * 40);
  EXPECT_EQ(intmap::resize(m, 10000), 0);  // fewer buckets: the pairs are rebuilt in place
  EXPECT_EQ(m->buckets, 16384);
  EXPECT_EQ(m->occupied, 10000);
  for (uint32_t k = 1; k < 20000; k += 2) ASSERT_EQ(*intmap::get(m, k * 40), k);
  EXPECT_EQ(intmap::resize(m, 4), 0);  // too small for what it holds: nothing happens
  EXPECT_EQ(m->buckets, 16384);
  intmap::clear(m);
  EXPECT_EQ(intmap::get(m, 40), nullptr);
  EXPECT_EQ(m->live, 0);
  intmap::free(m);
}

}  // namespace
}  // namespace vyn::test
