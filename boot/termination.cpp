// boot/termination.cpp: how the runtime ends on a termination request (SIGTERM, SIGHUP, and the
// terminal's Ctrl-C while code runs): at the
// next polling point the console's settings are saved as quit saves them, the terminal gets its
// mode back and the process ends with 128 + the signal.
#include "boot/termination.hpp"

#include <cstdio>
#include <cstdlib>

#include "core/error.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "platform/console_out.hpp"
#include "platform/signals.hpp"
#include "platform/terminal.hpp"
#include "values/words/word.hpp"
#include "view/tui/input/event_loop.hpp"
#include "values/predefined.hpp"

namespace vyn::boot {
namespace {

// `_save-cfg` saves only once the console has read its settings, and reports its own failures;
// behind a try/all barrier nothing it raises, throws or breaks leaves it.
void save_settings() {
  Cell name = predefined::word(predefined::W::save_cfg);
  Cell* fn = word::value_cell(name);
  if (!fn || !fn->is(Type::function)) return;
  Cell* top = stack::top();
  int depth = stack::frame_depth();
  try {
    stack::mark_try_all(&name);
    Cell* callable = stack::push(*fn);  // the value's cell may move once anything allocates
    (void)interp::call_with(*callable, nullptr, 0, name);
  } catch (const Raised&) {
  } catch (const Exit&) {
  }
  stack::catch_error_at(depth, top);
}

void end_for_signal(int signal) {
  save_settings();
  tui::end_session_for_exit();
  terminal::restore_for_exit();
  os::flush();
  std::fflush(nullptr);
  std::_Exit(128 + signal);
}

}  // namespace

void install_termination() { signals::set_end_action(end_for_signal); }

}  // namespace vyn::boot
