// tests/unit/tui/widgets_test.cpp: widgets made from face objects: flag words, colours, timers,
// field editing, text-list selection, toggles, buttons, borders and the frame of a small tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/values/eval_text.hpp"
#include "values/ports/handle.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/console_mode.hpp"
#include "view/tui/widget.hpp"

namespace vyn::tui {
namespace {

using test::eval_text;
using test::value_of;

std::vector<event::Record> sent;
int32_t answer = 0;  // what the face's handlers answer

int32_t record_event(Widget*, const event::Record& e) {
  sent.push_back(e);
  return answer;
}

class TuiWidgets : public test::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    free_all_widgets();
    frame() = FrameState{};
    console() = ConsoleState{};
    sent.clear();
    answer = 0;
    event_sender = record_event;
    // Every facet of a face, in its order.
    eval_text(
        "tface: make object! [type: 'base offset: 0x0 size: 10x1 text: none image: none "
        "color: none menu: none data: none enabled?: true visible?: true selected: none "
        "flags: none options: none parent: none pane: none state: none rate: none edge: none "
        "para: none font: none actors: none extra: none draw: none]");
  }
  void TearDown() override {
    free_all_widgets();
    event_sender = nullptr;
    RuntimeTest::TearDown();
  }

  // A face made from tface with the spec, given a widget whose handle its state holds.
  Widget* make(const std::string& name, const std::string& spec, Widget* parent = nullptr) {
    eval_text(name + ": make tface [" + spec + "]");
    Widget* w = make_widget(value_of(name), parent);
    eval_text(name + "/state: copy [h 0 none false]");
    Cell state = *eval_text(name + "/state");
    handle::make_at(block::vs_abs_at(state, series_head(state)), w->id, handle::window);
    return w;
  }
  Widget* window(const std::string& spec = "size: 20x5") {
    Widget* w = make("win", "type: 'window " + spec);
    show_window(w);
    return w;
  }
  std::string text_of_face(const std::string& name) { return test::form(*eval_text(name + "/text")); }
};

event::Record key(int32_t k, bool special = false) {
  event::Record e;
  e.type = evt::key;
  e.key = k;
  e.special = special;
  return e;
}

TEST_F(TuiWidgets, FlagWords) {
  EXPECT_EQ(get_flags(*eval_text("'password")), fflag::password);
  EXPECT_EQ(get_flags(*eval_text("[password]")), fflag::password);
  EXPECT_EQ(get_flags(*eval_text("[all-over focusable no-border]")),
            fflag::all_over | fflag::focusable | fflag::no_border);
  EXPECT_EQ(get_flags(make_none()), 0u);
  Cell bogus = *eval_text("'bogus");
  EXPECT_EQ(test::raised([&] { get_flags(bogus); }), Err::script_invalid_arg);
  Widget* w = make("pw", "type: 'field flags: [password focusable]");
  EXPECT_TRUE(w->flags & wflag::password);
  EXPECT_TRUE(w->flags & wflag::focusable);
  Widget* hidden = make("hid", "visible?: false enabled?: 1");
  EXPECT_EQ(hidden->flags & (wflag::hidden | wflag::disabled), wflag::hidden | wflag::disabled);
}

TEST_F(TuiWidgets, ColoursAndFacets) {
  EXPECT_EQ(tuple_color(*eval_text("1.2.3")), 0x030201u);
  EXPECT_EQ(tuple_color(*eval_text("1.2.3.4")), 0x04030201u);  // alpha kept in the top byte
  eval_text("lone: make tface [type: 'text]");
  EXPECT_EQ(face_handle(value_of("lone")), nullptr);
  EXPECT_EQ(widget_data(face_handle(value_of("lone"))), 0);
  eval_text("aligned: make tface [para: make object! [origin: none padding: none scroll: none "
            "align: 'center v-align: 'bottom wrap?: true parent: none]]");
  EXPECT_EQ(para_align(value_of("aligned")), align::center | align::bottom | align::wrap);
  // Characters and UTF-16 units of a string holding a character beyond the BMP.
  Cell wide = *eval_text("to string! #{61F09F988062}");  // a U+1F600 b
  EXPECT_EQ(str_utf16_index(wide, 0, 3, 1), 4);
  EXPECT_EQ(str_utf16_index(wide, 0, 4, -1), 3);
  EXPECT_EQ(str_utf16_index(wide, 2, 1, 1), 1);
  EXPECT_EQ(str_utf16_index(*eval_text("\"abc\""), 0, 3, 1), 3);  // narrow strings: unchanged
}

TEST_F(TuiWidgets, WindowAndGeometry) {
  Widget* win = make("win", "type: 'window offset: 5x5 size: 20x4");
  EXPECT_EQ(test::mold(*eval_text("win/offset")), "0x0");
  Widget* panel = make("pnl", "type: 'panel offset: 2x1 size: 10x3", win);
  Widget* inner = make("txt", "type: 'text offset: 3x1 size: 4x1", panel);
  int x, y;
  absolute_position(inner, x, y);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 2);
}

