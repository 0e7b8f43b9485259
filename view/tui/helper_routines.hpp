// view/tui/helper_routines.hpp: the bodies of the TUI-helpers routines, which read and write the
// widget of a face. Start-up defines them under underscore names; the TUI-helpers object takes
// them as its fields.
#pragma once

#include "values/callables/routine.hpp"

namespace vyn::tui {

// focused? face: whether the face has a widget and that widget has the focus.
void focused_q(routine::Invocation& inv);
// widget-data face: the widget's data word (a text list's top row), 0 without a widget.
void widget_data_of(routine::Invocation& inv);
// set-face-ui face ui: stores the string as the widget's ui text; nothing without a widget.
void set_face_ui(routine::Invocation& inv);

}  // namespace vyn::tui
