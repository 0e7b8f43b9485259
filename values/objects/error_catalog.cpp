// values/objects/error_catalog.cpp: the runtime's hold on the error catalog, the error prototype and
// system/state, and lookups of categories and ids by name.
#include "core/error.hpp"
#include "core/gc.hpp"
#include "values/frames.hpp"
#include "values/evaluator_hooks.hpp"
#include "values/objects/context.hpp"
#include "values/objects/error.hpp"
#include "core/runtime_cells.hpp"
#include "values/objects/object.hpp"

namespace vyn::error {
namespace {

// catalog, prototype, state: object! cells set once by start-up; then what the last raise noted:
// the code under evaluation, the failing call, and the error! value when an existing one was
// raised (error::raise), else none.
constexpr int count = 6;
Cell globals[count] = {make_none(), make_none(), make_none(), make_unset(), make_none(), make_none()};
int32_t raised_depth = -1;

void mark_globals(void*) { gc::mark_cells(globals, globals + count); }

// Runs inside fire(): nothing here allocates. Outside a running runtime (tests raise errors
// without one) there are no frames to read.
void note_raise() {
  globals[5] = make_none();
  if (!runtime_cells().global) {
    globals[3] = make_unset();
    globals[4] = make_none();
    raised_depth = -1;
    return;
  }
  globals[3] = evaluator::current_code();
  bool in_call = stack::frame_depth() > 0;
  globals[4] = in_call ? stack::get_call() : make_none();
  raised_depth = in_call ? stack::frame_depth() : -1;
}

}  // namespace

void set_globals(const Cell& catalog, const Cell& prototype, const Cell& state) {
  gc::add_mark_callback(mark_globals, nullptr);
  set_raise_hook(note_raise);
  globals[0] = catalog;
  globals[1] = prototype;
  globals[2] = state;
  globals[3] = make_unset();
  globals[4] = make_none();
  globals[5] = make_none();
  raised_depth = -1;
}

bool catalog_ready() { return globals[0].is(Type::object) && globals[1].is(Type::object); }
const Cell& catalog() { return globals[0]; }
const Cell& prototype() { return globals[1]; }
const Cell& state() { return globals[2]; }
Cell* globals_begin() { return globals; }
Cell* globals_end() { return globals + count; }

Raise last_raise() { return Raise{globals[3], globals[4], raised_depth}; }

Cell raised_value() { return globals[5]; }
void set_raised_value(const Cell& err) { globals[5] = err; }

int32_t category_index(uint32_t symbol) {
  if (!catalog_ready()) fire(Err::internal_not_done);
  return context::find_word(object::context(catalog()), symbol, true);
}

Cell category(int32_t index) {
  NodeId ctx = object::context(catalog());
  if (index < 0 || index >= context::slot_count(ctx)) return make_none();
  return context::values(ctx)[index];
}

int32_t id_index(const Cell& category_object, uint32_t symbol) {
  if (!category_object.is(Type::object)) return -1;
  int32_t index = context::find_word(object::context(category_object), symbol, true);

  return index < 2 ? -1 : index;
}

}  // namespace vyn::error
