// core/hashtable_internal.hpp: the bucket scheme and the pieces the hash table files share.
#pragma once

#include <climits>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/cell.hpp"
#include "core/hashtable.hpp"
#include "core/series.hpp"

namespace vyn::hashtable {

// Bucket flag values: two bits per bucket, sixteen buckets to a 32-bit word.
inline constexpr uint32_t live = 0;
inline constexpr uint32_t deleted = 1;
inline constexpr uint32_t empty = 2;
inline constexpr uint8_t all_empty = 0xAA;

inline uint32_t flag_bytes(int32_t buckets) { return ((static_cast<uint32_t>(buckets) + 15) / 16) * 4; }

// A record of a record table starts with its key cell, an unset! cell whose word 1 holds the key's
// node (0: none); the record's values follow. A weak table keeps the owner object! in the record
// too, and whether its context (the object's word 1) is still alive decides the record's.
inline uint32_t record_key(const Cell& key_cell) { return key_cell.w1; }
inline void set_record_key(Cell& key_cell, uint32_t key) { key_cell.w1 = key; }
inline NodeId owner_context(const Cell& owner) { return owner.w1; }
inline void set_owner_context(Cell& owner, NodeId ctx) { owner.w1 = ctx; }

inline uint32_t flag_at(const uint32_t* flags, uint32_t i) { return (flags[i >> 4] >> ((i & 15) * 2)) & 3; }
inline void set_flag(uint32_t* flags, uint32_t i, uint32_t f) {
  uint32_t s = (i & 15) * 2;
  flags[i >> 4] = (flags[i >> 4] & ~(3u << s)) | (f << s);
}

// A raw view of the buckets of a record table (kinds 3 and 4) or of the integer map: one 32-bit
// key each. Never held across an allocation.
struct Buckets {
  uint32_t* flags;
  int32_t* keys;
  uint32_t mask;

  uint32_t flag(uint32_t i) const { return flag_at(flags, i); }
  void set(uint32_t i, uint32_t f) { set_flag(flags, i, f); }
};
Buckets buckets_of(NodeId table);
Buckets buckets_of(const Record* r);  // never allocates; good until the next allocation

// A bucket of a value table (kinds 0 to 2): the entry's cell index in the values block (for a
// hash! bucket of several equal values, minus its chain number) beside the hash of the value it
// indexes. A probe compares hashes first, so an entry that does not match costs no read of its
// cell or of what the cell refers to. The bucket's state lives in its key too (empty_key and
// deleted_key are no index nor chain), so that a probe reads one cache line per bucket.
struct Slot {
  int32_t key;
  uint32_t hash;
};
inline constexpr uint32_t slot_size = sizeof(Slot);
inline constexpr uint8_t slot_fill = 0x80;  // every byte of an empty slot
inline constexpr int32_t empty_key = static_cast<int32_t>(0x80808080u);
inline constexpr int32_t deleted_key = INT32_MIN;

// A map! table of up to wide_limit buckets has wide buckets: each slot is followed by the text of
// its key when that is short (a Tag), so that finding such a key reads only its bucket, not the
// key's cell, node slot and buffer. Larger tables keep plain buckets: the wide ones would triple
// their size, and their look-ups miss on the bucket itself whatever it holds. At 32,768 buckets
// the wide array is 768 KB; the 65,536 tried first left the 500k-key map's peak 1.5 MB higher.
inline constexpr int32_t wide_limit = 32768;
// Below this many buckets a table stays in the cache anyway, and wide buckets would only triple
// the memory of the many small maps a program makes (a JSON document's objects).
inline constexpr int32_t wide_least = 1024;
inline constexpr uint32_t wide_slot_size = 24;
inline bool wide_buckets(int32_t kind, int32_t buckets) {
  return kind == static_cast<int32_t>(Kind::map) && buckets >= wide_least && buckets <= wide_limit;
}
inline uint32_t bucket_bytes(int32_t kind, int32_t buckets) {
  return static_cast<uint32_t>(buckets) * (wide_buckets(kind, buckets) ? wide_slot_size : slot_size);
}

// What a wide bucket keeps of a text key of one byte per unit and at most fifteen characters: a
// byte with the text's type and length, then its bytes, the rest zero; nothing (lo 0) for any
// other key. Two keys with the same tag are the same text of the same type, so they match under
// every comparison but same?.
struct Tag {
  uint64_t lo = 0;  // the type and length byte, then the first seven characters
  uint64_t hi = 0;  // the characters after those
  bool operator==(const Tag&) const = default;
  explicit operator bool() const { return lo != 0; }
};

// A raw view of a value table's buckets. Never held across an allocation.
struct Slots {
  uint8_t* base;
  uint32_t mask;
  uint32_t stride;  // slot_size, or wide_slot_size

