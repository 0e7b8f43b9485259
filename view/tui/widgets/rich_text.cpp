// view/tui/widgets/rich_text.cpp: the rich-text widget: one prepared cell per character of its
// text, styled by the rich-text data.
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/text_layout.hpp"
#include "view/tui/draw/draw.hpp"
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

int32_t build_layout(Widget* w) {
  w->rich.clear();
  Cell text = facet_of(w->face, facet::text);
  if (!text.is(Type::string) || !facet_of(w->face, facet::data).is(Type::block)) return 0;
  w->rich = draw::layout_rich_text(w->face);
  return 0;
}

void render_widget(int x, int y, Widget* w) { render_field(x, y, w, 0); }

}  // namespace

namespace widgets {

void setup_rich_text(Widget* w) {
  w->update = build_layout;
  w->render = render_widget;
  build_layout(w);
}

}  // namespace widgets
}  // namespace vyn::tui
