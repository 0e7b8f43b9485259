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

// The id of the first live entry along the probe whose spelling matches the name (ASCII case
// folded with fold), or 0. Never allocates.
uint32_t search(NodeId table, uint32_t h, const std::string& name, bool fold) {
  hashtable::Record* r = hashtable::record(table);
  Slots sl = hashtable::slots_of(table);
  const Cell* cells = hashtable::cells_of(r->values);
  const auto* bytes = reinterpret_cast<const uint8_t*>(name.data());
  return hashtable::probe_find(sl, h, r->buckets, [&](int32_t at) -> uint32_t {
    SeriesBuffer* spelling = buffer_of(symbol::entry_utf8(cells[at]));
    if (spelling->used() != name.size() ||
        hashtable::compare_keys(spelling->head_ptr(), bytes, spelling->used(), !fold) != 0)
      return 0;
    return static_cast<uint32_t>(at) + 1;
  });
}

// The alias a new spelling takes: the canonical id among its case variants, or -1. Resolving the
// variant found keeps every alias canonical, whatever order rebuilds leave the variants in.
int32_t alias_for(NodeId table, uint32_t h, const std::string& name) {
  uint32_t variant = search(table, h, name, true);
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
  uint32_t h = hash::murmur3(hashtable::key_buffer(bytes, length), length);
  if (uint32_t id = search(table, h, name, fold_only)) return id;
  int32_t alias = fold_only ? -1 : alias_for(table, h, name);
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
