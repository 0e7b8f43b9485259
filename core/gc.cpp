// core/gc.cpp: collector state. Marking and compaction live with the roots they walk.
#include "core/gc.hpp"

#include <cstdlib>

namespace vyn::gc {
namespace {
bool active = false;
Stats statistics;
bool stress_mode() {
  const char* v = std::getenv("VYN_GC_STRESS");
  return v && *v && *v != '0';
}
}  // namespace

bool enabled() { return active; }
void set_enabled(bool on) { active = on; }
bool stress() {
  static const bool on = stress_mode();
  return on;
}
Stats& stats() { return statistics; }

// TODO(collector): marking from the roots, compaction and sweeping arrive with the collector; until
// then a collection only counts itself, so nothing that callers keep can be lost.
void collect() { ++statistics.cycles; }

void collect_if_enabled() {
  if (active) collect();
}

}  // namespace vyn::gc
