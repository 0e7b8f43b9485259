// view/tui/hooks.cpp: the text UI's output and wait hooks; they act only while the UI is active.
#include "view/tui/hooks.hpp"

namespace vyn::tui {
namespace {
bool ui_active = false;  // set by the text UI when it starts drawing
}  // namespace

bool active() { return ui_active; }

// TODO(text UI): erasing, redrawing and event processing come with the text UI; until then it is
// never active and these do nothing.
void before_print() {}
void after_print() {}
void wait_hook() {}

}  // namespace vyn::tui
