// view/tui/widget.hpp: the widget record every shown face owns, its flag bits, the way from a face
// to its widget, the readers of a face's facets, and the window and focus state of the interface.
//
// A face's widget is named by the first value of its `state` block: a handle! of the window kind
// whose value is the widget's id (its slot in the widget table + 1), never an address.
#pragma once

#include <cstdint>
#include <vector>

#include "core/cell.hpp"
#include "values/ports/event.hpp"
#include "view/tui/screen/cell_buffer.hpp"

namespace vyn::tui {

// Widget flag bits.
namespace wflag {
inline constexpr uint32_t integer_size = 0x10000;  // the face's size was a pair!
inline constexpr uint32_t hidden = 0x20000;
inline constexpr uint32_t disabled = 0x40000;      // receives no events
inline constexpr uint32_t all_over = 0x100000;
inline constexpr uint32_t caret = 0x200000;        // shows the text cursor
inline constexpr uint32_t focusable = 0x400000;
inline constexpr uint32_t away = 0x1000000;        // the pointer left it while a button was held
inline constexpr uint32_t focused = 0x2000000;
inline constexpr uint32_t password = 0x10000000;
inline constexpr uint32_t fullscreen = 0x40000000;
inline constexpr uint32_t caret_owner = 0x80000000;
}  // namespace wflag

// Bits of a face's `flags` facet (get_flags).
namespace fflag {
inline constexpr uint32_t all_over = 0x1, focusable = 0x2, tri_state = 0x20000,
                          scrollable = 0x40000, password = 0x80000, no_sync = 0x100000,
                          fullscreen = 0x200000, popup = 0x1000000, modal = 0x2000000,
                          resize = 0x4000000, no_buttons = 0x8000000, no_max = 0x10000000,
                          no_min = 0x20000000, no_title = 0x40000000, no_border = 0x80000000;
}  // namespace fflag

// 0-based positions of the facets in a face's values (fixed by face!).
namespace facet {
inline constexpr int type = 0, offset = 1, size = 2, text = 3, image = 4, color = 5, menu = 6,
                     data = 7, enabled = 8, visible = 9, selected = 10, flags = 11, options = 12,
                     parent = 13, pane = 14, state = 15, rate = 16, edge = 17, para = 18,
                     font = 19, actors = 20, extra = 21, draw = 22;
}  // namespace facet
namespace font_field {
inline constexpr int name = 0, size = 1, style = 2, weight = 3, angle = 4, color = 5,
                     anti_alias = 6, shadow = 7, state = 8, parent = 9;
}
namespace para_field {
inline constexpr int origin = 0, padding = 1, scroll = 2, align = 3, v_align = 4, wrap = 5,
                     parent = 6;
}

// Event type codes the widgets use.
namespace evt {
inline constexpr int32_t click = 9, dbl_click = 10, key = 13, focus = 17, unfocus = 18, select = 25,
                         change = 26, time = 33;
}

struct Widget;
struct WindowState;

using UpdateFn = int32_t (*)(Widget* w);
using RenderFn = void (*)(int x, int y, Widget* w);
// Handles an event the face's actors left unhandled; answers 1 when it handled it.
using InputFn = int32_t (*)(Widget* w, int32_t type, const event::Record& e);

// The caret of a field: index in characters, column in display columns, text width in columns.
struct FieldEdit {
  int32_t caret_index = 0, caret_col = 0, text_width = 0;
};

struct Widget {
  uint32_t id = 0;          // slot in the widget table + 1
  uint64_t serial = 0;      // unique for the run: tells a widget from a later one at its place
  uint32_t type = 0;        // canonical symbol of the face's type word
  uint32_t flags = 0;       // wflag bits
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // relative to the parent: offset .. offset + size
  Widget* parent = nullptr;              // null for a window
  std::vector<ScreenCell> image_cells;   // cells made from the face's image
  int32_t image_width = 0;               // columns of image_cells per row
  Cell ui = make_none();                 // text shown instead of the face's text, or none
  // The type's data: text-list top row / check and radio 0; window state; field caret;
  // rich-text prepared cells.
  int32_t top_row = 0;
  WindowState* window = nullptr;
  FieldEdit edit;
  std::vector<ScreenCell> rich;
  UpdateFn update = nullptr;  // null: does nothing, answers 0
  RenderFn render = nullptr;  // null: the text renderer with flags 0x1000
  InputFn input = nullptr;    // null: answers 0
  Cell face = make_none();    // copy of the face's cell; marked by the widget table
};

struct WindowState {
  int32_t flags = 0;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // drawing rectangle; the cell buffer takes its size
  Widget* widget = nullptr;
  Widget* focused = nullptr;
  int32_t reserved = 0;
  int32_t carets = 0;  // widgets with the caret flag
};

// The interface's windows, focus and pointer tracking.
struct UiState {
  std::vector<WindowState*> windows;  // open windows, newest last
  WindowState* current = nullptr;
  Widget* last_window = nullptr;
  Widget* focused = nullptr;
  Widget* hover = nullptr;
  Widget* pressed = nullptr;
  std::vector<Widget*> pressed_chain;
};
UiState& ui();

// ---- the widget table

// A zeroed widget for the face under parent (null for a window), registered in the table.
Widget* new_widget(const Cell& face, Widget* parent);
// Frees every widget and window: the interface starts afresh.
void free_all_widgets();
// Frees a widget and its data; a window leaves the windows vector (the newest one left becomes
// current). Any pointer to it held by the interface state is cleared.
void free_widget(Widget* w);
// The widget of an id, or null.
Widget* widget_of_id(uint32_t id);
// What an event handler cannot take away: whether the widget noted before is still alive.
struct WidgetRef {
  Widget* widget;
  uint32_t id;
  uint64_t serial;
  explicit WidgetRef(Widget* w) : widget(w), id(w ? w->id : 0), serial(w ? w->serial : 0) {}
  bool alive() const;
};

// ---- face to widget and facet readers (none allocates)

// The facet's value cell, or a none cell when the face has no such facet.
Cell facet_of(const Cell& face, int index);
Cell* facet_slot(const Cell& face, int index);  // null when absent; good until an allocation
Cell field_of(const Cell& obj, int index);      // the same for font and para objects
// The widget named by the face's state, or null (no view yet, or destroyed).
Widget* face_handle(const Cell& face);
bool has_focus(const Widget* w);
int32_t widget_data(const Widget* w);
void set_widget_ui(Widget* w, const Cell& str);
// Bits of a flags facet value: a word or a block of words; anything else 0. A word not in the
// table raises script/invalid-arg.
uint32_t get_flags(const Cell& flags);
uint32_t para_align(const Cell& face);
uint32_t face_color(const Cell& face);
// The font's state when it is a handle! (its value), else 0.
uint32_t font_handle(const Cell& font);
// A pair! cell turned in place into the point2D! of the same x and y.
void pair_to_point(Cell& cell);
uint32_t tuple_color(const Cell& tuple);
// Whether a widget's type, a word or a symbol is spelled so (letter case ignored).
bool type_is(const Widget* w, const char* spelling);
bool word_spelled(const Cell& word, const char* spelling);
bool symbol_spelled(uint32_t symbol, const char* spelling);
void widget_size(const Widget* w, int& width, int& height);
void absolute_position(const Widget* w, int& x, int& y);
// Characters <-> UTF-16 units of a string range (step 1: to units; -1: to characters).
int32_t str_utf16_index(const Cell& str, int32_t index, int32_t length, int32_t step);

// ---- widget behaviour

// The widget of a face under parent (null for a window): flags, rectangle, type set-up, the
// window's rectangle, caret count and focus, image cells and timer. The caller stores the
// handle in the face's state.
Widget* make_widget(const Cell& face, Widget* parent);
// The rectangle from the face's offset (a pair! there becomes a point2D!), size kept; and from
// its size (a window's drawing rectangle follows).
void read_offset(Widget* w);
void read_size(Widget* w);
// The type set-up of a freshly made widget (window, field, button, base, ...).
void setup_widget(Widget* w);
// Runs the widget's update function.
int32_t run_update(Widget* w);
// The default text renderer.
void render_field(int x, int y, Widget* w, uint32_t flags);
// Makes the window current, gives the focus, clears pointer tracking.
void activate_window(WindowState* s);
// A window widget made current and marked for redrawing (show-window).
void show_window(Widget* w);
// Moves the focus to w (null: none), keeping the focused flags right.
void set_focus(Widget* w);
// From w (or the focused widget) up to its window; when that window is current, asks for a
// redraw.
void mark_dirty(Widget* w);
// The image facet turned into the widget's cells.
void image_to_cells(Widget* w);

// Set by the event loop: sends the event to the widget (its input function, then its face);
// answers 1 when a handler answered done. Null until the event loop installs it.
using EventSender = int32_t (*)(Widget* w, const event::Record& e);
extern EventSender event_sender;
int32_t send_event(Widget* w, int32_t type, int32_t picked = 0);

// ---- timers

// Starts the widget's timer from the face's rate (integer per second or time!); none removes it.
// Other values and rates not above 0 raise script/invalid-facet-type.
void start_rate_timer(Widget* w, const Cell& rate);
// The interval of a rate in milliseconds, -1 for none; raises the error above.
int32_t rate_interval(const Cell& rate);
void add_timer(Widget* w, int32_t interval_ms);
void remove_timer(Widget* w);
void remove_all_timers(Widget* w);
void tick_timers(int32_t elapsed_ms);
// Milliseconds since an arbitrary start, high resolution.
double now_ms();
double elapsed_ms(double start);
int timer_count();
int32_t timer_interval(Widget* w);  // the newest timer's interval, -1 when it has none

}  // namespace vyn::tui
