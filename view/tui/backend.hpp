// view/tui/backend.hpp: the text UI back end as the view engine sees it: its start (gui/init), the
// per-face view operations behind system/view/platform, and the fields of system/view it reads.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "view/tui/widget.hpp"

namespace vyn::tui {

// A field of system/view (none when system/view is not an object or lacks it).
Cell view_field(const char* name);
// system/view/platform/mouse-event? is true.
bool platform_mouse_wanted();

// gui/init on the platform object being built: version, build, product, the colour depth from
// TUI-helpers/check-color-support and the widget event sender. The back end keeps no language
// value of its own for the collector: faces and ui strings are marked by the widget table, the
// event! flags block by the event datatype; input bytes, frames and timers are C++ data.
void gui_init(const Cell& platform);

// Releases every widget and the loop's state when the runtime ends.
void shutdown();

// gui/OS-make-view: the face's widget under parent (null for a window).
Widget* make_view(const Cell& face, Widget* parent);
// gui/OS-update-view: applies the change flags of the face's state, then clears them.
void update_view(const Cell& face);
// gui/OS-update-facet: a series change of a facet (text-list data), then update_view.
void update_facet(const Cell& owner, const Cell& word, const Cell& value, const Cell& action,
                  int32_t index, int32_t part);
// Runs the update of the widgets whose facets a series cut changed since the last frame, now
// that the values are gone (the change is told before they leave).
void update_after_cuts();
// gui/OS-destroy-view: the face's views and those of its pane, then the innermost loop ends.
void destroy_view(const Cell& face);
// The views of the face and its pane, without ending a loop (also used when a session ends).
void destroy_tree(const Cell& face);

}  // namespace vyn::tui
