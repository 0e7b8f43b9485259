// values/callables/callable.hpp: the cell layout of the callables: native!, action!, op!, function! and routine!.
//
// Every callable keeps the node of its spec block in word 2 and, in word 3, the node of a series
// of its own (natives and actions: two cells, the context made from the spec and the cached
// argument list; functions and routines: the companion series of values/callables/function.hpp,
// whose cell 1 is also the cached list). Word 1 is a native's or action's table index, or a
// function's or routine's context node. An op! cell is a copy of the callable it was made from,
// with op! in the low byte of the header and the callable's type in bits 16-23, so everything
// else reads as for that type.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "values/objects/object.hpp"

namespace vyn::callable {

inline NodeId spec_node(const Cell& c) { return c.w2; }
inline void set_spec_node(Cell& c, NodeId node) { c.w2 = node; }
// Word 1, which tells two callables of one type apart: the table index or the context node.
inline uint32_t identity(const Cell& c) { return c.w1; }
// The spec block, from its head.
inline Cell spec(const Cell& c) { return make_series(Type::block, c.w2); }
// The node of the callable's own series (the extra or the companion series), 0 for none yet.
inline NodeId extra_node(const Cell& c) { return c.w3; }
inline void set_extra_node(Cell& c, NodeId node) { c.w3 = node; }
// The first cell of that series. Never allocates; good until the next allocation.
inline Cell* extra_cells(const Cell& c) { return reinterpret_cast<Cell*>(buffer_of(c.w3)->data()); }
// Cell 1 of the series, shared by every callable: the cached argument list, unset! until built.
inline constexpr int arg_list_cell = 1;

// An argument list's refinement! entry of a native or action keeps its ordinal (from 1) in word 3.
inline int32_t ordinal(const Cell& refinement) { return static_cast<int32_t>(refinement.w3); }
inline void set_ordinal(Cell& refinement, int32_t n) { refinement.w3 = static_cast<uint32_t>(n); }

}  // namespace vyn::callable

namespace vyn::native {

// native! and action!: the index of the entry in the native table or the action front-end table.
inline int32_t index(const Cell& c) { return static_cast<int32_t>(c.w1); }
// Cell 0 of the extra series: the context made from the spec (an object! cell of its node).
inline constexpr int context_cell = 0;
inline constexpr int extra_cells = 2;
// The node of the context made from the spec, whose words name the arguments.
inline NodeId context_of(const Cell& c) { return object::context(callable::extra_cells(c)[context_cell]); }
inline Cell make(Type type, int32_t index, NodeId spec, NodeId extra = 0) {
  return make_cell(type, static_cast<uint32_t>(index), spec, extra);
}

}  // namespace vyn::native

namespace vyn::op {

inline constexpr int underlying_shift = 16;
inline constexpr uint32_t underlying_mask = 0xFFu << underlying_shift;

// The type of the callable an op! was made from.
inline Type underlying(const Cell& op) {
  return static_cast<Type>((op.header & underlying_mask) >> underlying_shift);
}
// The type a callable runs as: an op!'s underlying type, any other callable's own.
inline Type runs_as(const Cell& c) { return c.is(Type::op) ? underlying(c) : c.type(); }
// An op! made from a native, action, function or routine (its flags kept).
inline Cell make(const Cell& from) {
  Cell c = from;
  c.header = (from.header & ~(underlying_mask | 0xFFu)) | static_cast<uint32_t>(Type::op) |
             (static_cast<uint32_t>(from.type()) << underlying_shift);
  return c;
}
// The callable an op! was made from, as it was (its flags kept).
inline Cell callee(const Cell& op) {
  Cell c = op;
  c.header = (op.header & ~(underlying_mask | 0xFFu)) | static_cast<uint32_t>(underlying(op));
  return c;
}
// Whether word 1 holds a function's context (made from a function! or routine!) rather than an
// index; the collector marks it only then.
inline bool of_function(const Cell& op) {
  Type t = underlying(op);
  return t == Type::function || t == Type::routine;
}

}  // namespace vyn::op
