// values/series/vector.hpp: vector!, a series of packed numbers of one element type (char!, integer!,
// float! or percent!, in payload word 3) and one size (the buffer's unit: 1, 2 or 4 bytes for
// char! and integer!, 4 or 8 for float! and percent!). A percent! element holds the fraction.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"
#include "values/numbers/number.hpp"

namespace vyn::vector {

inline Type elem_type(const Cell& v) { return static_cast<Type>(series_extra(v)); }
inline bool is_float_elem(Type t) { return t == Type::float_ || t == Type::percent; }
uint32_t unit_of(const Cell& v);
int32_t length(const Cell& v);  // elements from the head, 0 past the tail

// A new empty vector on the stack with room for count elements; a count × size past 32 bits
// raises internal/no-memory.
Cell* push_new(Type elem, uint32_t size, int64_t count);
// Makes room for count elements in all (from the buffer's start), keeping the data.
void reserve(const Cell& v, int64_t count);

// Element index (absolute) as a value of the element type. Never allocates.
Cell element(const Cell& v, int32_t index);
int32_t get_int(const Cell& v, int32_t index);
double get_float(const Cell& v, int32_t index);
// Stores an integer! or char! (its low bytes) or a float! or percent! value; another type raises
// script/invalid-type. Never allocates.
void put(const Cell& v, int32_t index, const Cell& value);
void put_int(const Cell& v, int32_t index, int32_t n);
void put_float(const Cell& v, int32_t index, double d);

// The arithmetic of a call's operands: args[0] (the vector, also the result) and args[1].
void do_math(Cell* args, Arith op);
// A number on the left of a vector: each element becomes number op element, in a new vector.
void number_left(Cell* args, Arith op);

Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append);
Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup);

Cell* find(Cell* series, Cell* value, const FindOptions& o);
Cell* select(Cell* series, Cell* value, const FindOptions& o);
Cell* sort(Cell* series, const SortOptions& o);
// Without /part one element as a value; with it a vector.
Cell* take(Cell* series, Cell* part, bool deep, bool last);

void install();

}  // namespace vyn::vector
