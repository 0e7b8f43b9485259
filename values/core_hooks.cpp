// values/core_hooks.cpp: the roots of values/ for the collector, and the comparison entries for the
// hash tables.
#include "values/core_hooks.hpp"

#include "core/gc.hpp"
#include "core/hashtable_compare.hpp"
#include "values/frames.hpp"
#include "values/objects/context.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"

namespace vyn::core_hooks {
namespace {

// The word context, the function context, and the values the function context had before the
// call: a values block node unless that context keeps its values on the value stack, where the
// saved word is a stack position.
void mark_frames() {
  for (stack::CallFrame* f = stack::frames_bottom(); f < stack::frames_top(); ++f) {
    gc::mark_block(f->word_context);
    if (!f->func_context) continue;
    gc::mark_block(f->func_context);
    if (f->saved_values && !context::on_stack(f->func_context)) gc::mark_block(f->saved_values);
  }
}

void mark_roots() {
  gc::mark_cells(registry::type_words_begin(), registry::type_words_end());
  gc::mark_cells(predefined::words_begin(), predefined::words_end());
  mark_frames();
}

hashtable::CompareEntry compare_entry(Type t) { return registry::entry<Action::compare>(t); }

}  // namespace

void install() {
  gc::add_root_marker(mark_roots);
  hashtable::set_compare_lookup(compare_entry);
}

}  // namespace vyn::core_hooks
