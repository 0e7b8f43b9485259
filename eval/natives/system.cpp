// eval/natives/system.cpp: recycle and stats, the collector and memory statistics.
#include "core/gc.hpp"
#include "core/gc_stats.hpp"
#include "values/memory_stats.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "eval/interp.hpp"
#include "core/error.hpp"
#include "values/series/block.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::natives {
namespace {

Cell memory_value() {
  uint64_t bytes = gc::memory_in_use();
  if (bytes > 2147483647u) return make_float(static_cast<double>(bytes));
  return make_integer(static_cast<int32_t>(bytes));
}

// The statistics block with its first two groups (node frames, series frames) regrouped from
// flat numbers into one block of free, used and total per frame, as show-memory-stats reads them.
Cell* statistics() {
  Cell* data = stack::push_unset();
  gc::memory_stats(data);
  for (int32_t group = 0; group < 2; ++group) {
    Cell flat = block::cells(*data)[group];
    int32_t frames = block::length_total(flat) / 3;
    Cell* nested = block::make_at(stack::push_unset(), frames);
    for (int32_t f = 0; f < frames; ++f) {
      Cell* triple = block::make_at(stack::push_unset(), 3);
      for (int32_t k = 0; k < 3; ++k) block::append_copy(*triple, block::cells(flat)[f * 3 + k]);
      triple->set_new_line(true);
      block::append_copy(*nested, *triple);
      stack::set_top(triple);
    }
    block::cells(*data)[group] = *nested;
    stack::set_top(nested);
  }
  return data;
}

}  // namespace

// A collection from here keeps node ids (C++ activations below hold them) and asks the next safe
// point to compact node frames.
Flow recycle_(const Call& c) {
  using Ref = Refs<Native::recycle>;
  if (c.has(Ref::on) || c.has(Ref::off)) {
    gc::set_enabled(c.has(Ref::on));
    c.args[0] = make_unset();
    return Flow::normal;
  }
  gc::collect(gc::Nodes::stay);
  gc::request_node_compaction();
  c.args[0] = memory_value();
  return Flow::normal;
}

// /info answers the statistics block; /show hands it to the library's show-memory-stats and
// answers unset, and wins when both are used.
Flow stats_(const Call& c) {
  using Ref = Refs<Native::stats>;
  if (!c.has(Ref::show) && !c.has(Ref::info)) {
    c.args[0] = memory_value();
    return Flow::normal;
  }
  Cell* data = statistics();
  if (!c.has(Ref::show)) {
    c.args[0] = *data;
    return Flow::normal;
  }
  Cell name = predefined::word(predefined::W::show_memory_stats);
  Cell fn = *word::value_cell(name);
  if (!fn.is(Type::function)) fire(Err::script_no_value, {name});
  Cell* base = stack::top();
  Flow f = interp::call_with(fn, data, 1, name);
  if (f != Flow::normal) return f;
  stack::set_top(base);
  c.args[0] = make_unset();
  return Flow::normal;
}

}  // namespace vyn::natives