TEST_F(TuiWidgets, Timers) {
  Widget* w = make("t", "rate: 3");
  EXPECT_EQ(timer_interval(w), 333);
  eval_text("t/rate: 0:0:0.5");
  start_rate_timer(w, *eval_text("t/rate"));
  EXPECT_EQ(timer_interval(w), 500);
  tick_timers(400);
  EXPECT_EQ(sent.size(), 1u);  // the 333 ms timer fired; the 500 ms one not yet
  tick_timers(100);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent.back().type, evt::time);
  for (const char* bad : {"0", "-1", "0:0:0", "\"fast\""}) {
    Cell rate = *eval_text(bad);
    EXPECT_EQ(test::raised([&] { start_rate_timer(w, rate); }), Err::script_invalid_facet_type) << bad;
  }
  start_rate_timer(w, make_none());  // removes one timer
  remove_timer(w);
  EXPECT_EQ(timer_interval(w), -1);
}

TEST_F(TuiWidgets, FieldEditing) {
  Widget* win = window();
  Widget* f = make("fld", "type: 'field size: 5x1 text: copy \"ab\"", win);
  EXPECT_EQ(f->edit.caret_index, 2);
  struct Step {
    event::Record e;
    int32_t handled;
    const char* text;
    int caret;
  };
  const Step steps[] = {
      {key(-23, true), 1, "ab", 1},  // left
      {key('x'), 1, "axb", 2},
      {key(6), 1, "axb", 3},         // Ctrl-F
      {key(0x4E2D), 1, "axb\u4E2D", 4},
      {key('y'), 1, "axb\u4E2D", 4},  // would be wider than the field: refused
      {key(127), 1, "axb", 3},
      {key(8), 1, "ax", 2},
      {key(13), 0, "ax", 2},          // enter is left to the view engine
      {key(9), 0, "ax", 2},
      {key(2), 1, "ax", 1},           // Ctrl-B
      {key(2), 1, "ax", 0},
      {key(8), 1, "ax", 0},           // backspace at the start does nothing
      {key(1), 1, "ax", 0},           // other control keys are ignored
  };
  for (const Step& s : steps) {
    EXPECT_EQ(f->input(f, evt::key, s.e), s.handled) << s.text;
    EXPECT_EQ(text_of_face("fld"), s.text);
    EXPECT_EQ(f->edit.caret_index, s.caret) << s.text;
  }
  event::Record click;
  click.type = evt::click;
  click.x = 1;
  f->input(f, evt::click, click);
  EXPECT_EQ(f->edit.caret_index, 1);
  EXPECT_EQ(f->edit.caret_col, 1);
  // The script shortened the text: the caret stays inside it.
  f->edit.caret_index = 2;
  eval_text("clear fld/text");
  EXPECT_EQ(f->input(f, evt::key, key(8)), 1);
  EXPECT_EQ(f->edit.caret_index, 0);
  f->input(f, evt::key, key('q'));
  EXPECT_EQ(text_of_face("fld"), "q");
  // A field whose text is none gets a string of its own.
  Widget* empty = make("nf", "type: 'field size: 5x1", win);
  empty->input(empty, evt::key, key('z'));
  EXPECT_EQ(text_of_face("nf"), "z");
}

TEST_F(TuiWidgets, TextListSelection) {
  Widget* win = window();
  Widget* l = make("lst", "type: 'text-list size: 10x2 data: [\"a\" \"b\" \"c\" \"d\"] selected: 1", win);
  auto selected = [&] { return eval_text("lst/selected")->int_value(); };
  EXPECT_EQ(l->input(l, evt::key, key(-20, true)), 1);  // up on the first row: nothing
  EXPECT_EQ(selected(), 1);
  EXPECT_TRUE(sent.empty());
  l->input(l, evt::key, key(-21, true));
  l->input(l, evt::key, key(-21, true));
  EXPECT_EQ(selected(), 3);
  EXPECT_EQ(l->top_row, 1);  // the selection stays visible
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[2].type, evt::select);
  EXPECT_EQ(sent[2].picked, 3);
  EXPECT_EQ(sent[3].type, evt::change);
  l->input(l, evt::key, key(-21, true));
  l->input(l, evt::key, key(-21, true));  // at the last item
  EXPECT_EQ(selected(), 4);
  l->input(l, evt::key, key(-20, true));
  l->input(l, evt::key, key(-20, true));
  l->input(l, evt::key, key(-20, true));
  EXPECT_EQ(selected(), 1);
  EXPECT_EQ(l->top_row, 0);
  sent.clear();
  answer = 1;  // select handled: no change event
  event::Record click;
  click.type = evt::click;
  click.y = 1;
  EXPECT_EQ(l->input(l, evt::click, click), 1);
  EXPECT_EQ(selected(), 2);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, evt::select);
  EXPECT_EQ(l->input(l, evt::key, key('q')), 0);
}

