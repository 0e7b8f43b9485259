// core/gc_stress.cpp: the stressed collector's choice of the allocations that collect.
#include "core/gc_stress.hpp"

#include <execinfo.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace vyn::gc::stress_policy {
namespace {

// How many C++ frames above the allocator make a call path, and how many times a path collects
// before only the sampling reaches it. Eight frames reach the native or library routine that
// allocates and the helpers between; deeper ones would mostly tell the interpreter's recursion
// apart, which multiplies the paths (and the collections) without reaching new C++ code.
constexpr int path_depth = 8;
constexpr int skipped_frames = 2;  // due() and the allocator itself
constexpr uint8_t fresh_visits = 1;
constexpr size_t path_slots = size_t{1} << 16;

struct State {
  uint32_t period = 0;
  uint64_t rng = 0x9E3779B97F4A7C15u;
  uint32_t countdown = 1;
  std::array<uint64_t, path_slots> paths{};  // 0: empty
  std::array<uint8_t, path_slots> visits{};
  bool paths_full = false;
  bool configured = false;
};

State& state() {
  static State s;
  return s;
}

uint32_t period_from_environment() {
  const char* v = std::getenv("VYN_GC_STRESS");
  if (!v || !*v) return 0;
  char* end = nullptr;
  unsigned long n = std::strtoul(v, &end, 10);
  if (*end) return 1;  // any other text: every allocation, as before numbers were read
  return n > 1000000 ? 1000000 : static_cast<uint32_t>(n);
}

uint64_t next_random(State& s) {
  s.rng ^= s.rng << 13;
  s.rng ^= s.rng >> 7;
  s.rng ^= s.rng << 17;
  return s.rng;
}

uint64_t path_hash() {
  void* frames[path_depth + skipped_frames];
  int n = backtrace(frames, path_depth + skipped_frames);
  uint64_t h = 0xCBF29CE484222325u;
  for (int i = skipped_frames; i < n; ++i) {
    h ^= reinterpret_cast<uintptr_t>(frames[i]);
    h *= 0x100000001B3u;
  }
  return h ? h : 1;
}

// Whether the path was met fewer than fresh_visits times; counts this visit.
bool fresh(State& s) {
  if (s.paths_full) return false;
  uint64_t h = path_hash();
  for (size_t i = h & (path_slots - 1), probes = 0; probes < 64;
       i = (i + 1) & (path_slots - 1), ++probes) {
    if (s.paths[i] == h) return s.visits[i] < fresh_visits && ++s.visits[i];
    if (s.paths[i]) continue;
    s.paths[i] = h;
    s.visits[i] = 1;
    return true;
  }
  s.paths_full = true;  // too many paths to tell apart: sampling alone from here on
  return false;
}

bool sampled(State& s) {
  if (--s.countdown) return false;
  s.countdown = 1 + static_cast<uint32_t>(next_random(s) % (2 * uint64_t{s.period} - 1));
  return true;
}

}  // namespace

uint32_t period() {
  State& s = state();
  if (!s.configured) {
    s.period = period_from_environment();
    s.configured = true;
  }
  return s.period;
}

bool due() {
  State& s = state();
  if (period() <= 1) return true;
  bool by_path = fresh(s);
  return sampled(s) || by_path;
}

void reset(uint32_t new_period, uint64_t seed) {
  State& s = state();
  s.configured = true;
  s.period = new_period;
  s.rng = seed ? seed : 1;
  s.countdown = 1;
  s.paths.fill(0);
  s.visits.fill(0);
  s.paths_full = false;
}

}  // namespace vyn::gc::stress_policy
