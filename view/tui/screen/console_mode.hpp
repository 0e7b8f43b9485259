// view/tui/screen/console_mode.hpp: the terminal modes the text UI needs: raw input, the console size,
// writing frames, reading input bytes, and the few private-mode control sequences.
//
// When standard input is not a terminal, terminal mode is never entered and nothing is read from
// the terminal; when standard output is not a terminal the size is $COLUMNS x $LINES when set,
// else 80 x 24.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vyn::tui {

struct ConsoleState {
  bool terminal_mode = false;  // raw input in force
  bool alternate_screen = false;
  bool cursor_hidden = false;
  bool mouse_on = false;       // last applied mouse reporting
  int width = 80, height = 24;
  int position_queries = 0;    // cursor-position requests not answered yet
  double first_query_ms = 0;   // when the oldest of them was written
};
ConsoleState& console();

// Raw input (no echo, no line buffering, signals kept as keys) while the text UI runs. Entered
// only when standard input is a terminal; answers whether the mode is on.
bool enter_terminal_mode();
void leave_terminal_mode();
// Around ordinary output (terminal output processing needs nothing here; kept for the hooks).
void restore_output_mode();
void set_vt_output_mode();
bool is_char_device(int fd);
// Reads the console size into console(); 0, or -1 when it reports none (80 x 24 then).
int query_screen_size();
// One write of the bytes to standard output (after anything printed before).
void write_console(std::string_view bytes);
// Appends the bytes waiting on standard input (a terminal or redirected), without blocking;
// answers how many, or -1 at the end of the input.
int read_console_input(std::string& into);
// Waits up to ms milliseconds for input; answers whether input is waiting.
bool wait_input(int ms);

// Control sequences, each written at once.
void set_private_mode(int mode, bool on);
void set_alternate_screen(bool on);
void set_mouse_reporting(bool on);
void set_cursor_visible(bool visible);
void cursor_down(int n);
// Asks the terminal where the cursor is; its answer arrives as input. The answer's arrival is
// noted with position_answered, and leaving terminal mode waits for those still to come, so that
// none arrives once the terminal echoes input again (it would show as text).
void request_cursor_position();
void position_answered();

}  // namespace vyn::tui