  Slot& at(uint32_t i) const { return *reinterpret_cast<Slot*>(base + size_t{i} * stride); }
  bool wide() const { return stride == wide_slot_size; }
  // The key text of a wide bucket.
  Tag tag(uint32_t i) const {
    Tag t;
    std::memcpy(&t, base + size_t{i} * stride + slot_size, sizeof t);
    return t;
  }
  uint32_t flag(uint32_t i) const {
    int32_t k = at(i).key;
    return k == empty_key ? empty : k == deleted_key ? deleted : live;
  }
  void remove(uint32_t i) { at(i).key = deleted_key; }
  void take(uint32_t i, int32_t key, uint32_t hash, Tag tag = {}) {
    at(i) = {key, hash};
    if (wide()) std::memcpy(base + size_t{i} * stride + slot_size, &tag, sizeof tag);
  }
  // Starts the read of a probe's first bucket.
  void prefetch(uint32_t i) const { __builtin_prefetch(base + size_t{i} * stride); }
};
Slots slots_of(NodeId table);
Slots slots_of(const Record* r);  // never allocates; good until the next allocation
// Every bucket of a value table empty.
void empty_slots(NodeId table);

// The probe sequence: the start bucket, then offsets 1, 3, 6, 10 ... from it. Over a power of two
// the first `buckets` steps visit every bucket once, so the walk ends there rather than at its
// return to the start bucket.
class Probe {
 public:
  Probe(uint32_t hash, int32_t buckets)
      : mask_(static_cast<uint32_t>(buckets) - 1), at_(hash & mask_),
        left_(static_cast<uint32_t>(buckets)) {}
  uint32_t at() const { return at_; }
  bool next() {
    if (--left_ == 0) return false;
    at_ = (at_ + ++step_) & mask_;
    return true;
  }

