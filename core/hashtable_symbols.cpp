// core/hashtable_symbols.cpp: interning names in the symbol table and finding symbols in the word
// tables of contexts.
#include "core/hashtable_symbols.hpp"

#include <cstring>
#include <string>

#include "core/hash.hpp"
#include "core/hashtable.hpp"
#include "core/hashtable_internal.hpp"
#include "core/runtime_cells.hpp"
#include "core/stack.hpp"
#include "core/word_cell.hpp"

namespace vyn::symbol {
namespace {

using hashtable::Slots;

// A new cell at the tail of a block's buffer (its node), growing the buffer when full; good until
// the next allocation.
Cell* alloc_tail(NodeId node) {
  SeriesBuffer* buf = buffer_of(node);
  if (buf->tail + sizeof(Cell) > buf->size) buf = alloc::expand_series_copy(node, 0);
  Cell* c = reinterpret_cast<Cell*>(buf->tail_ptr());
  *c = make_unset();
  buf->tail += sizeof(Cell);
  return c;
}

// What one walk along the probe finds for a spelling: the first live entry that matches it exactly
// and the first that matches it with ASCII case folded (0 when none). Every case variant has the
// same hash, so one walk finds both. With fold_only the walk stops at the first variant. Never
// allocates.
struct Found {
  uint32_t exact = 0;
  uint32_t variant = 0;
};

Found search(NodeId table, uint32_t h, const std::string& name, bool fold_only) {
  hashtable::Record* r = hashtable::record(table);
  Slots sl = hashtable::slots_of(table);
  const Cell* cells = hashtable::cells_of(r->values);
  const auto* bytes = reinterpret_cast<const uint8_t*>(name.data());
  Found found;
  hashtable::probe_find(sl, h, r->buckets, [&](int32_t at) -> bool {
    SeriesBuffer* spelling = buffer_of(symbol::entry_utf8(cells[at]));
    if (spelling->used() != name.size() ||
        hashtable::compare_keys(spelling->head_ptr(), bytes, spelling->used(), false) != 0)
      return false;
    uint32_t id = static_cast<uint32_t>(at) + 1;
    if (!found.variant) found.variant = id;
    if (fold_only) return true;
    if (std::memcmp(spelling->head_ptr(), bytes, name.size()) != 0) return false;
    found.exact = id;
    return true;
  });
  return found;
}

// The hash of a spelling with ASCII letters lowered, as key_buffer lowers them; a short one is
// lowered on the stack.
uint32_t spelling_hash(const uint8_t* bytes, uint32_t length) {
  uint8_t local[64];
  if (length > sizeof local) return hash::murmur3(hashtable::key_buffer(bytes, length), length);
  for (uint32_t i = 0; i < length; ++i) {
    uint8_t c = bytes[i];
    local[i] = static_cast<uint8_t>(c - 'A') < 26 ? static_cast<uint8_t>(c + 32) : c;
  }
  return hash::murmur3(local, length);
}

// The alias a new spelling takes: the canonical id among its case variants, or -1. Resolving the
// variant found keeps every alias canonical, whatever order rebuilds leave the variants in.
int32_t alias_for(NodeId table, uint32_t variant) {
  if (!variant) return -1;
  int32_t alias = symbol::entry_alias(hashtable::cells_of(hashtable::record(table)->values)[variant - 1]);
  return alias > 0 ? alias : static_cast<int32_t>(variant);
}

}  // namespace

NodeId table() { return runtime_cells().symbols; }

uint32_t resolve(uint32_t id) {
  if (id == 0) return id;
  SeriesBuffer* b = buffer_of(hashtable::record(table())->values);
  if (id > b->used() / sizeof(Cell)) return id;
  int32_t alias = symbol::entry_alias(reinterpret_cast<const Cell*>(b->data())[id - 1]);
  return alias > 0 ? static_cast<uint32_t>(alias) : id;
}

uint32_t find(NodeId table, const uint8_t* bytes, uint32_t length, bool fold_only) {
  std::string name(reinterpret_cast<const char*>(bytes), length);
  uint32_t h = spelling_hash(bytes, length);
  Found found = search(table, h, name, fold_only);
  if (fold_only && found.variant) return found.variant;
  if (found.exact) return found.exact;
  int32_t alias = fold_only ? -1 : alias_for(table, found.variant);
  stack::Mark mark;
  NodeId utf8 = alloc::new_bytes(length + 1);
  stack::push(make_series(Type::binary, utf8));
  SeriesBuffer* b = buffer_of(utf8);
  if (length) std::memcpy(b->data(), name.data(), length);
  b->data()[length] = 0;  // a terminator for the platform, not counted
  b->tail = length;
  NodeId symbols = hashtable::record(table)->values;
  *alloc_tail(symbols) = symbol::make_entry(alias, utf8);
  int32_t index = hashtable::cell_count(symbols) - 1;
  hashtable::insert_unique(table, index, h);  // the hash made above: the spelling is not read again
  return static_cast<uint32_t>(index) + 1;
}

int32_t find_id(NodeId table, uint32_t id, bool fold, NodeId context, int32_t* out_index) {
  uint32_t canonical = hash::canonical_symbol(id);
  hashtable::Record* r = hashtable::record(table);
  uint32_t h = hash::int_(canonical);
  Slots sl = hashtable::slots_of(table);
  const Cell* cells = hashtable::cells_of(r->values);
  const Cell* found = hashtable::probe_find(sl, h, r->buckets, [&](int32_t at) -> const Cell* {
    const Cell& w = cells[at];
    return (fold ? hash::canonical_symbol(word::symbol(w)) == canonical : word::symbol(w) == id) ? &w : nullptr;
  });
  if (found) return word::index(*found);
  if (!context) return -1;
  int32_t index = hashtable::cell_count(r->values);
  Cell* entry = alloc_tail(r->values);
  *entry = word::make(Type::word, id, context, index);
  hashtable::insert_unique(table, index, h);
  if (out_index) *out_index = index;
  return -1;
}

}  // namespace vyn::symbol
