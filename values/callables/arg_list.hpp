// values/callables/arg_list.hpp: the argument list of a callable, built from its spec on the first call and
// cached in the value (natives, actions, operators: cell 1 of their extra series; functions and
// routines: cell 1 of their companion series).
//
// One entry per word of the callable's context, in slot order: a typeset! per argument (its kind in
// header bits 20-21), a refinement! per refinement (for natives and actions, w3 = its ordinal),
// then an integer!: the local count of a function with /local, or the refinement count of a native
// or action that has refinements.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"

namespace vyn::args {

enum Kind : uint32_t { evaluated = 0, literal = 1, quoted = 2, not_argument = 3 };
inline Kind kind_of(const Cell& entry) { return static_cast<Kind>((entry.header >> 20) & 3); }

// Builds and caches the list of the callable; answers it. May allocate.
Cell build_list(const Cell& callable);
// The list of the callable (native!, action!, op!, function!, routine!), built when absent.
// May allocate.
inline Cell list(const Cell& callable) {
  const Cell& cached = reinterpret_cast<const Cell*>(buffer_of(callable.w3)->data())[1];
  return cached.is(Type::block) ? cached : build_list(callable);
}
// The spec block of a callable.
Cell spec_of(const Cell& callable);
// The node of the series that holds the cached list (the extra or the companion series).
NodeId cache_node(const Cell& callable);
inline bool is_function_like(Type t) { return t == Type::function || t == Type::routine; }

}  // namespace vyn::args
