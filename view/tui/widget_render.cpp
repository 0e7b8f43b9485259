// view/tui/widget_render.cpp: the render pass: the widget tree into the cell buffer, the default
// text renderer, and images as cells.
#include <algorithm>

#include "values/series/block.hpp"
#include "values/images/image.hpp"
#include "values/series/series.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/console_mode.hpp"
#include "view/tui/draw/draw.hpp"
#include "view/tui/screen/text_layout.hpp"
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

constexpr int max_depth = 100;  // a pane that holds its own ancestor is not followed forever

// Style of a face: its colour as background, its font's colour as foreground, its alignment.
Style face_style(const Cell& face) {
  Style s;
  if (facet_of(face, facet::color).is(Type::tuple)) s.bg = rgb_to_256(face_color(face));
  Cell font = facet_of(face, facet::font);
  Cell fc = field_of(font, font_field::color);
  if (fc.is(Type::tuple)) s.fg = rgb_to_256(tuple_color(fc));
  s.align = para_align(face);
  return s;
}

// The string after `hint` in the face's options, or none.
Cell hint_of(const Cell& face) {
  Cell options = facet_of(face, facet::options);
  if (!options.is(Type::block)) return make_none();
  int32_t n = block::vs_length(options);
  for (int32_t i = 0; i + 1 < n; ++i) {
    Cell key = *block::vs_abs_at(options, series_head(options) + i);
    Cell value = *block::vs_abs_at(options, series_head(options) + i + 1);
    if (word_spelled(key, "hint") && value.is(Type::string)) return value;
  }
  return make_none();
}

void draw_face_text(int x, int y, Widget* w, const Rect& clip, Style style, uint32_t flags) {
  CellBuffer& buf = buffer();
  if (type_is(w, "rich-text") && !w->rich.empty()) {
    draw_cells(buf, w->rich, x, y, clip, flags);
    return;
  }
  std::u32string text = text_of(facet_of(w->face, facet::text));
  if (text.empty()) {
    Cell hint = hint_of(w->face);
    if (hint.is(Type::none_)) return;
    text = text_of(hint);
    flags |= attr::dim;
  }
  int width, height;
  widget_size(w, width, height);
  TextSize size = measure_wrapped(text, width);
  if (style.align & align::center) x += std::max(0, (width - size.width) / 2);
  else if (style.align & align::right) x += std::max(0, width - size.width);
  if (style.align & align::middle) y += std::max(0, (height - size.lines) / 2);
  else if (style.align & align::bottom) y += std::max(0, height - size.lines);
  draw_text(buf, text, x, y, clip, style, flags);
}

void render_tree(Widget* w, int x, int y, int depth);

void render_pane(const Cell& face, int x, int y, int depth) {
  Cell pane = facet_of(face, facet::pane);
  if (!pane.is(Type::block)) return;
  for (int32_t i = 0; i < block::vs_length(pane); ++i) {  // re-read: rendering may allocate
    Widget* child = face_handle(*block::vs_abs_at(pane, series_head(pane) + i));
    if (child && !child->window) render_tree(child, x, y, depth + 1);
  }
}

void render_tree(Widget* w, int x, int y, int depth) {
  if (depth > max_depth || (w->flags & wflag::hidden)) return;
  if (w->parent) x += static_cast<int>(w->x1), y += static_cast<int>(w->y1);
  if (w->render) w->render(x, y, w);
  else render_field(x, y, w, render::escapes);
  render_pane(w->face, x, y, depth);
}

}  // namespace

namespace widgets {

Rect clip_of(int x, int y, const Widget* w) {
  int width, height;
  widget_size(w, width, height);
  Rect r{x, y, x + width, y + height};
  const Widget* p = w->parent;
  if (p && p->parent) {
    int px, py, pw, ph;
    absolute_position(p, px, py);
    widget_size(p, pw, ph);
    r.x1 = std::max(r.x1, px), r.y1 = std::max(r.y1, py);
    r.x2 = std::min(r.x2, px + pw), r.y2 = std::min(r.y2, py + ph);
  }
  r.x1 = std::max(r.x1, 0), r.y1 = std::max(r.y1, 0);
  r.x2 = std::min(r.x2, buffer().width()), r.y2 = std::min(r.y2, buffer().height());
  return r;
}

}  // namespace widgets

