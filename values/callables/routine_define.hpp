// values/callables/routine_define.hpp: making a routine! from its spec text and C++ body, and
// binding its word, for start-up and for the datatypes and layers that bring routines of their own.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/callables/routine.hpp"

namespace vyn::routine {

// Pushes the block that spec text scans to.
Cell* push_spec(const char* spec_text);
// Makes a routine! from its spec block (which must be rooted; routines may share one) and body
// entry, and binds the global word to it. The body stores the result itself, whatever the spec's
// return type.
void define(const char* name, const Cell& spec, int32_t entry);
void define(const char* name, const char* spec_text, int32_t entry);

// The cell of argument k on the value stack. The caller hands an integer!, logic! or float!
// argument over as a machine value whatever the spec says, so bodies taking any-type! read the
// cells instead.
inline Cell* arg_cell(const Invocation& inv, int k) { return inv.result + k; }

}  // namespace vyn::routine
