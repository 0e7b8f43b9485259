// core/hashtable_hash.cpp: the table of a hash!: every cell of the block indexed, equal values
// sharing one bucket through a chain of positions, and re-indexing as the block changes.
#include <cstring>
#include <vector>

#include "core/hash.hpp"
#include "core/hashtable_internal.hpp"
#include "core/typed_array.hpp"
#include "core/compare_ops.hpp"

namespace vyn::hashtable {
namespace {

constexpr uint32_t int_size = sizeof(int32_t);

int32_t* ints(NodeId node) { return reinterpret_cast<int32_t*>(array::data(node)); }

// The positions a bucket key stands for: itself, or the chain it names. Never allocates.
struct Candidates {
  const int32_t* first;
  int32_t count;
};
Candidates candidates(NodeId table, int32_t& key) {
  if (key >= 0) return {&key, 1};
  NodeId chain = chain_of(table, key);
  return {ints(chain), array::length(chain)};
}

// Makes room so that positions has at least n entries; the entries gained are -1. Growth doubles.
void ensure_positions(NodeId table, int32_t n) {
  NodeId positions = record(table)->positions;
  int32_t have = array::length(positions);
  if (have >= n) return;
  SeriesBuffer* b = buffer_of(positions);
  if (b->head + uint64_t(n) * int_size > b->size) {
    int32_t room = n > have * 2 ? n : have * 2;
    alloc::expand_series_copy(positions, ((room * int_size) + 15) & ~15u);
  }
  array::set_length(positions, n);
  std::memset(ints(positions) + have, 0xFF, (n - have) * int_size);
}

int32_t position_entry(NodeId table, int32_t p) {
  NodeId positions = record(table)->positions;
  return p >= 0 && p < array::length(positions) ? ints(positions)[p] : -1;
}

// Bucket i takes position p beside the equal values it holds, becoming a chain if it held one.
void join(NodeId table, uint32_t i, int32_t p) {
  int32_t key = slots_of(table).at(i).key;
  if (key >= 0) {
    array::append_int(record(table)->chains, 0);  // the slot first, so the chain is linked at once
    int32_t number = array::length(record(table)->chains);
    NodeId chain = array::new_(4, int_size);
    array::poke_int(record(table)->chains, number, static_cast<int32_t>(chain));
    array::append_int(chain, key);
    slots_of(table).at(i).key = -number;
    key = -number;
  }
  array::append_int(chain_of(table, key), p);
  set_position(table, p, static_cast<int32_t>(i) + 1);
}

// Indexes position p without checking bound or epoch. Answers false, indexing nothing, when p
// would need a free bucket and bounded is set and the table is at its bound, or none is free.
bool index_cell(NodeId table, int32_t p, bool bounded) {
  Record* r = record(table);
  Cell v = cells_of(r->values)[p];
  if (r->epoch == 0 && hash::pointer_keyed_q(v)) r->epoch = current_epoch();
  Lookup key = lookup_of(v);
  Slots sl = slots_of(table);
  auto c = probe_insert(sl, key.hash, r->buckets, [&](int32_t at) {
    Cell e = cells_of(r->values)[at >= 0 ? at : ints(chain_of(table, at))[0]];
    return e.type() == v.type() && matches(e, key, cmp::equal);
  });
  if (c.found) {
    join(table, c.at, p);
    return true;
  }
  if (c.at < 0 || (bounded && sl.flag(c.at) == empty && r->occupied >= r->upper)) return false;
  take_free(r, sl, c.at, p, key.hash);
  set_position(table, p, c.at + 1);
  return true;
}

// The accepted position among a bucket's candidates, or -1 (see find in the header).
int32_t pick(NodeId table, Candidates c, const Cell& key, int32_t start, int32_t skip, int op,
             bool last, bool reverse) {
  Cell* cells = cells_of(record(table)->values);
  int32_t best = -1;
  for (int32_t n = 0; n < c.count; ++n) {
    int32_t l = c.first[n];
    if (op != cmp::equal && !same_key(cells[l], key, op)) continue;
    if (reverse) {
      if (l < start && (start - l - 1) % skip == 0 && l > best) best = l;
    } else if (l >= start && (l - start) % skip == 0) {
      if (best < 0 || (last ? l > best : l < best)) best = l;
    }
  }
  return best;
}

// Adds shift to every stored position >= start among the count positions from start; a chain is
// shifted once, whichever of its positions reaches it first.
void shift_stored(NodeId table, int32_t start, int32_t count, int32_t shift) {
  std::vector<bool> done(static_cast<size_t>(array::length(record(table)->chains)) + 1);
  Slots sl = slots_of(table);
  for (int32_t p = start; p < start + count; ++p) {
    int32_t bucket = position_entry(table, p) - 1;
    if (bucket < 0) continue;
    int32_t& key = sl.at(bucket).key;
    if (key >= 0) {
      if (key >= start) key += shift;
      continue;
    }
    if (done[-key]) continue;
    done[-key] = true;
    Candidates c = candidates(table, key);
    int32_t* chain = const_cast<int32_t*>(c.first);
    for (int32_t n = 0; n < c.count; ++n)
      if (chain[n] >= start) chain[n] += shift;
  }
}

// Moves the count entries of the positions array from start by shift; the entries left behind
// become -1.
void move_positions(NodeId table, int32_t start, int32_t count, int32_t shift) {
  ensure_positions(table, start + count + (shift > 0 ? shift : 0));
  int32_t* pos = ints(record(table)->positions);
  std::memmove(pos + start + shift, pos + start, count * int_size);
  if (shift > 0) std::memset(pos + start, 0xFF, shift * int_size);
  else std::memset(pos + start + shift + count, 0xFF, -shift * int_size);
}

}  // namespace

NodeId chain_of(NodeId table, int32_t key) {
  return static_cast<NodeId>(array::pick_int(record(table)->chains, -key));
}

void set_position(NodeId table, int32_t position, int32_t value) {
  ensure_positions(table, position + 1);
  ints(record(table)->positions)[position] = value;
}

int insert_hash(NodeId table, int32_t position) {
  if (check_epoch(table)) return 2;  // rebuilt from the block, this cell included
  if (record(table)->occupied >= record(table)->upper || !index_cell(table, position, true)) {
    grow(table);
    return 2;
  }
  return 0;
}

Cell* find_hash(NodeId table, const Cell& key, int32_t start, int32_t skip, int op, bool last,
                bool reverse) {
  if (skip < 1) skip = 1;
  Record* r = record(table);
  Lookup lookup = lookup_of(key);
  Cell* cells = cells_of(r->values);
  return probe_find(slots_of(table), lookup.hash, r->buckets, [&](int32_t& bucket_key) -> Cell* {
    Candidates c = candidates(table, bucket_key);
    Cell first = cells[c.first[0]];
    if (first.type() != key.type() || !matches(first, lookup, cmp::equal)) return nullptr;
    int32_t at = pick(table, c, key, start, skip, op, last, reverse);
    return at >= 0 ? cells + at : nullptr;
  });
}

void remove_hash(NodeId table, int32_t position) {
  int32_t bucket = position_entry(table, position) - 1;
  if (bucket < 0) return;
  Slots sl = slots_of(table);
  if (sl.flag(bucket) != live) return;
  int32_t key = sl.at(bucket).key;
  bool emptied = key == position;
  if (key < 0) {
    NodeId chain = chain_of(table, key);
    int32_t at = array::find_int(chain, position);
    if (at < 0) return;
    array::remove_at(chain, at, int_size);
    emptied = array::length(chain) == 0;
    if (emptied) array::poke_int(record(table)->chains, -key, 0);
  }
  if (emptied) {
    sl.remove(bucket);
    record(table)->live--;
  }
  ints(record(table)->positions)[position] = -1;
}

void reset_hash(NodeId table) {
  Record* r = record(table);
  r->live = r->occupied = 0;
  r->epoch = 0;
  empty_slots(table);
  array::fill(r->positions, 0xFF);
  array::clear(r->chains);
}

void rebuild_from_block(NodeId table, int32_t request) {
  for (;;) {
    int32_t size = static_cast<int32_t>(request * 1.5);
    int32_t buckets = static_cast<int32_t>(hash::next_pow2(static_cast<uint32_t>(size)));
    if (buckets < 4) buckets = 4;
    renew_array(table, &Record::keys, buckets * slot_size, slot_fill, slot_size);
    int32_t count = cell_count(record(table)->values);
    int32_t room = count > array::length(record(table)->positions) ? count : array::length(record(table)->positions);
    renew_array(table, &Record::positions, room * int_size, 0xFF, int_size);
    Record* r = record(table);
    array::clear(r->chains);
    r->buckets = buckets;
    r->upper = static_cast<int32_t>(buckets * load);
    r->live = r->occupied = 0;
    r->epoch = 0;
    int32_t p = 0;
    while (p < count && index_cell(table, p, true)) ++p;
    if (p == count) break;
    request = request * 2 + 4;  // more distinct values than the request allows for
  }
  if (record(table)->epoch) record(table)->epoch = current_epoch();
}

void remove_range(NodeId table, int32_t position, int32_t n) {
  if (kind_of(table) != Kind::hash) return;
  int32_t count = cell_count(record(table)->values);
  if (position < 0) position = 0;
  if (n > count - position) n = count - position;
  if (n <= 0) return;
  if (position == 0 && n == count) return reset_hash(table);
  for (int32_t p = position; p < position + n; ++p) remove_hash(table, p);
}

int shift_indexes(NodeId table, int32_t shift, int32_t start, int32_t count, bool update) {
  if (count > shift_limit) return 1;
  if (kind_of(table) != Kind::hash || count < 0) return 0;
  if (start < 0) start = 0;
  if (start + shift < 0) shift = -start;  // nothing lies before the block's first cell
  if (shift == 0) return 0;
  if (update && shift < 0)
    for (int32_t p = start + shift; p < start; ++p) remove_hash(table, p);
  shift_stored(table, start, count, shift);
  if (update) move_positions(table, start, count, shift);
  return 0;
}

void move_range(NodeId table, int32_t destination, int32_t source, int32_t count) {
  if (kind_of(table) != Kind::hash || count <= 0 || source < 0 || destination < 0) return;
  if (destination >= source && destination < source + count) return;
  bool back = destination < source;
  int32_t lo = back ? destination : source;
  int32_t hi = back ? source + count : destination + 1;
  int32_t moved_by = back ? destination - source : destination - source - count + 1;
  auto moved = [&](int32_t p) {
    if (p < lo || p >= hi) return p;
    if (p >= source && p < source + count) return p + moved_by;
    return back ? p + count : p - count;
  };
  ensure_positions(table, hi);
  int32_t* pos = ints(record(table)->positions);
  std::vector<int32_t> old(pos + lo, pos + hi);
  std::vector<bool> done(static_cast<size_t>(array::length(record(table)->chains)) + 1);
  Slots sl = slots_of(table);
  for (int32_t entry : old) {
    int32_t bucket = entry - 1;
    if (bucket < 0) continue;
    int32_t& key = sl.at(bucket).key;
    if (key >= 0) {
      key = moved(key);
    } else if (!done[-key]) {
      done[-key] = true;
      Candidates c = candidates(table, key);
      int32_t* chain = const_cast<int32_t*>(c.first);
      for (int32_t n = 0; n < c.count; ++n) chain[n] = moved(chain[n]);
    }
  }
  for (int32_t p = lo; p < hi; ++p) pos[moved(p)] = old[p - lo];
}

}  // namespace vyn::hashtable
