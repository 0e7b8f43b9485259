// core/gc_stress.hpp: when the stressed collector collects.
//
// VYN_GC_STRESS=1 collects at every allocation that could collect. A larger number N samples:
// an allocation collects the first time its call path is met in the process (the C++ frames
// that lead to it, so every native and every branch that allocates is put to the test where it
// first runs), and otherwise once every N allocations on average, at a stride that varies from
// one collection to the next, so that a loop that allocates in step with a fixed stride does not
// always escape. Either way each collection moves every live buffer, as stress mode does.
#pragma once

#include <cstdint>

namespace vyn::gc::stress_policy {

// The sampling period from the environment: 0 for stress mode off, 1 for every allocation.
uint32_t period();
// Asked at each allocation that could collect in stress mode (the collector enabled, so that the
// allocations of start-up, which never collect, do not use up the first visits of their paths):
// whether this one collects.
bool due();
// For tests: the period and the random stride's seed, both fixed until the next call.
void reset(uint32_t period, uint64_t seed);

}  // namespace vyn::gc::stress_policy
