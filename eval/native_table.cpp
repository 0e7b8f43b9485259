// eval/native_table.cpp: the native table, its words and its specs, laid out by index from the
// catalog rows at compile time.
#include "eval/native_table.hpp"

#include <array>

namespace vyn::natives {
namespace {

struct Row {
  int index = 0;
  const char* word = "";
  NativeFn function = nullptr;
  const char* spec = "";
};

constexpr Row rows[] = {
#define VYN_NATIVE(index, name, word, function, spec, ...) {index, word, function, spec},
#include "eval/natives.def"
#undef VYN_NATIVE
};
static_assert(std::size(rows) == count);

// Every index from 1 to count is some row's, and only one row's.
constexpr bool indexes_fill_the_table() {
  std::array<bool, count + 1> seen{};
  for (const Row& r : rows) {
    if (r.index < 1 || r.index > count || seen[r.index]) return false;
    seen[r.index] = true;
  }
  return true;
}
static_assert(indexes_fill_the_table(), "native indexes must run 1..count, each used once");

// The rows by index: a row may sit anywhere in the catalog without moving another's index.
constexpr std::array<Row, count + 1> by_index() {
  std::array<Row, count + 1> t{};
  for (const Row& r : rows) t[r.index] = r;
  return t;
}
constexpr std::array<Row, count + 1> laid_out = by_index();

constexpr std::array<NativeFn, count + 1> functions() {
  std::array<NativeFn, count + 1> t{};
  for (int i = 1; i <= count; ++i) t[i] = laid_out[i].function;
  return t;
}

}  // namespace

constexpr std::array<NativeFn, count + 1> table = functions();

const char* word_of(int index) { return index >= 1 && index <= count ? laid_out[index].word : ""; }
const char* spec_of(int index) { return index >= 1 && index <= count ? laid_out[index].spec : ""; }

}  // namespace vyn::natives
