// core/hashtable_records.cpp: record tables, keyed by a 32-bit key (a node), and the weak sweep
// of the owners table.
//
// A record is a key cell followed by its value cells, in the values series; the bucket keys hold
// byte offsets of records. The key cell has header 2 (unset!) while the record is live, 0 once it
// is removed, and the key in its first payload word.
#include <cstring>

#include "core/hash.hpp"
#include "core/hashtable_internal.hpp"
#include "core/typed_array.hpp"
#include "core/stack.hpp"

namespace vyn::hashtable {
namespace {

constexpr uint32_t live_record = static_cast<uint32_t>(Type::unset);
constexpr uint32_t owner_cell = 2;  // weak tables: the owner object's place in its record

uint32_t width_of(NodeId table) { return record(table)->positions; }

Cell* record_at(NodeId table, int32_t offset) {
  return reinterpret_cast<Cell*>(buffer_of(record(table)->values)->data() + offset);
}

// What put_key and its kin answer for a record: its first value cell, or the key cell when
// records have no value cells.
Cell* answer(NodeId table, Cell* key_cell) {
  return width_of(table) > sizeof(Cell) ? key_cell + 1 : key_cell;
}

// The bucket of a live record of the key, or -1. Never allocates.
int32_t bucket_of(NodeId table, uint32_t key) {
  Record* r = record(table);
  Buckets bk = buckets_of(table);
  Probe probe(hash::int_(key), r->buckets);
  do {
    uint32_t f = bk.flag(probe.at());
    if (f == empty) return -1;
    if (f == live && record_key(*record_at(table, bk.keys[probe.at()])) == key)
      return static_cast<int32_t>(probe.at());
  } while (probe.next());
  return -1;
}

// A record for an absent key: in a deleted bucket's old record when the probe meets one first,
// else appended to the values series (which may allocate). Answers its key cell.
Cell* add_record(NodeId table, uint32_t key) {
  Record* r = record(table);
  Buckets bk = buckets_of(table);
  Probe probe(hash::int_(key), r->buckets);
  while (bk.flag(probe.at()) == live && probe.next()) {}
  uint32_t i = probe.at();
  bool reuse = bk.flag(i) == deleted;
  int32_t offset = bk.keys[i];
  if (!reuse) {
    NodeId values = r->values;
    SeriesBuffer* b = buffer_of(values);
    uint32_t width = width_of(table);
    if (b->tail + width > b->size) b = alloc::expand_series_copy(values, (b->tail + width) * 2);
    offset = static_cast<int32_t>(b->tail);
    b->tail += width;
    record(table)->occupied++;
  }
  record(table)->live++;
  bk = buckets_of(table);
  bk.set(i, live);
  bk.keys[i] = offset;
  Cell* cells = record_at(table, offset);
  for (uint32_t n = 0; n < width_of(table) / sizeof(Cell); ++n) cells[n] = make_unset();
  set_record_key(cells[0], key);
  return cells;
}

void drop(NodeId table, int32_t bucket) {
  Buckets bk = buckets_of(table);
  record_at(table, bk.keys[bucket])->header = 0;
  bk.set(static_cast<uint32_t>(bucket), deleted);
  record(table)->live--;
}

}  // namespace

Cell* put_key(NodeId table, uint32_t key) {
  check_epoch(table);
  int32_t bucket = bucket_of(table, key);
  if (bucket >= 0) return answer(table, record_at(table, buckets_of(table).keys[bucket]));
  if (record(table)->occupied >= record(table)->upper) grow(table);
  return answer(table, add_record(table, key));
}

Cell* get_key(NodeId table, uint32_t key) {
  check_epoch(table);
  int32_t bucket = bucket_of(table, key);
  return bucket < 0 ? nullptr : answer(table, record_at(table, buckets_of(table).keys[bucket]));
}

Cell* remove_key(NodeId table, uint32_t key) {
  check_epoch(table);
  int32_t bucket = bucket_of(table, key);
  if (bucket < 0) return nullptr;
  Cell* key_cell = record_at(table, buckets_of(table).keys[bucket]);
  drop(table, bucket);
  return answer(table, key_cell);
}

// The live records, in their order, move to a new series through the put path.
void rebuild_records(NodeId table, int32_t request) {
  Record* r = record(table);
  int32_t size = request < 4 ? 4 : static_cast<int32_t>(hash::next_pow2(static_cast<uint32_t>(request)));
  while (static_cast<int32_t>(size * load + 0.5) <= r->live) size *= 2;
  uint32_t width = width_of(table);
  int32_t records = r->live;
  stack::Mark mark;
  Cell* old = stack::push(make_series(Type::block, r->values));  // its cells until copied
  renew_array(table, &Record::flags, flag_bytes(size), all_empty, 1);
  renew_array(table, &Record::keys, size * sizeof(int32_t), 0, sizeof(int32_t));
  NodeId fresh = alloc::new_cells(static_cast<uint32_t>((records ? records : 1) * width / sizeof(Cell)));
  r = record(table);
  r->values = fresh;
  r->buckets = size;
  r->upper = static_cast<int32_t>(size * load + 0.5);
  r->live = r->occupied = 0;
  for (uint32_t at = 0; at + width <= buffer_of(series_node(*old))->tail; at += width) {
    Cell* from = reinterpret_cast<Cell*>(buffer_of(series_node(*old))->data() + at);
    if (from->header != live_record) continue;
    Cell* to = add_record(table, record_key(*from));
    from = reinterpret_cast<Cell*>(buffer_of(series_node(*old))->data() + at);
    std::memcpy(to + 1, from + 1, width - sizeof(Cell));
  }
  record(table)->epoch = current_epoch();
}

// Every live record is put back in the buckets from its key word, as after nodes moved.
void rehash_records(NodeId table) {
  Record* r = record(table);
  array::fill(r->flags, all_empty);
  r->live = r->occupied = 0;
  uint32_t width = width_of(table);
  SeriesBuffer* b = buffer_of(r->values);
  Buckets bk = buckets_of(table);
  for (uint32_t at = 0; at + width <= b->tail; at += width) {
    const Cell* key_cell = reinterpret_cast<const Cell*>(b->data() + at);
    if (key_cell->header != live_record) continue;
    Probe probe(hash::int_(record_key(*key_cell)), r->buckets);
    while (bk.flag(probe.at()) != empty && probe.next()) {}
    bk.set(probe.at(), live);
    bk.keys[probe.at()] = static_cast<int32_t>(at);
    r->live++;
    r->occupied++;
  }
  r->epoch = current_epoch();
}

void sweep_weak(NodeId table, Marker& m) {
  Record* r = record(table);
  bool weak = r->kind == static_cast<int32_t>(Kind::weak_records);
  uint32_t cells = width_of(table) / sizeof(Cell);
  Buckets bk = buckets_of(table);
  for (uint32_t i = 0; i < static_cast<uint32_t>(r->buckets); ++i) {
    if (bk.flag(i) != live) continue;
    Cell* rec = record_at(table, bk.keys[i]);
    NodeId key = record_key(rec[0]);
    bool dead = !m.marked(key);
    if (!dead && weak && cells > owner_cell) {
      NodeId context = owner_context(rec[owner_cell]);
      dead = !context || !m.marked(context);
      set_owner_context(rec[owner_cell], context);
    }
    set_record_key(rec[0], key);
    if (dead) {
      drop(table, static_cast<int32_t>(i));
      continue;
    }
    m.cells(rec + 1, rec + cells);
  }
}

}  // namespace vyn::hashtable
