// core/hashtable_rebuild.cpp: growing, purging and rehashing tables, and the epoch that tells
// when hashes made from node ids may have gone stale.
#include <vector>

#include "core/gc.hpp"
#include "core/hash.hpp"
#include "core/hashtable_internal.hpp"
#include "core/typed_array.hpp"

namespace vyn::hashtable {
namespace {

int compaction_pauses = 0;

// Holds node compaction off for its lifetime; an error raised meanwhile passes on after it ends.
class CompactionPause {
 public:
  CompactionPause() { ++compaction_pauses; }
  ~CompactionPause() { --compaction_pauses; }
  CompactionPause(const CompactionPause&) = delete;
  CompactionPause& operator=(const CompactionPause&) = delete;
};

// A lookup made while a collection runs must not rebuild: the collector may be moving nodes.
bool collection_running() { return gc::collecting(); }

int32_t pow2_at_least_4(int64_t request) {
  if (request < 4) return 4;
  return static_cast<int32_t>(hash::next_pow2(static_cast<uint32_t>(request)));
}

// Indexes a kind 1 or 2 table afresh from its block, after its cells were reordered.
void reindex(NodeId table) {
  Record* r = record(table);
  r->live = r->occupied = 0;
  empty_slots(table);
  bool map = r->kind == static_cast<int32_t>(Kind::map);
  copy_into(table, 0, map ? 2 : 1);
  if (!map) return;
  r = record(table);
  Cell* cells = cells_of(r->values);
  for (int32_t p = 1; p < cell_count(r->values); p += 2)
    if (cells[p].header == 0) r->live--;  // a removed pair stays indexed but is not counted
}

// The entries of a kind 1 or 2 table by position: a bit per cell of the values block, set where a
// live bucket indexes the cell, and the hash stored beside it (and the tag, when the buckets
// are wide).
struct Indexed {
  std::vector<uint64_t> bits;
  std::vector<uint32_t> hashes;
  std::vector<Tag> tags;
};
Indexed indexed_positions(NodeId table) {
  size_t cells = static_cast<size_t>(cell_count(record(table)->values));
  Slots sl = slots_of(table);
  Indexed out{std::vector<uint64_t>((cells + 63) / 64), std::vector<uint32_t>(cells), {}};
  if (sl.wide()) out.tags.resize(cells);
  for (uint32_t i = 0; i < static_cast<uint32_t>(record(table)->buckets); ++i) {
    if (sl.flag(i) != live) continue;
    uint32_t p = static_cast<uint32_t>(sl.at(i).key);
    if (p >= cells) continue;
    out.bits[p / 64] |= uint64_t{1} << (p % 64);
    out.hashes[p] = sl.at(i).hash;
    if (sl.wide()) out.tags[p] = sl.tag(i);
  }
  return out;
}

// Puts every indexed position back into the (empty) buckets, in block order. The stored hashes
// serve, but for values hashed by node, whose hashes are made afresh in case the collector has
// moved nodes since. Wide buckets take the tags the old ones had, or (when the old ones were
// plain) the tags of the keys. Never allocates.
void reinsert(NodeId table, const Indexed& indexed) {
  Record* r = record(table);
  Slots sl = slots_of(r);
  const Cell* cells = cells_of(r->values);
  constexpr size_t ahead = 32;  // cells: the bucket of an entry this far on is read in meanwhile
  size_t total = indexed.hashes.size();
  for (size_t word = 0; word < indexed.bits.size(); ++word) {
    for (uint64_t bits = indexed.bits[word]; bits; bits &= bits - 1) {
      int32_t p = static_cast<int32_t>(word * 64 + __builtin_ctzll(bits));
      if (p + ahead < total) sl.prefetch(indexed.hashes[p + ahead] & sl.mask);
      uint32_t h = hash::pointer_keyed_q(cells[p]) ? hash::value(cells[p], false) : indexed.hashes[p];
      Tag tag = !sl.wide() ? Tag{} : indexed.tags.empty() ? text_tag(cells[p]) : indexed.tags[p];
      Probe probe(h, r->buckets);
      while (sl.flag(probe.at()) != empty && probe.next()) {}
      sl.take(probe.at(), p, h, tag);
    }
  }
}

}  // namespace

bool node_compaction_allowed() { return compaction_pauses == 0; }

void grow(NodeId table) {
  Record* r = record(table);
  bool mostly_live = r->live * 2 >= r->buckets || r->kind == static_cast<int32_t>(Kind::map);
  resize(table, mostly_live ? r->buckets + 1 : r->buckets - 1);
}

void resize(NodeId table, int32_t request) {
  CompactionPause pause;
  rebuild(table, request);
}

void rebuild(NodeId table, int32_t request) {
  switch (kind_of(table)) {
    case Kind::hash: return rebuild_from_block(table, request);
    case Kind::map: return rebuild_in_place(table, request);
    case Kind::symbols: return rebuild_in_place(table, request * 16);
    default: return rebuild_records(table, request);
  }
}

// Rebuilt for a new bucket count from the hashes stored in the buckets, so no key is read again
// (but for those hashed by node). The entries go back in block order rather than bucket order,
// so that earlier entries (earlier symbols) stay earlier along each probe.
void rebuild_in_place(NodeId table, int32_t request) {
  int32_t size = pow2_at_least_4(request);
  int32_t bound = static_cast<int32_t>(size * load + 0.5);
  Record* r = record(table);
  // a map's removed pairs keep their buckets, so its occupied count is what must fit
  int32_t entries = r->kind == static_cast<int32_t>(Kind::map) ? r->occupied : r->live;
  if (entries >= bound) return;
  Indexed indexed = indexed_positions(table);
  renew_array(table, &Record::keys, bucket_bytes(r->kind, size), slot_fill, slot_size);
  r = record(table);
  r->buckets = size;
  r->upper = bound;
  reinsert(table, indexed);
  if (r->kind != static_cast<int32_t>(Kind::map)) r->occupied = r->live;
}

void rehash(NodeId table) {
  CompactionPause pause;
  switch (kind_of(table)) {
    case Kind::hash: return rebuild_from_block(table, cell_count(record(table)->values));
    case Kind::map: case Kind::symbols: return reindex(table);
    default: return rehash_records(table);
  }
}

bool check_epoch(NodeId table) {
  Record* r = record(table);
  if (r->epoch == 0 || r->epoch == current_epoch() || collection_running()) return false;
  switch (kind_of(table)) {
    case Kind::hash: {
      CompactionPause pause;
      rebuild_from_block(table, cell_count(r->values));
      return true;
    }
    case Kind::records: case Kind::weak_records:
      rehash_records(table);
      return true;
    default:
      return false;
  }
}

}  // namespace vyn::hashtable
