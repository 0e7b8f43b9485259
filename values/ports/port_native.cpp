// values/ports/port_native.cpp: the registry of native actor tables and the lookup the dispatcher makes.
#include "values/ports/port_native.hpp"

#include <vector>

#include "core/error.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/ports/handle.hpp"
#include "values/ports/port.hpp"

namespace vyn::port_native {
namespace {

// Index value - 1; a taken-back table leaves a null so that later values stay put.
std::vector<const Table*>& tables() {
  static std::vector<const Table*> all;
  return all;
}

}  // namespace

uint32_t register_table(const Table* table) {
  tables().push_back(table);
  return static_cast<uint32_t>(tables().size());
}

void unregister(uint32_t value) {
  if (value >= 1 && value <= tables().size()) tables()[value - 1] = nullptr;
}

bool applies(const Cell& value, Action slot) {
  int s = static_cast<int>(slot);
  if (!value.is(Type::port) || s < first_slot || s >= first_slot + slot_count) return false;
  return context::values(object::context(value))[port::Field::actor].is(Type::handle);
}

registry::ActionFn entry(const Cell& port, Action slot) {
  uint32_t value = handle::value_of(context::values(object::context(port))[port::Field::actor]);

  if (value < 1 || value > tables().size() || !tables()[value - 1]) fire(Err::access_invalid_port);
  registry::ActionFn fn = (*tables()[value - 1])[static_cast<int>(slot) - first_slot];
  if (!fn) fire(Err::access_no_port_action);
  return fn;
}

}  // namespace vyn::port_native
