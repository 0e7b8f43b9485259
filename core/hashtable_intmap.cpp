// core/hashtable_intmap.cpp: the integer map, 32-bit keys to 32-bit values in tracked heap memory.
#include "core/hashtable_intmap.hpp"

#include <cstring>

#include "core/error.hpp"
#include "core/hash.hpp"
#include "core/hashtable_internal.hpp"
#include "core/heap.hpp"

namespace vyn::intmap {
namespace {

using hashtable::Buckets;
using hashtable::Probe;

// The in-place rebuild: moves the entry of every live bucket among old_count old buckets to its
// bucket among new_count, within the same entry array (large enough for both counts). An entry
// landing on an old bucket not yet moved swaps with it and the displaced entry moves next. Old
// buckets are flagged deleted as they are taken; new_flags starts all empty. Never allocates.
template <class Entry, class HashOf>
void relocate(Buckets old, int32_t old_count, uint32_t* new_flags, int32_t new_count,
              Entry* entries, HashOf hash_of) {
  Buckets fresh{new_flags, nullptr, static_cast<uint32_t>(new_count - 1)};
  for (uint32_t i = 0; i < static_cast<uint32_t>(old_count); ++i) {
    if (old.flag(i) != hashtable::live) continue;
    Entry e = entries[i];
    old.set(i, hashtable::deleted);
    for (;;) {
      Probe probe(hash_of(e), new_count);
      while (fresh.flag(probe.at()) != hashtable::empty && probe.next()) {}
      uint32_t j = probe.at();
      fresh.set(j, hashtable::live);
      if (j < static_cast<uint32_t>(old_count) && old.flag(j) == hashtable::live) {
        Entry displaced = entries[j];
        entries[j] = e;
        e = displaced;
        old.set(j, hashtable::deleted);
        continue;
      }
      entries[j] = e;
      break;
    }
  }
}

// Tracked heap memory filled with a byte, or nullptr when the heap refuses.
void* alloc_filled(size_t bytes, uint8_t byte) {
  try {
    void* p = heap::alloc(bytes ? bytes : 1);
    std::memset(p, byte, bytes);
    return p;
  } catch (const Raised&) {
    return nullptr;
  }
}

uint32_t* new_flags(int32_t buckets) {
  return static_cast<uint32_t*>(alloc_filled(hashtable::flag_bytes(buckets), hashtable::all_empty));
}

Buckets buckets_of(IntMap* m) { return {m->flags, nullptr, static_cast<uint32_t>(m->buckets - 1)}; }

// Moves the pairs into an array of n pairs; false, leaving them, when memory cannot be had.
bool move_pairs(IntMap* m, int32_t n) {
  auto* pairs = static_cast<Pair*>(alloc_filled(sizeof(Pair) * n, 0));
  if (!pairs) return false;
  int32_t keep = n < m->buckets ? n : m->buckets;
  std::memcpy(pairs, m->pairs, sizeof(Pair) * keep);
  heap::free(m->pairs);
  m->pairs = pairs;
  return true;
}

}  // namespace

IntMap* new_(int32_t n) {
  auto* m = static_cast<IntMap*>(heap::alloc(sizeof(IntMap)));
  m->buckets = hashtable::buckets_for(n);
  m->upper = static_cast<int32_t>(m->buckets * hashtable::load);
  m->flags = new_flags(m->buckets);
  m->pairs = static_cast<Pair*>(alloc_filled(sizeof(Pair) * m->buckets, 0));
  if (!m->flags || !m->pairs) fire(Err::internal_no_memory);
  return m;
}

int32_t find(IntMap* m, uint32_t key) {
  Buckets bk = buckets_of(m);
  Probe probe(hash::int_(key), m->buckets);
  do {
    uint32_t f = bk.flag(probe.at());
    if (f == hashtable::empty) return -1;
    if (f == hashtable::live && m->pairs[probe.at()].key == key) return static_cast<int32_t>(probe.at());
  } while (probe.next());
  return -1;
}

uint32_t* get(IntMap* m, uint32_t key) {
  int32_t at = find(m, key);
  return at < 0 ? nullptr : &m->pairs[at].value;
}

int put(IntMap* m, uint32_t key, uint32_t value) {
  if (uint32_t* v = get(m, key)) {
    *v = value;
    return 1;
  }
  if (m->occupied >= m->upper)
    resize(m, m->live * 2 < m->buckets ? m->buckets - 1 : m->buckets + 1);
  Buckets bk = buckets_of(m);
  Probe probe(hash::int_(key), m->buckets);
  while (bk.flag(probe.at()) == hashtable::live && probe.next()) {}
  uint32_t i = probe.at();
  if (bk.flag(i) == hashtable::live) fire(Err::internal_no_memory);  // full, and could not grow
  if (bk.flag(i) == hashtable::empty) m->occupied++;
  m->live++;
  bk.set(i, hashtable::live);
  m->pairs[i] = {key, value};
  return 0;
}

void remove(IntMap* m, uint32_t key) {
  int32_t at = find(m, key);
  if (at < 0) return;
  buckets_of(m).set(static_cast<uint32_t>(at), hashtable::deleted);
  m->live--;
}

int resize(IntMap* m, int32_t request) {
  int32_t size = request < 4 ? 4 : static_cast<int32_t>(hash::next_pow2(static_cast<uint32_t>(request)));
  int32_t bound = static_cast<int32_t>(size * hashtable::load + 0.5);
  if (m->live >= bound) return 0;
  if (size > m->buckets && !move_pairs(m, size)) return -1;
  uint32_t* flags = new_flags(size);
  if (!flags) return -1;
  relocate(buckets_of(m), m->buckets, flags, size, m->pairs,
                      [](const Pair& p) { return hash::int_(p.key); });
  heap::free(m->flags);
  m->flags = flags;
  if (size < m->buckets) move_pairs(m, size);  // a refusal only leaves the array larger
  m->buckets = size;
  m->upper = bound;
  m->occupied = m->live;
  return 0;
}

void clear(IntMap* m) {
  std::memset(m->flags, hashtable::all_empty, hashtable::flag_bytes(m->buckets));
  m->live = m->occupied = 0;
}

void free(IntMap* m) {
  heap::free(m->flags);
  heap::free(m->pairs);
  heap::free(m);
}

}  // namespace vyn::intmap
