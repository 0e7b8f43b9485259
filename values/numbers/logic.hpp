// values/numbers/logic.hpp: truth of values and the shared unset!, none!, true and false cells.
#pragma once

#include "core/cell.hpp"
#include "core/stack.hpp"

namespace vyn::logic {

// Only none! and a logic! whose payload is not 1 are false; unset! is true unless checked.
inline bool truthy(const Cell& v) {
  return !(v.is(Type::none_) || (v.is(Type::logic) && logic_of(v) != 1));
}
inline bool falsy(const Cell& v) { return !truthy(v); }
inline uint32_t get(const Cell& v) { return logic_of(v); }

// As truthy, but with check set an unset! value raises script/no-value with word.
bool true_value(const Cell& v, bool check, const Cell& word);
[[noreturn]] void no_return();
// Truthiness of the result slot: unset! there raises script/no-return.
inline bool result_true() {
  const Cell& v = *stack::arguments();
  if (v.is(Type::unset)) [[unlikely]] no_return();
  return truthy(v);
}
bool result_false();
bool last_false();
inline bool last_true() { return !last_false(); }

// Makers: into the current call's result slot, at a block's tail, or pushed.
void box(bool flag);
Cell* push(bool flag);

}  // namespace vyn::logic

namespace vyn::none {
void set_result();
Cell* push();
}  // namespace vyn::none

namespace vyn::unset {
void set_result();
Cell* push();
}  // namespace vyn::unset