void render_field(int x, int y, Widget* w, uint32_t flags) {
  widgets::render_in(x, y, w, flags, widgets::clip_of(x, y, w));
}

void widgets::render_in(int x, int y, Widget* w, uint32_t flags, const Rect& clip) {
  if (clip.empty()) return;
  Style style = face_style(w->face);
  CellBuffer& buf = buffer();
  for (int row = clip.y1; row < clip.y2; ++row)
    for (int col = clip.x1; col < clip.x2; ++col) buf.at(col, row) = {U' ', style.bg, 0, 0};
  if (!w->image_cells.empty() && w->image_width > 0) {
    std::vector<ScreenCell> row_cells;
    for (size_t i = 0; i * w->image_width < w->image_cells.size(); ++i) {
      auto first = w->image_cells.begin() + static_cast<long>(i * w->image_width);
      row_cells.assign(first, first + w->image_width);
      draw_cells(buf, row_cells, x, y + static_cast<int>(i), clip, 0);
    }
  }
  if (series::is_char_series(w->ui.type())) draw_text(buf, text_of(w->ui), x, y, clip, style, flags);
  if (!(flags & render::ui_only)) draw_face_text(x, y, w, clip, style, flags);
  Cell draw = facet_of(w->face, facet::draw);
  if (!draw.is(Type::block) || block::vs_length(draw) <= 0) return;
  draw::Target target{&buf, x, y, clip, style.bg};
  draw::run(&target, w->face, draw, true);
}

void render_current() {
  WindowState* s = ui().current;
  if (!s || !s->widget) return;
  int width = std::min(static_cast<int>(s->x2 - s->x1), console().width);
  int height = std::min(static_cast<int>(s->y2 - s->y1), console().height);
  buffer().resize(width, height);
  frame().caret_col = frame().caret_row = -1;
  render_tree(s->widget, 0, 0, 0);
}

void present() {
  FrameState& f = frame();
  WindowState* s = ui().current;
  if (!s || !s->widget) return;
  int height = std::min(static_cast<int>(s->y2 - s->y1), console().height);
  if (f.fullscreen) f.scroll_x = f.scroll_y = 0;
  else if (console().height < f.scroll_y + height) f.scroll_y = console().height - height;
  if (!f.redraw_needed) return;
  render_current();
  Widget* focused = ui().focused;
  bool caret = focused && (focused->flags & wflag::caret) && f.caret_row >= 0 &&
               f.caret_row < buffer().height();  // a caret the frame cannot place is hidden
  if (!caret) set_cursor_visible(false);
  if (f.fullscreen) set_alternate_screen(true);
  write_frame(caret);
  if (caret) set_cursor_visible(true);
}

void image_to_cells(Widget* w) {
  w->image_cells.clear();
  w->image_width = 0;
  Cell img = facet_of(w->face, facet::image);
  int width, height;
  widget_size(w, width, height);
  if (!img.is(Type::image) || width <= 0 || height <= 0) return;
  int iw = image::width(img), ih = image::height(img);
  if (iw <= 0 || ih <= 0) return;
  const uint32_t* px = image::pixels(img);
  bool rgb = frame().color_depth == 4;
  auto colour = [&](uint32_t p) {
    uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return rgb ? color::rgb(p & 0xFFFFFF) : rgb_to_256(r | g << 8 | b << 16);
  };
  auto sample = [&](int x, int y) {  // nearest pixel of the image scaled to width x 2*height
    return px[static_cast<size_t>(y * ih / (2 * height)) * iw + x * iw / width];
  };
  w->image_cells.resize(static_cast<size_t>(width) * height);
  w->image_width = width;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t upper = sample(x, 2 * y), lower = sample(x, 2 * y + 1);
      ScreenCell& c = w->image_cells[static_cast<size_t>(y) * width + x];
      if ((upper >> 24) == 0) c = {U' ', 0, 0, 0};
      else c = {0x2584, colour(upper), colour(lower), 0};
    }
}

}  // namespace vyn::tui
