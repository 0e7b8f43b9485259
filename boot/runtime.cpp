// boot/runtime.cpp: the runtime initialiser.
#include "boot/runtime.hpp"

#include "boot/bootstrap.hpp"
#include "boot/system_object.hpp"
#include "core/cell_pool.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/handles.hpp"
#include "core/node.hpp"
#include "core/print_hooks.hpp"
#include "core/series.hpp"
#include "values/frames.hpp"
#include "eval/front_ends.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "eval/natives/support.hpp"
#include "eval/natives/wait.hpp"
#include "core/stack.hpp"
#include "platform/console_out.hpp"
#include "platform/terminal.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/cycles.hpp"
#include "values/core_hooks.hpp"
#include "values/installers.hpp"
#include "values/objects/ownership.hpp"
#include "values/predefined.hpp"
#include "values/numbers/random.hpp"
#include "values/registry.hpp"
#include "core/runtime_cells.hpp"
#include "values/words/symbol.hpp"
#include "view/tui/backend.hpp"
#include "view/tui/hooks.hpp"
#include "view/tui/input/event_loop.hpp"

namespace vyn::runtime {
namespace {

// The symbols and words the runtime works with exist from here on.
void make_vocabulary() {
  symbol::init(4000);
  // room for the 2,200 words start-up defines and some of a script's: the replayed boot heap
  // carries the table, so spare room costs pages at every start
  runtime_cells().global = context::make(2500, false, false, 0, context::Kind::global);
  datatype::make_type_words();
  predefined::init();
  predefined::init_refinements();
  using predefined::W;
  stack::set_skipped_symbols(word::symbol(predefined::word(W::body)), word::symbol(predefined::word(W::anon)),
                             predefined::word(W::not_found));
}

// Output that fails ends the run; the terminal goes back as quit gives it back.
void give_terminal_back() {
  tui::end_session_for_exit();
  terminal::restore_for_exit();
}

}  // namespace

void init() {
  gc::set_enabled(false);
  gc::init();
  core_hooks::install();
  pending_error() = PendingError{};  // its arguments may name series of an earlier runtime
  output::init(tui::print_string);
  natives::set_wait_hook(tui::wait_hook);
  os::set_output_failure_hook(give_terminal_back);
  random::init();
  alloc::init();
  handles::init();
  registry::init();
  alloc::new_node_frame(alloc::node_frame_slots);
  alloc::new_series_frame();
  block::init_at(&runtime_cells().root, 1000, true);
  stack::init();
  stack::init_frames();
  cycles::reset();
  make_vocabulary();
  natives::forget_print_buffer();
  lexer::init();
  interp::init();
  ownership::init();
  cellpool::init();
  boot::bootstrap();
  // The values start-up made are bound: the collector runs from here on, when no series frame has
  // room and before every big series (in stress mode at every allocation, putting every caller's
  // rooting to the test).
  gc::set_enabled(true);
}

void shutdown() {
  gc::set_enabled(false);
  tui::shutdown();
  alloc::free_all_frames();
  runtime_cells() = RuntimeCells{make_none(), make_none(), 0, 0};
}

}  // namespace vyn::runtime
