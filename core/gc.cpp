// core/gc.cpp: the collector's switches, its callbacks and the order of one collection.
#include "core/gc.hpp"

#include <atomic>

#include "core/gc_internal.hpp"
#include "core/gc_layout.hpp"
#include "core/gc_stress.hpp"
#include "core/handles.hpp"
#include "core/hashtable.hpp"

namespace vyn::gc {
namespace detail {

State& state() {
  static State s;
  return s;
}

bool poisoning() {
#ifdef NDEBUG
  return stress();
#else
  return true;
#endif
}

void run_callbacks(const Callback* table) {
  for (int i = 0; i < callback_capacity; ++i) {
    if (!table[i].fn) continue;
    table[i].fn(table[i].data);
    drain();
  }
}

}  // namespace detail

namespace {

using detail::Callback;
using detail::state;

bool add(Callback* table, MarkCallback fn, void* data) {
  Callback* free_entry = nullptr;
  for (int i = 0; i < detail::callback_capacity; ++i) {
    if (table[i].fn == fn && table[i].data == data) return true;
    if (!table[i].fn && !free_entry) free_entry = &table[i];
  }
  if (!free_entry) return false;
  *free_entry = Callback{fn, data};
  return true;
}

// Emptied in place, so the callbacks registered after it keep their order.
void remove(Callback* table, MarkCallback fn, void* data) {
  for (int i = 0; i < detail::callback_capacity; ++i)
    if (table[i].fn == fn && table[i].data == data) table[i] = Callback{};
}

// Clears the running flag however the collection ends.
class Running {
 public:
  Running() {
    std::atomic_thread_fence(std::memory_order_seq_cst);
    state().running = true;
    std::atomic_thread_fence(std::memory_order_seq_cst);
  }
  ~Running() {
    detail::State& s = state();
    if (s.relocation) intmap::free(s.relocation);
    s.relocation = nullptr;
    s.work.clear();
    std::atomic_thread_fence(std::memory_order_seq_cst);
    s.running = false;
    std::atomic_thread_fence(std::memory_order_seq_cst);
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;
};

}  // namespace

bool enabled() { return state().enabled; }
void set_enabled(bool on) { state().enabled = on; }
bool stress() { return stress_policy::period() != 0; }
bool collecting() { return state().running; }
Stats& stats() { return state().stats; }
void init() {
  state().stats = Stats{};
  state().compaction_requested = false;
  reset_layouts();
}

bool add_mark_callback(MarkCallback fn, void* data) { return add(state().marks, fn, data); }
void remove_mark_callback(MarkCallback fn, void* data) { remove(state().marks, fn, data); }
bool add_sweep_callback(MarkCallback fn, void* data) { return add(state().sweeps, fn, data); }
void remove_sweep_callback(MarkCallback fn, void* data) { remove(state().sweeps, fn, data); }

// Nodes move first, so that marking meets every reference to a moved node and rewrites it. Weak
// holders sweep once all else is marked; handles are released before any memory is reused.
void collect(Nodes nodes) {
  if (state().running) return;
  Running running;
  bool moved = nodes == Nodes::may_move && hashtable::node_compaction_allowed() &&
               detail::compact_node_frames();
  if (moved) state().stats.node_compactions++;
  detail::mark_roots();
  detail::drain();
  detail::run_callbacks(state().sweeps);
  handles::sweep();
  if (stress()) detail::evacuate_series_frames();
  else detail::compact_series_frames();
  detail::sweep_big_series();
  detail::unmark_fixed();
  detail::shrink_node_frames();
  state().stats.cycles++;
}

void collect_if_enabled() {
  if (state().enabled) collect();
}

void request_node_compaction() { state().compaction_requested = true; }

bool at_safe_point() {
  if (!state().compaction_requested) return false;
  state().compaction_requested = false;
  collect(Nodes::may_move);
  return true;
}

}  // namespace vyn::gc
