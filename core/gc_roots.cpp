// core/gc_roots.cpp: the roots of the collector: core's own, named here, and the root markers the
// layers above register.
#include <cstdlib>

#include "core/cell_pool.hpp"
#include "core/cycles.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/gc_internal.hpp"
#include "core/roots.hpp"
#include "core/runtime_cells.hpp"
#include "core/stack.hpp"

namespace vyn::gc {
namespace {

inline constexpr int root_marker_capacity = 16;
RootMarker root_markers[root_marker_capacity] = {};
int root_marker_count = 0;

}  // namespace

void add_root_marker(RootMarker fn) {
  for (int i = 0; i < root_marker_count; ++i)
    if (root_markers[i] == fn) return;
  if (root_marker_count == root_marker_capacity) std::abort();  // a fixed set, known at build time
  root_markers[root_marker_count++] = fn;
}

namespace detail {
namespace {

void mark_runtime_cells() {
  RuntimeCells& rc = runtime_cells();
  mark_cell(rc.root);
  mark_cell(rc.scratch);
  mark_table(rc.symbols);
  mark_block(rc.global);
}

void mark_pending_error() {
  PendingError& e = pending_error();
  mark_cells(e.args, e.args + (e.argc < 0 ? 0 : e.argc > 3 ? 3 : e.argc));
}

// The cycle stack holds nodes of series being walked; they are reachable from elsewhere, but
// marking them also rewrites them when nodes moved.
void mark_cycle_stack() {
  for (NodeId* n = cycles::begin(); n < cycles::end(); ++n) mark_block(*n);
}

}  // namespace

void mark_roots() {
  mark_runtime_cells();
  for (int i = 0; i < root_marker_count; ++i) root_markers[i]();
  mark_pending_error();
  if (stack::bottom()) mark_cells(stack::bottom(), stack::top());
  mark_cells(roots::begin(), roots::end());
  mark_cycle_stack();
  mark_cell(*cellpool::block());
  drain();
  run_callbacks(state().marks);
}

}  // namespace detail
}  // namespace vyn::gc
