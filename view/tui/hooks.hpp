// view/tui/hooks.hpp: what console output and waiting ask of the text UI.
#pragma once

#include "core/cell.hpp"

namespace vyn::tui {

bool active();
// Before every write: erases the inline interface and restores the normal output mode.
void before_print();
// After every write: re-enables terminal output, marks the interface for redrawing and asks the
// terminal for the cursor position.
void after_print();
// After every wait: lets the text UI process pending events.
void wait_hook();
// The console's print hook (core/print_hooks.hpp): the string from its head, to the console,
// between before_print and after_print.
void print_string(const Cell& str, bool line_end);

}  // namespace vyn::tui
