// eval/native_table.hpp: the native table, generated from the catalog eval/natives.def; a native!
// value keeps its index.
#pragma once

#include <array>
#include <cstdint>

#include "eval/call.hpp"
#include "eval/catalog_refs.hpp"

namespace vyn::natives {

enum class Native : uint8_t {
#define VYN_NATIVE(index, name, word, function, spec, ...) name = index,
#include "eval/natives.def"
#undef VYN_NATIVE
};

inline constexpr int count = 0
#define VYN_NATIVE(index, name, word, function, spec, ...) +1
#include "eval/natives.def"
#undef VYN_NATIVE
    ;

// The entry of each native, defined in eval/natives/*.cpp (parse's in eval/parse/native.cpp): a
// row whose function is missing does not link.
#define VYN_NATIVE(index, name, word, function, spec, ...) Flow function(const Call& c);
#include "eval/natives.def"
#undef VYN_NATIVE

// The refinement positions of each native, as its row lists them: Refs<Native::parse>::trace is
// where c.has and c.ref find /trace.
template <Native N>
struct Refs;
#define VYN_NATIVE(index, name, word, function, spec, ...) VYN_CATALOG_REFS(Native::name, __VA_ARGS__)
#include "eval/natives.def"
#undef VYN_NATIVE

// The table, indexed 1..count; slot 0 is empty.
extern const std::array<NativeFn, count + 1> table;
// The entry of a 1-based index; nullptr for an index no native has.
inline NativeFn entry(int index) { return index >= 1 && index <= count ? table[index] : nullptr; }
const char* word_of(int index);  // "" for an index no native has
const char* spec_of(int index);  // the spec text start-up makes the native from

}  // namespace vyn::natives
