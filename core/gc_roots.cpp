// core/gc_roots.cpp: the roots of the collector, every one of them named here.
#include "core/cell_pool.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/gc_internal.hpp"
#include "core/roots.hpp"
#include "eval/frames.hpp"
#include "core/stack.hpp"
#include "values/objects/context.hpp"
#include "values/cycles.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/runtime_cells.hpp"

namespace vyn::gc::detail {
namespace {

// The word context, the function context, and the values the function context had before the
// call: a values block node unless that context keeps its values on the value stack, where the
// saved word is a stack position.
void mark_frames() {
  for (stack::CallFrame* f = stack::frames_bottom(); f < stack::frames_top(); ++f) {
    mark_block(f->word_context);
    if (!f->func_context) continue;
    mark_block(f->func_context);
    if (f->saved_values && !context::on_stack(f->func_context)) mark_block(f->saved_values);
  }
}

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
  mark_cells(registry::type_words_begin(), registry::type_words_end());
  mark_cells(predefined::words_begin(), predefined::words_end());
  mark_pending_error();
  if (stack::bottom()) mark_cells(stack::bottom(), stack::top());
  mark_frames();
  mark_cells(roots::begin(), roots::end());
  mark_cycle_stack();
  mark_cell(*cellpool::block());
  drain();
  run_callbacks(state().marks);
}

}  // namespace vyn::gc::detail