 private:
  uint32_t mask_;
  uint32_t at_;
  uint32_t left_;
  uint32_t step_ = 0;
};

// The two walks every value table makes over its buckets. match(key) is handed the slot key of
// each live bucket whose hash agrees and answers what the walk is after, or a false value (nullptr,
// 0, false) when that entry is not it. Both are inline templates so that the match compiles into
// the loop: they are on the path of every map! and symbol look-up. Neither allocates, and match
// must not either.

// A look-up: the first answer of match, or a false value once an empty bucket ends the walk.
// A match may also take the bucket's index as a second argument.
template <class Match>
inline auto call_match(Match& match, int32_t& key, uint32_t i) {
  if constexpr (std::is_invocable_v<Match&, int32_t&, uint32_t>) return match(key, i);
  else return match(key);
}

template <class Match>
inline auto probe_find(const Slots& sl, uint32_t hash, int32_t buckets, Match&& match) {
  using Answer = decltype(call_match(match, sl.at(0).key, 0));
  Probe probe(hash, buckets);
  sl.prefetch(probe.at());
  do {
    Slot& s = sl.at(probe.at());
    if (s.key == empty_key) break;
    if (s.hash != hash || s.key == deleted_key) continue;
    if (Answer a = call_match(match, s.key, probe.at())) return a;
  } while (probe.next());
  return Answer{};
}

// An insertion's walk finds both the match and the bucket to take. found is match's answer for
// the entry that matched, at its bucket; else found is false and at is the bucket to take: the
// first deleted one met, or the empty one that ends the walk, or -1 when none is free (the bound
// keeps that from happening to a table that grows).
template <class Answer>
struct Claim {
  Answer found;
  int32_t at;
};
template <class Match>
inline auto probe_insert(const Slots& sl, uint32_t hash, int32_t buckets, Match&& match) {
  using Answer = decltype(call_match(match, sl.at(0).key, 0));
  Probe probe(hash, buckets);
  sl.prefetch(probe.at());
  int32_t free_at = -1;
  do {
    uint32_t i = probe.at();
    Slot& s = sl.at(i);
    if (s.key == empty_key || s.key == deleted_key) {
      if (free_at < 0) free_at = static_cast<int32_t>(i);
      if (s.key == empty_key) break;
      continue;
    }
    if (s.hash != hash) continue;
    if (Answer a = call_match(match, s.key, i)) return Claim<Answer>{a, static_cast<int32_t>(i)};
  } while (probe.next());
  return Claim<Answer>{Answer{}, free_at};
}

// Bucket i, free, takes the entry at key under hash; counts it live, and occupied if it was empty.
inline void take_free(Record* r, Slots& sl, uint32_t i, int32_t key, uint32_t hash, Tag tag = {}) {
  if (sl.flag(i) == empty) r->occupied++;
  r->live++;
  sl.take(i, key, hash, tag);
}

// The cells of a series from the start of its data. Never allocates.
inline Cell* cells_of(NodeId node) { return reinterpret_cast<Cell*>(buffer_of(node)->data()); }
inline int32_t cell_count(NodeId node) { return static_cast<int32_t>(buffer_of(node)->tail / sizeof(Cell)); }

uint32_t current_epoch();
// Bucket count and bound for a table created for n entries.
int32_t buckets_for(int32_t n);
// A table under construction or copy is kept on the value stack in a map! cell, so that a
// collection meanwhile marks it and its arrays.
Cell* hold(NodeId table);

// Whether two cells of the same type match under op; see hashtable_compare.hpp.
bool same_key(const Cell& a, const Cell& b, int op);

// A text of one byte per unit equal byte for byte, from the heads, to another of the same type:
// they match under every comparison but same?, whatever the datatype's comparison entry.
bool identical_latin1(const Cell& a, const Cell& b);

// A key being looked up: its hash, made once, and for text of one byte per unit its bytes from
// the head, so that the entry whose hash agrees is compared without deriving the key again.
// Never held across an allocation.
struct Lookup {
  Cell cell;
  uint32_t hash;
  const uint8_t* latin1 = nullptr;
  uint32_t length = 0;
  Tag tag;  // text_tag of the key
};
Lookup lookup_of(const Cell& key);  // never allocates
// The tag of a key (see Tag). Never allocates.
Tag text_tag(const Cell& key);
// Whether an entry of the key's type matches it under op (see same_key). Never allocates.
bool matches(const Cell& entry, const Lookup& key, int op);

// Kinds 1 and 2: indexes the cell at position p under its hash (computed when not given), unless
// a strictly equal key is indexed already; answers that key's cell then, else nullptr.
Cell* insert_unique(NodeId table, int32_t p, uint32_t hash);
Cell* insert_unique(NodeId table, int32_t p);

// hash! (kind 0).
int insert_hash(NodeId table, int32_t position);  // answers 2 when it rebuilt the table
Cell* find_hash(NodeId table, const Cell& key, int32_t start, int32_t skip, int op, bool last,
                bool reverse);
void remove_hash(NodeId table, int32_t position);
void reset_hash(NodeId table);
void set_position(NodeId table, int32_t position, int32_t value);
NodeId chain_of(NodeId table, int32_t key);  // the chain a bucket key of -n names

// Rebuilds. grow() is the rule applied when an insertion finds the table at its bound.
void grow(NodeId table);
void rebuild(NodeId table, int32_t request);
void rebuild_from_block(NodeId table, int32_t request);
void rebuild_in_place(NodeId table, int32_t request);
void rebuild_records(NodeId table, int32_t request);
void rehash_records(NodeId table);

// Makes an array of the record the given bytes long, each byte set to byte: in place when its
// buffer is large enough, else in a new buffer of the unit. The field is named by member, since
// the record may move while allocating.
void renew_array(NodeId table, NodeId Record::*field, uint32_t bytes, uint8_t byte, uint32_t unit);

}  // namespace vyn::hashtable
