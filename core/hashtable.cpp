// core/hashtable.cpp: making, filling, searching, copying and clearing hash tables.
#include "core/hashtable.hpp"

#include <cassert>
#include <cstring>
#include <initializer_list>

#include "core/gc.hpp"
#include "core/hash.hpp"
#include "core/hashtable_compare.hpp"
#include "core/hashtable_internal.hpp"
#include "core/typed_array.hpp"
#include "core/stack.hpp"
#include "core/compare_ops.hpp"

namespace vyn::hashtable {
namespace {

constexpr uint32_t int_size = sizeof(int32_t);

bool is_word(Type t) {
  return t == Type::word || t == Type::set_word || t == Type::lit_word || t == Type::get_word;
}

// A new values series: records for kinds 3 and 4, else a block of n cells.
NodeId new_values(int32_t n, Kind kind, int32_t extra) {
  bool records = kind == Kind::records || kind == Kind::weak_records;
  return alloc::new_cells(static_cast<uint32_t>(records ? n * (extra + 1) : n));
}

// The record of a new table over values, rooted on the value stack by the caller's mark.
NodeId new_record(NodeId values, Kind kind, int32_t n) {
  NodeId table = alloc::new_bytes(sizeof(Record));
  SeriesBuffer* b = buffer_of(table);
  std::memset(b->data(), 0, b->size);
  b->tail = b->head + sizeof(Record);
  Record* r = record(table);
  r->values = values;
  r->kind = static_cast<int32_t>(kind);
  r->buckets = buckets_for(n);
  r->upper = static_cast<int32_t>(r->buckets * load);
  hold(table);
  return table;
}

// The table of a context made from another: a copy over a copy of its word block.
NodeId copy_word_table(Cell context) {
  stack::Mark mark;
  Cell* source = stack::push(context);
  NodeId words = record(source->w1)->values;
  Cell* block = stack::push(make_series(Type::block, alloc::copy_series(words)));
  return copy(source->w1, series_node(*block));
}

// The live entry of a kind 1 or 2 table that matches key under op, or nullptr. Never allocates.
// A wide bucket whose tag is the key's answers without the entry's cell being read.
Cell* find_unique(const Record* r, const Cell& key_cell, int op, uint32_t* hash = nullptr) {
  Lookup key = lookup_of(key_cell);
  if (hash) *hash = key.hash;
  Cell* cells = cells_of(r->values);
  Slots sl = slots_of(r);
  Tag tag = sl.wide() && op != cmp::same ? key.tag : Tag{};
  return probe_find(sl, key.hash, r->buckets, [&](int32_t at, uint32_t i) -> Cell* {
    Cell* e = cells + at;
    if (tag && sl.tag(i) == tag) return e;
    return e->type() == key_cell.type() && matches(*e, key, op) ? e : nullptr;
  });
}

// Kind 1: indexes the key of the pair at p, or folds the pair into an earlier equal key (which
// takes its value, the pair leaving the block) and answers true.
bool put_pair(NodeId table, int32_t p) {
  Cell* found = insert_unique(table, p);
  if (!found) return false;
  NodeId values = record(table)->values;
  Cell* cells = cells_of(values);
  found[1] = cells[p + 1];
  SeriesBuffer* b = buffer_of(values);
  std::memmove(cells + p, cells + p + 2, b->tail - (p + 2) * sizeof(Cell));
  b->tail -= 2 * sizeof(Cell);
  return true;
}

void make_room(NodeId table) {
  if (record(table)->occupied >= record(table)->upper) grow(table);
}

// Indexes the cell at position p of a kind 1 or 2 table, which the key describes, unless a strictly
// equal key is indexed already: answers that key's cell then, else nullptr.
Cell* insert_key(NodeId table, int32_t p, const Lookup& key) {
  Record* r = record(table);
  Slots sl = slots_of(r);
  auto c = probe_insert(sl, key.hash, r->buckets, [&](int32_t at) -> Cell* {
    Cell* e = cells_of(r->values) + at;
    return e->type() == key.cell.type() && matches(*e, key, cmp::strict_equal) ? e : nullptr;
  });
  if (c.found) return c.found;
  if (c.at < 0) {  // no free bucket: the bound keeps this from happening
    uint32_t h = key.hash;  // the key's bytes may move with the rebuild
    resize(table, r->buckets + 1);
    return insert_unique(table, p, h);
  }
  take_free(r, sl, c.at, p, key.hash, sl.wide() ? key.tag : Tag{});
  return nullptr;
}

}  // namespace

Cell* insert_unique(NodeId table, int32_t p, uint32_t hash) {
  make_room(table);
  Cell key = cells_of(record(table)->values)[p];
  return insert_key(table, p, Lookup{key, hash, nullptr, 0, text_tag(key)});
}

Cell* insert_unique(NodeId table, int32_t p) {
  make_room(table);
  return insert_key(table, p, lookup_of(cells_of(record(table)->values)[p]));
}

Record* record(NodeId table) { return reinterpret_cast<Record*>(buffer_of(table)->data()); }

Buckets buckets_of(NodeId table) { return buckets_of(record(table)); }

Buckets buckets_of(const Record* r) {
  return {reinterpret_cast<uint32_t*>(buffer_of(r->flags)->data()),
          reinterpret_cast<int32_t*>(buffer_of(r->keys)->data()),
          static_cast<uint32_t>(r->buckets - 1)};
}

Slots slots_of(NodeId table) { return slots_of(record(table)); }

Slots slots_of(const Record* r) {
  uint32_t stride = wide_buckets(r->kind, r->buckets) ? wide_slot_size : slot_size;
  assert(buffer_of(r->keys)->used() == r->buckets * stride && "the keys array fits the bucket width");
  return {buffer_of(r->keys)->data(), static_cast<uint32_t>(r->buckets - 1), stride};
}

void empty_slots(NodeId table) { array::fill(record(table)->keys, slot_fill); }

uint32_t current_epoch() { return gc::stats().cycles + 1; }

int32_t buckets_for(int32_t n) {
  if (n < 4) n = 4;
  return static_cast<int32_t>(hash::next_pow2(static_cast<uint32_t>(n / load)));
}

Cell* hold(NodeId table) { return stack::push(make_series(Type::map, record(table)->values, 0, table)); }

bool same_key(const Cell& a, const Cell& b, int op) {
  return (op != cmp::same && identical_latin1(a, b)) || compare_cells(a, b, op) == 0;
}

void renew_array(NodeId table, NodeId Record::*field, uint32_t bytes, uint8_t byte, uint32_t unit) {
  NodeId node = record(table)->*field;
  // a big array grows in its own frame: no new frame, and the pages it has are not faulted again
  if (node && buffer_of(node)->size < bytes && (buffer_of(node)->flags & SeriesBuffer::big))
    alloc::expand_series_copy(node, (bytes + 15) & ~15u);
  if (node && buffer_of(node)->size >= bytes) {
    array::fill(node, byte);
    buffer_of(node)->tail = buffer_of(node)->head + bytes;
    return;
  }
  NodeId fresh = array::new_filled(bytes, byte, unit);
  record(table)->*field = fresh;
}

NodeId new_(int32_t n, Cell source, Kind kind, int32_t extra) {
  if (kind == Kind::symbols && extra == 2 && source.is(Type::context)) return copy_word_table(source);
  if (kind == Kind::symbols && n >= 4000) n *= 2;
  if (n < 4) n = 4;
  bool indexed = kind <= Kind::symbols && !source.is(Type::none_);
  stack::Mark mark;
  Cell* values = stack::push(source);
  if (!indexed) *values = make_series(Type::block, new_values(n, kind, extra));
  NodeId table = new_record(series_node(*values), kind, n);
  bool records = kind == Kind::records || kind == Kind::weak_records;
  // the record width first: a collection while the arrays are made walks the records by it
  if (records) record(table)->positions = static_cast<uint32_t>(sizeof(Cell) * (extra + 1));
  int32_t buckets = record(table)->buckets;
  if (records) {
    renew_array(table, &Record::flags, flag_bytes(buckets), all_empty, 1);
    renew_array(table, &Record::keys, buckets * int_size, 0, int_size);
  } else {
    renew_array(table, &Record::keys, bucket_bytes(record(table)->kind, buckets), slot_fill, slot_size);
  }
  if (kind == Kind::hash) {
    renew_array(table, &Record::positions, n * int_size, 0xFF, int_size);
    renew_array(table, &Record::chains, 0, 0, int_size);
  }
  if (records) record(table)->epoch = current_epoch();
  if (indexed) copy_into(table, *values);
  return table;
}

void copy_into(NodeId table, Cell source) {
  assert(series_node(source) == record(table)->values && "the source is the table's own block");
  int32_t start = series_head(source) < 0 ? 0 : series_head(source);
  copy_into(table, start, kind_of(table) == Kind::map ? 2 : 1);
}

void copy_into(NodeId table, int32_t start, int32_t step) {
  if (step < 1) step = 1;
  for (int32_t p = start; p < cell_count(record(table)->values);) {
    if (step == 2) {
      if (p + 1 >= cell_count(record(table)->values)) return;  // a key without a value
      if (put_pair(table, p)) continue;
    } else {
      int status;
      put_value(table, cells_of(record(table)->values) + p, status);
      if (status == 2) return;  // rebuilt from the whole block: every cell is indexed
    }
    p += step;
  }
}

Cell* put(NodeId table, Cell* cell) {
  int status;
  return put_value(table, cell, status);
}

Cell* put_value(NodeId table, Cell* cell, int& status) {
  NodeId values = record(table)->values;
  int32_t p = static_cast<int32_t>(cell - cells_of(values));
  assert(p >= 0 && p < cell_count(values) && "the cell stands in the table's block");
  status = 0;
  switch (kind_of(table)) {
    case Kind::hash: status = insert_hash(table, p); break;
    case Kind::map: case Kind::symbols: insert_unique(table, p); break;
    default: break;  // record tables are filled through put_key
  }
  return cells_of(values) + p;
}

// The key is copied first: it may lie in a buffer that a rebuild moves.
Cell* find(NodeId table, const Cell& key_ref, int32_t start, int32_t skip, int op, bool last,
           bool reverse) {
  Cell key = key_ref;
  const Record* r = record(table);
  switch (static_cast<Kind>(r->kind)) {
    case Kind::hash:
      check_epoch(table);
      return find_hash(table, key, start, skip, op, last, reverse);
    case Kind::map:
      if (is_word(key.type())) key.set_type(Type::set_word);  // map! keys are set-words
      return find_unique(r, key, op);
    case Kind::symbols: return find_unique(r, key, op);
    default: return nullptr;  // record tables are searched through get_key
  }
}

Cell* find_unique(NodeId table, const Cell& key_ref, int op, uint32_t& hash) {
  Cell key = key_ref;
  const Record* r = record(table);
  assert(r->kind == static_cast<int32_t>(Kind::map) || r->kind == static_cast<int32_t>(Kind::symbols));
  if (r->kind == static_cast<int32_t>(Kind::map) && is_word(key.type())) key.set_type(Type::set_word);
  return find_unique(r, key, op, &hash);
}

Cell* put_hashed(NodeId table, Cell* cell, uint32_t hash) {
  NodeId values = record(table)->values;
  int32_t p = static_cast<int32_t>(cell - cells_of(values));
  assert(p >= 0 && p < cell_count(values) && "the cell stands in the table's block");
  assert(hash == lookup_of(*cell).hash && "the hash is the key's");
  insert_unique(table, p, hash);
  return cells_of(values) + p;
}

Cell* find_next(NodeId table, const Cell& key, Cursor& cursor) {
  Record* r = record(table);
  if (r->kind > static_cast<int32_t>(Kind::symbols)) return nullptr;
  Cell probe = key;
  if (r->kind == static_cast<int32_t>(Kind::map) && is_word(probe.type())) probe.set_type(Type::set_word);
  uint32_t mask = static_cast<uint32_t>(r->buckets - 1);
  Lookup lookup = lookup_of(probe);
  if (cursor.bucket < 0) {
    cursor.end = static_cast<int32_t>(lookup.hash & mask);
    cursor.bucket = cursor.end;
    cursor.probes = 0;
  } else {
    if (++cursor.probes >= r->buckets) return nullptr;
    cursor.bucket = static_cast<int32_t>((cursor.bucket + cursor.probes) & mask);
  }
  Slots sl = slots_of(table);
  Cell* cells = cells_of(r->values);
  for (;;) {
    const Slot& s = sl.at(cursor.bucket);
    uint32_t f = sl.flag(cursor.bucket);
    if (f == empty) return nullptr;
    if (f == live && s.hash == lookup.hash) {
      Cell* e = cells + (s.key >= 0 ? s.key : array::pick_int(chain_of(table, s.key), 1));
      if (e->type() == probe.type() && matches(*e, lookup, cmp::equal)) return e;
    }
    if (++cursor.probes >= r->buckets) return nullptr;
    cursor.bucket = static_cast<int32_t>((cursor.bucket + cursor.probes) & mask);
  }
}

void remove_at(NodeId table, Cell* cell) {
  remove_position(table, static_cast<int32_t>(cell - cells_of(record(table)->values)));
}

void remove_position(NodeId table, int32_t position) {
  Record* r = record(table);
  if (r->kind == static_cast<int32_t>(Kind::hash)) return remove_hash(table, position);
  if (r->kind != static_cast<int32_t>(Kind::map)) return;
  if (position < 0 || position + 1 >= cell_count(r->values)) return;
  Cell& value = cells_of(r->values)[position + 1];
  if (value.header == 0) return;  // removed already
  value.header = 0;
  r->live--;
}

NodeId copy(NodeId table, NodeId block) {
  stack::Mark mark;
  stack::push(make_series(Type::block, block));
  NodeId fresh = array::copy(table);
  record(fresh)->values = block;
  hold(fresh);
  bool hash_kind = kind_of(table) == Kind::hash;
  for (NodeId Record::*f : {&Record::flags, &Record::keys, &Record::positions, &Record::chains}) {
    if (!(record(table)->*f) || (!hash_kind && (f == &Record::positions || f == &Record::chains))) continue;
    NodeId c = array::copy(record(table)->*f);
    record(fresh)->*f = c;
  }
  if (!hash_kind) return fresh;
  for (int32_t n = 1; n <= array::length(record(fresh)->chains); ++n) {
    NodeId chain = static_cast<NodeId>(array::pick_int(record(fresh)->chains, n));
    if (!chain) continue;
    NodeId c = array::copy(chain);
    array::poke_int(record(fresh)->chains, n, static_cast<int32_t>(c));
  }
  return fresh;
}

void clear(NodeId table) {
  Record* r = record(table);
  r->live = r->occupied = 0;
  if (r->kind > static_cast<int32_t>(Kind::symbols)) array::fill(r->flags, all_empty);
  else empty_slots(table);
  array::clear(r->values);
  if (r->kind == static_cast<int32_t>(Kind::hash)) {
    array::fill(r->positions, 0xFF);
    array::clear(r->chains);
    r->epoch = 0;
  }
}

void noop(Cell*) {}

}  // namespace vyn::hashtable
