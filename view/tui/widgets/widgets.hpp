// view/tui/widgets/widgets.hpp: the set-up of each supported face type, and what the widgets
// share: the clip rectangle of a widget and the text-UI helper calls.
#pragma once

#include "view/tui/widget.hpp"

namespace vyn::tui::widgets {

void setup_window(Widget* w);
void setup_field(Widget* w);
void setup_button(Widget* w);
void setup_base(Widget* w);
void setup_progress(Widget* w);
void setup_group_box(Widget* w);
void setup_check(Widget* w);
void setup_radio(Widget* w);
void setup_text_list(Widget* w);
void setup_rich_text(Widget* w);

// Calls TUI-helpers/<name> with the face; answers its result, or none when the helper is missing
// or the call ended another way. The result is unrooted: store it before anything allocates.
Cell call_helper(const char* name, const Cell& face);

// The widget's rectangle at x, y, cut to its parent (unless that is a window) and to the buffer.
Rect clip_of(int x, int y, const Widget* w);

// The default text renderer inside a given clip rectangle.
void render_in(int x, int y, Widget* w, uint32_t flags, const Rect& clip);

// A face's text read as a string, made an empty string in the face when it is none or another
// type. May allocate.
Cell text_string(Widget* w);

}  // namespace vyn::tui::widgets
