// view/tui/hooks.hpp: what console output and waiting ask of the text UI.
#pragma once

namespace vyn::tui {

bool active();
// Before every write: erases the inline interface and restores the normal output mode.
void before_print();
// After every write: re-enables terminal output, marks the interface for redrawing and asks the
// terminal for the cursor position.
void after_print();
// After every wait: lets the text UI process pending events.
void wait_hook();

}  // namespace vyn::tui
