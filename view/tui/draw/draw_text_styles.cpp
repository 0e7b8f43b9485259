// view/tui/draw/draw_text_styles.cpp: the rich-text style block (ranges followed by attributes) applied
// to the prepared cells of a text.
#include "core/error.hpp"
#include "values/series/block.hpp"
#include "values/numbers/pair.hpp"
#include "values/cycles.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/draw/draw.hpp"
#include "view/tui/draw/draw_internal.hpp"

namespace vyn::draw {
namespace {

using tui::ScreenCell;
namespace attr = tui::attr;

struct Range {  // 64 bits: a pair's start plus its length may pass the int32 range
  int64_t start = 0;
  int64_t length = 0;
};

// Applies f to every cell of the range, cut to the layout.
template <class F>
void each_cell(TextLayout& layout, Range r, F f) {
  int64_t count = static_cast<int64_t>(layout.size());
  int64_t start = r.start < 0 ? 0 : r.start;
  int64_t end = r.start + r.length > count ? count : r.start + r.length;
  for (int64_t i = start; i < end; ++i) f(layout[static_cast<size_t>(i)]);
}

uint32_t attribute_of(const Cell& w) {
  if (word_is(w, "bold")) return attr::bold;
  if (word_is(w, "italic")) return attr::italic;
  if (word_is(w, "underline")) return attr::underline;
  if (word_is(w, "strike")) return attr::strike;
  return 0;
}

// underline, strike and border may carry a colour and a lit-word, which the terminal ignores.
void skip_decoration(Args& a) {
  uint32_t c;
  (void)a.opt_colour(c);
  if (a.more() && a.peek().is(Type::lit_word)) (void)a.take();
}

void apply(TextLayout& layout, const Cell& styles) {
  Args a(styles, series_head(styles) < 0 ? 0 : series_head(styles));
  Range range;
  int64_t count = static_cast<int64_t>(layout.size());
  while (a.more()) {
    Cell v = a.take();
    if (v.is(Type::pair)) {
      range.start = int64_t{pair::x_of(v)} - 1;
      range.length = pair::y_of(v);
      if (range.start + range.length > count) range.length = count - range.start;
    } else if (v.is(Type::tuple)) {
      uint32_t fg = tui::rgb_to_256(color_of(v, nullptr));
      each_cell(layout, range, [fg](ScreenCell& c) { c.fg = fg; });
    } else if (v.is(Type::word) && word_is(v, "backdrop")) {
      uint32_t bg = tui::rgb_to_256(a.colour());
      each_cell(layout, range, [bg](ScreenCell& c) { c.bg = bg; });
    } else if (v.is(Type::word) && word_is(v, "border")) {
      skip_decoration(a);
    } else if (v.is(Type::word) && attribute_of(v)) {
      uint32_t bits = attribute_of(v);
      each_cell(layout, range, [bits](ScreenCell& c) { c.attrs |= bits; });
      if (bits == attr::underline || bits == attr::strike) skip_decoration(a);
    } else if (!v.is(Type::string) && !v.is(Type::integer) && !v.is(Type::float_)) {
      a.fail_at(a.index() - 1);  // strings and numbers name fonts, which cells cannot show
    }
  }
}

}  // namespace

// A drawing run that shows a rich text has its blocks on the cycle stack: they stay there, or a
// block that holds itself would draw itself until the C++ stack ran out.
void parse_text_styles(TextLayout& layout, const Cell& styles, bool catch_errors) {
  if (!styles.is(Type::block)) return;
  int depth = cycles::depth();
  try {
    apply(layout, styles);
  } catch (const Raised&) {
    if (cycles::depth() > depth) cycles::pop_n(cycles::depth() - depth);
    if (!catch_errors) throw;
  }
}

}  // namespace vyn::draw
