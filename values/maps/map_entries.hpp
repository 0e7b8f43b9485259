// values/maps/map_entries.hpp: map!'s action entries, defined across the map_*.cpp files and
// registered by map::install, and the helpers those files share.
//
// Positions are cell indexes into the entry block: a key at p, its value at p + 1. Addresses
// into the block are good until the next allocation.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "values/action_sigs.hpp"
#include "values/maps/map.hpp"

namespace vyn::map {

inline Cell* entries(const Cell& m) { return reinterpret_cast<Cell*>(buffer_of(block_node(m))->data()); }
inline int32_t cells_total(const Cell& m) { return static_cast<int32_t>(buffer_of(block_node(m))->tail / sizeof(Cell)); }

inline bool present(const Cell& m, int32_t key) { return entries(m)[key + 1].header != 0; }

inline bool is_word_key(Type t) {
  return t == Type::word || t == Type::set_word || t == Type::lit_word || t == Type::get_word;
}
// The comparison op of a lookup: same? with same, strict-equal? with case_, else equal?.
int lookup_op(bool case_, bool same);
// The position of the key matching key under op, absent pairs included, or -1. Never allocates.
int32_t find_key(const Cell& m, const Cell& key, int op);
// Raises script/invalid-path (path, the key's datatype) unless the key's type may be a key.
void check_key(const Cell& key, const Cell& path);
// Normalises a key held on the value stack; path names the failing path in the error.
void normalise(Cell* key, const Cell& path);
// Stores value under key (both held on the value stack): looked up under op, a missing key is
// normalised and appended, an absent pair revived. Answers the key's position.
int32_t store(const Cell& m, Cell* key, const Cell& value, int op, const Cell& path);
// The key as scripts see it: with as_word a set-word! as a word!; a text or binary key as a fresh
// copy, so that changing it never touches the map. Pushes it on the value stack.
Cell* push_key_out(const Cell& key, bool as_word);
// make_at with a table sized for at least size entries.
Cell* make_at(Cell* cell, Cell block, int32_t size);

Cell* make(Cell* proto, Cell* spec, Type type);
Cell* to(Cell* proto, Cell* spec, Type type);
Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types);
Cell* reflect(Cell* value, Cell* field);
int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step);
int compare(Cell* a, Cell* b, int op);
Cell* clear(Cell* series);
Cell* find(Cell* series, Cell* value, const FindOptions& o);
int32_t length_q(Cell* series);
Cell* put(Cell* series, Cell* key, Cell* value, bool case_);
Cell* remove(Cell* series, Cell* part, Cell* key);
Cell* select(Cell* series, Cell* value, const FindOptions& o);

}  // namespace vyn::map