int32_t close_widget(Widget* w, const event::Record& e) {
  sent.push_back(e);
  free_widget(w);
  return 0;
}

TEST_F(TuiWidgets, ActorClosingTheWidget) {
  Widget* win = window();
  Widget* l = make("lst", "type: 'text-list size: 10x2 data: [\"a\" \"b\"] selected: 1", win);
  Widget* b = make("btn", "type: 'button text: \"OK\"", win);
  event_sender = close_widget;
  EXPECT_EQ(l->input(l, evt::key, key(-21, true)), 1);
  EXPECT_EQ(b->input(b, evt::key, key(' ')), 1);
  ASSERT_EQ(sent.size(), 2u);  // select only: the list was gone before change
  EXPECT_EQ(sent[0].type, evt::select);
  EXPECT_EQ(face_handle(value_of("lst")), nullptr);
}

TEST_F(TuiWidgets, TogglesAndButtons) {
  Widget* win = window();
  Widget* c = make("chk", "type: 'check", win);
  EXPECT_EQ(c->input(c, evt::key, key(' ')), 1);
  EXPECT_EQ(test::mold(*eval_text("chk/data")), "true");
  c->input(c, evt::click, event::Record{});
  EXPECT_EQ(test::mold(*eval_text("chk/data")), "false");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, evt::change);
  Widget* r = make("rad", "type: 'radio data: true", win);
  r->input(r, evt::key, key(' '));
  EXPECT_EQ(test::mold(*eval_text("rad/data")), "true");
  sent.clear();
  Widget* b = make("btn", "type: 'button text: \"OK\"", win);
  EXPECT_EQ(b->input(b, evt::key, key(13)), 0);  // enter does not click
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(b->input(b, evt::key, key(' ')), 1);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, evt::click);
}

// The characters of one buffer row.
std::u32string row(int y) {
  std::u32string out;
  for (int x = 0; x < buffer().width(); ++x) out += static_cast<char32_t>(buffer().at(x, y).cp);
  return out;
}

TEST_F(TuiWidgets, RenderTree) {
  Widget* win = window("size: 8x3");
  make("gb", "type: 'group-box size: 6x3 text: \"T\" options: [border-corners: round]", win);
  make("pw", "type: 'field offset: 1x1 size: 4x1 text: \"ab\" flags: 'password", win);
  eval_text("win/pane: reduce [gb pw]");
  render_current();
  ASSERT_EQ(buffer().width(), 6);  // the window's rectangle holds its children
  ASSERT_EQ(buffer().height(), 3);
  EXPECT_EQ(row(0), U"╭T───╮");
  EXPECT_EQ(row(1), U"│ab  │");
  EXPECT_TRUE(buffer().at(1, 1).attrs & attr::masked);
  EXPECT_EQ(row(2), U"╰────╯");
}

TEST_F(TuiWidgets, HintAndFrame) {
  Widget* win = window("size: 8x1");
  make("nm", "type: 'field size: 6x1 options: [hint \"Name\"]", win);
  make("ok", "type: 'button offset: 6x0 size: 2x1 text: \"OK\"", win);
  eval_text("win/pane: reduce [nm ok]");
  render_current();
  EXPECT_EQ(row(0), U"Name  OK");
  EXPECT_TRUE(buffer().at(0, 0).attrs & attr::dim);
  EXPECT_FALSE(buffer().at(6, 0).attrs & attr::dim);
  ASSERT_TRUE(build_frame(buffer(), false));
  EXPECT_EQ(frame().bytes, "\r\x1b[0J\x1b[2mName\x1b[22m  OK");
}

TEST_F(TuiWidgets, ImageAsHalfBlocks) {
  Widget* win = window();
  eval_text("img: make image! 2x2 poke img 1 255.0.0.255 poke img 2 255.0.0 poke img 4 0.0.255");
  for (int depth : {4, 2}) {
    frame().color_depth = depth;
    Widget* w = make("pic", "type: 'base size: 2x1 image: img", win);
    ASSERT_EQ(w->image_cells.size(), 2u);
    EXPECT_EQ(w->image_cells[0].cp, U' ');  // upper pixel fully transparent
    EXPECT_EQ(w->image_cells[0].bg, 0u);
    EXPECT_EQ(w->image_cells[1].cp, 0x2584);
    EXPECT_EQ(w->image_cells[1].bg, depth == 4 ? color::rgb(0xFF0000) : color::palette(196));
    EXPECT_EQ(w->image_cells[1].fg, depth == 4 ? color::rgb(0x0000FF) : color::palette(21));
  }
}

}  // namespace
}  // namespace vyn::tui
