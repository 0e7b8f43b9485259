// eval/natives/system.cpp: recycle and stats.
#include "core/gc.hpp"
#include "core/gc_stats.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "eval/stack.hpp"

namespace vyn::natives {
namespace {

Cell memory_value() {
  uint64_t bytes = gc::memory_in_use();
  if (bytes > 2147483647u) return make_float(static_cast<double>(bytes));
  return make_integer(static_cast<int32_t>(bytes));
}

// Refinements: /on /off. A collection from here keeps node ids (C++ activations below hold them)
// and asks the next safe point to compact node frames.
Flow recycle_(const Call& c) {
  if (c.has(0) || c.has(1)) {
    gc::set_enabled(c.has(0));
    c.args[0] = make_unset();
    return Flow::normal;
  }
  gc::collect(gc::Nodes::stay);
  gc::request_node_compaction();
  c.args[0] = memory_value();
  return Flow::normal;
}

// TODO(stats): /show and /info need show-memory-stats and the statistics block's library side.
Flow stats_(const Call& c) {
  c.args[0] = memory_value();
  return Flow::normal;
}

}  // namespace

void install_system() {
  define(Native::recycle, recycle_);
  define(Native::stats, stats_);
}

}  // namespace vyn::natives
