// values/ports/port_native.hpp: ports whose actor is native code. Such a port's actor field holds a
// handle! whose value names a table of entry points for the actions append to write (one per
// action slot, in slot order; null where the port has no such action). The component that
// provides the port registers its table once and makes handles of the value it gets back.
#pragma once

#include <array>
#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"
#include "values/registry.hpp"

namespace vyn::port_native {

inline constexpr int first_slot = static_cast<int>(Action::append);
inline constexpr int slot_count = static_cast<int>(Action::write) - first_slot + 1;
using Table = std::array<registry::ActionFn, slot_count>;

// Registers a table the caller keeps for the program's life; answers its handle value (from 1).
uint32_t register_table(const Table* table);
// Takes the registration back (for the registrar's own clean-up); a later lookup fails.
void unregister(uint32_t value);

// Whether a call of the slot on this value goes to a native actor: a port! whose actor is a
// handle! and a slot from append to write.
bool applies(const Cell& value, Action slot);
// The entry for the slot from the port's actor table. A handle that names no table raises
// access/invalid-port; an empty entry access/no-port-action.
registry::ActionFn entry(const Cell& port, Action slot);

}  // namespace vyn::port_native
