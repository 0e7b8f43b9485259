// view/tui/widget_make.cpp: making the widget of a face: its flags, its rectangle, the set-up of
// its type, its place in its window, its image cells and its timer.
#include <algorithm>

#include "core/error.hpp"
#include "values/images/image.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/widget.hpp"

namespace vyn::tui {
namespace {

bool is_true(const Cell& c) { return c.is(Type::logic) && logic_of(c); }

// x and y of a pair! or point2D!; false for anything else.
bool xy_of(const Cell& c, float& x, float& y) {
  if (c.is(Type::pair)) {
    x = static_cast<float>(pair::x_of(c)), y = static_cast<float>(pair::y_of(c));
    return true;
  }
  if (c.is(Type::point2D)) {
    x = point::get(c, 0), y = point::get(c, 1);
    return true;
  }
  return false;
}

uint32_t widget_flags_of(const Cell& face) {
  uint32_t f = get_flags(facet_of(face, facet::flags)), bits = 0;
  if (f & fflag::all_over) bits |= wflag::all_over;
  if (f & fflag::focusable) bits |= wflag::focusable;
  if (f & fflag::password) bits |= wflag::password;
  if (f & fflag::fullscreen) bits |= wflag::fullscreen;
  if (!is_true(facet_of(face, facet::visible))) bits |= wflag::hidden;
  if (!is_true(facet_of(face, facet::enabled))) bits |= wflag::disabled;
  return bits;
}

WindowState* window_of(Widget* w) {
  for (; w; w = w->parent)
    if (w->window) return w->window;
  return nullptr;
}

// A child joins its window: the drawing rectangle grows to hold a direct child, carets are
// counted, and the first focusable widget takes the focus.
void attach(Widget* w) {
  WindowState* s = window_of(w->parent);
  if (!s) return;
  if (w->parent->window) {
    s->x1 = std::min(s->x1, w->x1), s->y1 = std::min(s->y1, w->y1);
    s->x2 = std::max(s->x2, w->x2), s->y2 = std::max(s->y2, w->y2);
  }
  if (w->flags & wflag::caret) ++s->carets;
  if ((w->flags & wflag::focusable) && !s->focused) {
    s->focused = w;
    if (ui().current == s) set_focus(w);
  }
}

}  // namespace

void read_offset(Widget* w) {
  Cell* slot = facet_slot(w->face, facet::offset);
  float x = 0, y = 0;
  if (slot) {
    pair_to_point(*slot);
    xy_of(*slot, x, y);
  }
  float width = w->x2 - w->x1, height = w->y2 - w->y1;
  w->x1 = x, w->y1 = y, w->x2 = x + width, w->y2 = y + height;
}

void read_size(Widget* w) {
  float sx = 0, sy = 0;
  Cell size = facet_of(w->face, facet::size);
  xy_of(size, sx, sy);
  if (size.is(Type::pair)) w->flags |= wflag::integer_size;
  else w->flags &= ~wflag::integer_size;
  w->x2 = w->x1 + sx, w->y2 = w->y1 + sy;
  if (w->window) {
    WindowState* s = w->window;
    s->x1 = w->x1, s->y1 = w->y1, s->x2 = w->x2, s->y2 = w->y2;
  }
}

// What can raise an error is read before the widget exists, so a bad facet leaves nothing behind.
Widget* make_widget(const Cell& face, Widget* parent) {
  uint32_t flags = widget_flags_of(face);
  int32_t interval = rate_interval(facet_of(face, facet::rate));
  Widget* w = new_widget(face, parent);
  w->flags = flags;
  Cell type = facet_of(face, facet::type);
  w->type = word::any_word_q(type.type()) ? symbol::resolve(word::symbol(type)) : 0;
  read_offset(w);
  if (type_is(w, "window")) {  // a window always starts at the terminal's origin
    if (Cell* slot = facet_slot(face, facet::offset)) *slot = pair::make(0, 0);
    w->x1 = w->y1 = 0;
  }
  read_size(w);
  try {
    setup_widget(w);  // may run the text-UI helpers
  } catch (const Raised&) {
    free_widget(w);
    throw;
  }
  if (parent) {
    attach(w);
    if (facet_of(face, facet::image).is(Type::image)) image_to_cells(w);
  }
  if (interval >= 0) add_timer(w, interval);
  return w;
}

}  // namespace vyn::tui
