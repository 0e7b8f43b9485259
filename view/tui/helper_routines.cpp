// view/tui/helper_routines.cpp: the TUI-helpers routines.
#include "view/tui/helper_routines.hpp"

#include "view/tui/widget.hpp"

namespace vyn::tui {

void focused_q(routine::Invocation& inv) { *inv.result = make_logic(has_focus(face_handle(inv.result[0]))); }

void widget_data_of(routine::Invocation& inv) { *inv.result = make_integer(widget_data(face_handle(inv.result[0]))); }

void set_face_ui(routine::Invocation& inv) {
  if (Widget* w = face_handle(inv.result[0])) set_widget_ui(w, inv.result[1]);
  *inv.result = make_unset();
}

}  // namespace vyn::tui
