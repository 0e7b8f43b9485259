// core/hashtable_mark.cpp: what the collector marks of a table.
#include "core/hashtable_internal.hpp"
#include "core/typed_array.hpp"

namespace vyn::hashtable {
namespace {

void mark_chains(Record* r, Marker& m) {
  if (!r->chains) return;
  m.series(r->chains);
  int32_t count = array::length(r->chains);
  for (int32_t n = 1; n <= count; ++n) {
    NodeId chain = static_cast<NodeId>(array::pick_int(r->chains, n));
    if (!chain) continue;
    m.series(chain);
    array::poke_int(r->chains, n, static_cast<int32_t>(chain));
  }
}

// A strong record table keeps its keys' series alive, and what those series hold.
void mark_record_keys(Record* r, Marker& m) {
  SeriesBuffer* b = buffer_of(r->values);
  for (uint32_t at = 0; at + r->positions <= b->tail; at += r->positions) {
    Cell* key_cell = reinterpret_cast<Cell*>(b->data() + at);
    if (key_cell->header != static_cast<uint32_t>(Type::unset) || !record_key(*key_cell)) continue;
    NodeId key = record_key(*key_cell);
    m.block(key);  // the node may be relocated: the collector reads its buffer, not this
    set_record_key(*key_cell, key);
  }
}

void mark_field(NodeId& node, Marker& m) {
  if (node) m.series(node);
}

}  // namespace

// Marking moves no buffer, so the record's address holds throughout; a node is read only after
// the marker has brought it up to date.
void mark(NodeId& table, Marker& m) {
  if (!table) return;
  m.series(table);
  Record* r = record(table);
  Kind kind = static_cast<Kind>(r->kind);
  if (kind == Kind::hash) {
    mark_field(r->positions, m);
    mark_chains(r, m);
  }
  mark_field(r->flags, m);
  mark_field(r->keys, m);  // for kinds 0-2 the stored hashes too: they share the keys array
  if (!r->values) return;
  // a weak table's records are left to sweep_weak, which keeps only those whose key lives
  if (kind == Kind::weak_records) m.series(r->values);
  else m.block(r->values);
  if (kind == Kind::records) mark_record_keys(r, m);  // after the values node is brought up to date
}

}  // namespace vyn::hashtable
