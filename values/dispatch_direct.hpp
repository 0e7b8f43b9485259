// values/dispatch_direct.hpp: reaching a datatype's entry for an action from C++, by the type of
// the value at hand, and the typed dispatchers of form, mold and copy built on it.
#pragma once

#include "core/cell.hpp"
#include "values/action_sigs.hpp"
#include "values/registry.hpp"

namespace vyn::actions {

// The entry of the value's datatype for the slot; a missing entry raises script/expect-arg (for a
// port whose actor has no such action, access/no-port-action).
registry::ActionFn get_action(Type type, const Cell* value, Action slot);
template <Action A>
typename Sig<A>::type get(const Cell* value) {
  return reinterpret_cast<typename Sig<A>::type>(get_action(value->type(), value, A));
}

// Direct variants used by C++ callers: they look up the entry by the first value's type.
int32_t form_direct(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold_direct(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
Cell* copy_direct(Cell* value, Cell* result, Cell* part, bool deep, Cell* types);

}  // namespace vyn::actions
