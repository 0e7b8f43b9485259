// view/tui/platform_routines.cpp: the routines of system/view/platform. Start-up makes each one
// from its spec text when boot/base asks `_gui-routine` for it by name, so the platform object
// holds them as routine! values without global words of their own.
#include "view/tui/platform_routines.hpp"

#include "values/callables/routine.hpp"
#include "core/error.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/callables/function.hpp"
#include "values/ports/handle.hpp"
#include "values/objects/ownership.hpp"
#include "values/numbers/point.hpp"
#include "values/numbers/pair.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "view/tui/backend.hpp"
#include "view/tui/screen/console_mode.hpp"
#include "view/tui/draw/draw.hpp"
#include "view/tui/input/event_loop.hpp"
#include "view/tui/screen/text_layout.hpp"
#include "values/predefined.hpp"

namespace vyn::tui {
namespace {

using routine::Invocation;

Cell* arg(const Invocation& inv, int k) { return inv.result + k; }
void answer_none(Invocation& inv) { *inv.result = make_none(); }
Cell type_of(const Cell& v) { return make_datatype(v.type()); }
int32_t block_length(Cell b) { return block::vs_length(b); }
Cell* block_at(Cell b, int32_t i) { return block::vs_head(b) + i; }  // good until an allocation

void make_null_handle(Invocation& inv) { handle::make_at(inv.result, 0, handle::none); }

void get_screen_size(Invocation& inv) {
  query_screen_size();
  *inv.result = pair::make(console().width, console().height);
}

void size_text(Invocation& inv) {
  Cell face = *arg(inv, 0);
  Cell value = *arg(inv, 1);
  if (value.is(Type::none_)) value = facet_of(face, facet::text);
  else if (!value.is(Type::string)) fire(Err::script_invalid_type, {type_of(value)});
  if (!value.is(Type::string)) return answer_none(inv);
  TextSize size = text_size(text_of(value));
  *inv.result = point::make2(static_cast<float>(size.width), static_cast<float>(size.lines));
}

// owner word value action new index part; new is not needed here.
void on_change_facet(Invocation& inv) {
  update_facet(*arg(inv, 0), *arg(inv, 1), *arg(inv, 2), *arg(inv, 3), inv.args[5].i, inv.args[6].i);
  answer_none(inv);
}

void update_font(Invocation& inv) {
  int32_t changed = inv.args[1].i;
  if (changed == 0 || changed == 1 || changed == 2 || changed == 4 || changed == 6) {
    if (Cell* state = facet_slot(*arg(inv, 0), font_field::state)) *state = make_none();
  }
  answer_none(inv);
}

void update_para(Invocation& inv) {
  Cell face = *arg(inv, 0);
  Cell state = facet_of(face, facet::state);
  if (word::any_word_q(facet_of(face, facet::type).type()) && state.is(Type::block) &&
      block_length(state) >= 2) {
    Cell* flags = block_at(state, 1);
    if (flags->is(Type::integer)) flags->set_int_value(flags->int_value() | 0x40000);
  }
  answer_none(inv);
}

void destroy_view_body(Invocation& inv) {
  destroy_view(*arg(inv, 0));
  answer_none(inv);
}

void detach_image(Invocation& inv) {
  ownership::unbind(*arg(inv, 0));
  answer_none(inv);
}

void update_view_body(Invocation& inv) {
  Cell value = *arg(inv, 0);
  if (value.is(Type::block)) {
    int32_t n = block_length(value);
    for (int32_t i = 0; i < n; ++i)  // every value is checked before any face changes
      if (!block_at(value, i)->is(Type::object)) fire(Err::script_invalid_type, {type_of(*block_at(value, i))});
    for (int32_t i = 0; i < n && i < block_length(value); ++i) {
      Cell face = *block_at(value, i);
      if (facet_of(face, facet::state).is(Type::block)) update_view(face);
    }
  } else if (value.is(Type::object)) {
    Cell type = facet_of(value, facet::type);
    if (!(word::any_word_q(type.type()) && word_spelled(type, "screen"))) update_view(value);
  } else {
    fire(Err::script_invalid_type, {type_of(value)});
  }
  answer_none(inv);
}

Widget* widget_of_handle(const Cell& h) { return h.is(Type::handle) ? widget_of_id(handle::value_of(h)) : nullptr; }

void refresh_window(Invocation& inv) {
  mark_dirty(widget_of_handle(*arg(inv, 0)));
  answer_none(inv);
}

void redraw(Invocation& inv) {
  if (Widget* w = face_handle(*arg(inv, 0))) mark_dirty(w);
  answer_none(inv);
}

void show_window_body(Invocation& inv) {
  if (Widget* w = widget_of_handle(*arg(inv, 0))) show_window(w);
  answer_none(inv);
}

void make_view_body(Invocation& inv) {
  Widget* w = make_view(*arg(inv, 0), widget_of_handle(*arg(inv, 1)));
  handle::make_at(inv.result, w->id, handle::window);
}

void draw_image(Invocation& inv) {
  Cell image = *arg(inv, 0);
  draw::run_on_image(image, *arg(inv, 1));
  Cell poke = predefined::word(predefined::W::poke);
  ownership::check(*arg(inv, 0), poke, nullptr, -1, -1);
  answer_none(inv);
}

void do_event_loop(Invocation& inv) { *inv.result = make_logic(do_events(inv.args[0].i)); }

void exit_event_loop(Invocation& inv) {
  post_quit_msg();
  answer_none(inv);
}

void request_font(Invocation& inv) { *inv.result = *arg(inv, 0); }

// TUI-helpers/<name> with the five arguments; errors and exits out of it reach the caller as
// errors (the barrier turns exits into errors).
void call_helper(Invocation& inv, const char* name) {
  Cell helpers = *word::value_cell(predefined::word(predefined::W::tui_helpers));
  Cell* fn = helpers.is(Type::object) ? context::value_cell_of(context::of(helpers), symbol::make(name)) : nullptr;
  if (!fn || !fn->is(Type::function)) fire(Err::script_no_value, {word::load(name)});
  Cell function = *fn;
  Cell* top = stack::top();
  stack::CallFrame* ctop = stack::frames_top();
  Cell* args = stack::arguments();
  Cell word = word::load(name);
  stack::mark_try_all(&word);
  Cell* v = stack::push(*arg(inv, 0));
  stack::push(*arg(inv, 1));
  stack::push(*arg(inv, 2));
  stack::push(make_logic(inv.args[3].i));
  stack::push(make_logic(inv.args[4].i));
  Flow f = interp::call_with(function, v, 5, word);
  Cell answer = f == Flow::normal ? *stack::last_value() : make_none();
  stack::set_ctop(ctop);
  stack::set_arguments(args);
  stack::set_top(top);
  *inv.result = answer;
}

void request_file(Invocation& inv) { call_helper(inv, "request-file"); }
void request_dir(Invocation& inv) { call_helper(inv, "request-dir"); }

void text_box_metrics(Invocation& inv) {
  Cell box = *arg(inv, 0);
  Cell type = facet_of(box, facet::type);
  if (!(word::any_word_q(type.type()) && word_spelled(type, "rich-text")))
    fire(Err::script_face_type, {type});
  if (!facet_of(box, facet::text).is(Type::string)) return answer_none(inv);
  Cell* answer = draw::text_box_metrics(box, *arg(inv, 1), inv.args[2].i);
  *inv.result = *answer;
}

void answer_false(Invocation& inv) { *inv.result = make_logic(false); }

void draw_face(Invocation& inv) { answer_none(inv); }  // the terminal has no device context

struct Definition {
  const char* name;
  const char* spec;
  routine::Body body;
};

// clang-format off
const Definition definitions[] = {
    {"make-null-handle", "", make_null_handle},
    {"fetch-all-screens", "", answer_none},
    {"get-screen-size", "id [integer!]", get_screen_size},
    {"size-text", "face [object!] value [any-type!]", size_text},
    {"on-change-facet", "owner [object!] word [any-word!] value [any-type!] action [word!] "
        "new [any-type!] index [integer!] part [integer!]", on_change_facet},
    {"update-text", "face [object!]", answer_none},
    {"update-font", "font [object!] flags [integer!]", update_font},
    {"update-para", "face [object!] flags [integer!]", update_para},
    {"destroy-view", "face [object!] empty? [logic!]", destroy_view_body},
    {"detach-image", "img [image!]", detach_image},
    {"update-view", "face [any-type!]", update_view_body},
    {"refresh-window", "h [handle!]", refresh_window},
    {"redraw", "face [object!]", redraw},
    {"show-window", "id [handle!]", show_window_body},
    {"make-view", "face [object!] parent [handle!]", make_view_body},
    {"draw-image", "image [image!] cmds [block!]", draw_image},
    {"draw-face", "face [object!] cmds [block!]", draw_face},
    {"do-event-loop", "no-wait? [logic!]", do_event_loop},
    {"exit-event-loop", "", exit_event_loop},
    {"request-font", "font [object!] selected [any-type!] mono? [logic!]", request_font},
    {"request-file", "title [any-type!] name [any-type!] filter [any-type!] save? [logic!] "
        "multi? [logic!]", request_file},
    {"request-dir", "title [any-type!] dir [any-type!] filter [any-type!] keep? [logic!] "
        "multi? [logic!]", request_dir},
    {"text-box-metrics", "box [object!] arg0 [any-type!] type [integer!]", text_box_metrics},
    {"update-scroller", "scroller [object!] flags [integer!]", answer_none},
    {"set-dark-mode", "face [object!] dark? [logic!]", answer_none},
    {"support-dark-mode?", "return: [logic!]", answer_false},
    {"toggle-GPU", "", answer_none},
};
// clang-format on
constexpr int definition_count = sizeof(definitions) / sizeof(definitions[0]);

const int32_t* entries() { return routine::entries_of<definitions>(); }

}  // namespace

void platform_routine(Invocation& inv) {
  Cell name = *arg(inv, 0);
  for (int i = 0; i < definition_count; ++i) {
    if (!word_spelled(name, definitions[i].name)) continue;
    stack::Mark mark;
    Cell* spec = routine::push_spec(definitions[i].spec);
    function::routine_push(*spec, make_none(), entries()[i], -1, false);
    *inv.result = *stack::last_value();
    return;
  }
  fire(Err::script_invalid_arg, {name});
}

void register_platform_routines() { (void)entries(); }

void gui_init_body(Invocation& inv) {
  gui_init(*arg(inv, 0));
  answer_none(inv);
}

}  // namespace vyn::tui
