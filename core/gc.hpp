// core/gc.hpp: the collector's switches and the entry the allocator calls when memory runs short.
#pragma once

#include <cstdint>

namespace vyn::gc {

struct Stats {
  uint32_t cycles = 0;  // collections run so far
};

// Off until start-up has bound its values; on in stress mode (VYN_GC_STRESS set in the environment)
// a collection runs at every allocation that could collect.
bool enabled();
void set_enabled(bool on);
bool stress();
Stats& stats();

// Runs a collection when the collector is enabled. Any series buffer may move.
void collect_if_enabled();
void collect();

}  // namespace vyn::gc
