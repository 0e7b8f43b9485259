// eval/native_table.hpp: the table of native entry points; a native! value keeps its index.
#pragma once

#include <cstdint>

#include "eval/call.hpp"

namespace vyn::natives {

inline constexpr int capacity = 120;  // slots 1..120; those past the last native stay empty

enum class Native : uint8_t {
#define VYN_NATIVE(index, name, word) name = index,
#include "eval/natives.def"
#undef VYN_NATIVE
};
inline constexpr int count = 107;

// Fills the table once, in index order.
void init();
// The table, filled by init; slot 0 and the slots past the last native stay empty.
extern NativeFn table[capacity + 1];
// The entry of a 1-based index; nullptr for an empty slot.
inline NativeFn entry(int index) { return index >= 1 && index <= capacity ? table[index] : nullptr; }
int registered();  // the index of the last filled slot
const char* word_of(int index);

// Gives a native its implementation; a native without one raises internal/not-done.
void define(Native n, NativeFn fn);

}  // namespace vyn::natives
