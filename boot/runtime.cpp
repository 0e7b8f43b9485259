// boot/runtime.cpp: the runtime initialiser.
#include "boot/runtime.hpp"

#include "core/gc.hpp"
#include "core/node.hpp"
#include "core/series.hpp"
#include "eval/frames.hpp"
#include "eval/stack.hpp"
#include "values/block.hpp"
#include "values/cycles.hpp"
#include "values/registry.hpp"
#include "values/runtime_cells.hpp"

namespace vyn::runtime {

void init() {
  gc::set_enabled(false);
  alloc::init();
  registry::init();
  alloc::new_node_frame(alloc::node_frame_slots);
  alloc::new_series_frame();
  block::init_at(&runtime_cells().root, 1000, true);
  stack::init();
  stack::init_frames();
  cycles::reset();
}

void shutdown() {
  gc::set_enabled(false);
  alloc::free_all_frames();
  runtime_cells() = RuntimeCells{make_none(), make_none()};
}

}  // namespace vyn::runtime
