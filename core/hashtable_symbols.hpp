// core/hashtable_symbols.hpp: lookups in symbol-keyed tables: interning a name in the symbol
// table, and finding or adding a symbol in a context's word table.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::symbol {

// The one symbol table: core/runtime_cells.hpp holds it, values/words/symbol.hpp fills it.
NodeId table();
// The canonical id: the alias when it has one, else the id. Never allocates.
uint32_t resolve(uint32_t id);

// The id (1-based) of the name in a symbol table, interning it when absent. A name is found byte
// for byte, or, with fold_only, with ASCII letter case folded only; without fold_only a name new
// byte for byte that matches an entry with case folded becomes a new entry whose alias id is that
// entry's id (-1 otherwise). May allocate; the bytes may lie in a buffer that moves.
uint32_t find(NodeId table, const uint8_t* bytes, uint32_t length, bool fold_only);

// The index of the symbol in a word table (by canonical id with fold), or -1. With a context node
// an absent symbol is added as a word! bound to it at the next index, which goes to *out_index
// (the answer stays -1). May allocate when it adds.
int32_t find_id(NodeId table, uint32_t id, bool fold, NodeId context, int32_t* out_index);

}  // namespace vyn::symbol
