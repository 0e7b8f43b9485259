// eval/native_table.cpp: the native table.
#include "eval/native_table.hpp"

#include "core/error.hpp"

namespace vyn::natives {
namespace {

NativeFn implementations[capacity + 1];
int filled = 0;

constexpr const char* words[] = {
    "",
#define VYN_NATIVE(index, name, word) word,
#include "eval/natives.def"
#undef VYN_NATIVE
};
static_assert(sizeof words / sizeof words[0] == count + 1);

Flow not_done(const Call&) { fire(Err::internal_not_done); }

}  // namespace

NativeFn table[capacity + 1];

void init() {
  for (int i = 1; i <= count; ++i) table[i] = implementations[i] ? implementations[i] : not_done;
  filled = count;
}


int registered() { return filled; }
const char* word_of(int index) { return index >= 1 && index <= count ? words[index] : ""; }

void define(Native n, NativeFn fn) {
  implementations[static_cast<int>(n)] = fn;
  if (filled) table[static_cast<int>(n)] = fn;
}

}  // namespace vyn::natives
