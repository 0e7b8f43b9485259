// core/hashtable_compare.hpp: how the hash tables compare two keys of the same type.
//
// Through the datatype's comparison entry when it has one. STOPGAP: for the datatypes that do not
// register a comparison entry yet (the text types, binary!, the word types, symbol!, integer!,
// char!, the block types and the rest), a minimal comparison of the tables' own that agrees with
// their hashes: text by code point (folded to upper case but for strict-equal and same), words by
// symbol id (canonical but for strict-equal and same), series by node and head, anything else by
// its payload words. It answers -1, 0 or 1, and serves only equality lookups; the real entries
// replace it type by type as they are registered.
#pragma once

#include "core/cell.hpp"

namespace vyn::hashtable {

// -1, 0 or 1 (0: the two match under op), or -2 when they cannot be compared.
int compare_cells(const Cell& a, const Cell& b, int op);

// A datatype's comparison entry, or nullptr when it has none. The datatypes live above core:
// values/ hands over the lookup at start-up; until then every type takes the stopgap.
using CompareEntry = int (*)(Cell* a, Cell* b, int op);
using CompareLookup = CompareEntry (*)(Type t);
void set_compare_lookup(CompareLookup lookup);

}  // namespace vyn::hashtable
