// view/tui/widgets/group_box.cpp: the group box: a background, a line border (square or
// rounded corners, optionally coloured) and its title on the top border.
#include "values/series/block.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/text_layout.hpp"
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

struct Border {
  bool round = false;
  uint32_t fg = 0;
  bool coloured = false;
};

Border border_of(const Cell& face) {
  Border b;
  Cell options = facet_of(face, facet::options);
  if (!options.is(Type::block)) return b;
  int32_t n = block::vs_length(options);
  for (int32_t i = 0; i + 1 < n; ++i) {
    Cell key = *block::vs_abs_at(options, series_head(options) + i);
    Cell value = *block::vs_abs_at(options, series_head(options) + i + 1);
    if (word_spelled(key, "border-corners")) b.round = word_spelled(value, "round");
    if (word_spelled(key, "border-color")) {
      b.coloured = value.is(Type::tuple);
      b.fg = b.coloured ? rgb_to_256(tuple_color(value)) : 0;
    }
  }
  return b;
}

void put(const Rect& clip, int x, int y, char32_t cp, const Border& b) {
  if (x < clip.x1 || x >= clip.x2 || y < clip.y1 || y >= clip.y2) return;
  ScreenCell& c = buffer().at(x, y);
  c.cp = static_cast<int32_t>(cp);
  c.attrs &= ~attr::continuation;
  if (b.coloured) c.fg = b.fg;
}

void render_widget(int x, int y, Widget* w) {
  render_field(x, y, w, render::ui_only);
  Rect clip = widgets::clip_of(x, y, w);
  if (clip.empty()) return;
  Border b = border_of(w->face);
  int width, height;
  widget_size(w, width, height);
  int right = x + width - 1, bottom = y + height - 1;
  for (int col = x + 1; col < right; ++col) put(clip, col, y, U'─', b), put(clip, col, bottom, U'─', b);
  for (int row = y + 1; row < bottom; ++row) put(clip, x, row, U'│', b), put(clip, right, row, U'│', b);
  put(clip, x, y, b.round ? U'╭' : U'┌', b);
  put(clip, right, y, b.round ? U'╮' : U'┐', b);
  put(clip, x, bottom, b.round ? U'╰' : U'└', b);
  put(clip, right, bottom, b.round ? U'╯' : U'┘', b);
  Cell text = facet_of(w->face, facet::text);
  if (!text.is(Type::string)) return;
  Style style;
  Cell font_color = field_of(facet_of(w->face, facet::font), font_field::color);
  if (font_color.is(Type::tuple)) style.fg = rgb_to_256(tuple_color(font_color));
  style.bg = buffer().contains(x + 1, y) ? buffer().at(x + 1, y).bg : 0;
  Rect top{std::max(clip.x1, x + 1), clip.y1, clip.x2, std::min(clip.y2, y + 1)};
  draw_text(buffer(), text_of(text), x + 1, y, top, style, render::escapes);
}

}  // namespace

namespace widgets {

void setup_group_box(Widget* w) { w->render = render_widget; }

}  // namespace widgets
}  // namespace vyn::tui
