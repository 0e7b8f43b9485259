// view/tui/screen/console_mode.cpp: raw terminal input through the console's raw mode, the console size,
// one-write output and non-blocking input for the text UI.
#include "view/tui/screen/console_mode.hpp"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/console_out.hpp"
#include "platform/signals.hpp"
#include "platform/terminal.hpp"
#include "view/tui/input/event_loop.hpp"
#include "view/tui/widget.hpp"

namespace vyn::tui {
namespace {

std::unique_ptr<terminal::RawMode> raw_mode;

int env_size(const char* name) {
  const char* text = std::getenv(name);
  if (!text || !*text) return 0;
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  return (*end == 0 && n > 0 && n <= 10000) ? static_cast<int>(n) : 0;
}

void write_all(int fd, const char* data, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t k = ::write(fd, data + done, n - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return os::output_failed(k < 0 ? errno : EIO);
    done += static_cast<size_t>(k);
  }
}

// What a sudden end (a fault, a fatal signal) writes to undo what the interface changed on the
// screen; two buffers in turn, so the one the signal module holds is never the one being written.
void publish_leaving_bytes() {
  static std::string buffers[2];
  static int next = 0;
  ConsoleState& c = console();
  std::string& b = buffers[next];
  b.clear();
  if (c.mouse_on) b += "\x1b[?1000l\x1b[?1003l\x1b[?1015l\x1b[?1006l";
  if (c.alternate_screen) b += "\x1b[0m\x1b[?1049l";
  if (c.cursor_hidden) b += "\x1b[?25h";
  signals::keep_leaving_bytes(signals::Leaving::screen, b.empty() ? nullptr : b.c_str());
  next = 1 - next;
}

}  // namespace

ConsoleState& console() {
  static ConsoleState state;
  return state;
}

bool enter_terminal_mode() {
  ConsoleState& c = console();
  if (c.terminal_mode) return true;
  if (!is_char_device(STDIN_FILENO)) return false;
  raw_mode = std::make_unique<terminal::RawMode>();
  c.terminal_mode = raw_mode->active();
  if (!c.terminal_mode) raw_mode.reset();
  return c.terminal_mode;
}

// Takes the complete cursor-position answers (ESC [ row ; column R) out of bytes; answers how many.
int take_position_answers(std::string& bytes) {
  int taken = 0;
  size_t i = 0;
  while ((i = bytes.find("\x1b[", i)) != std::string::npos) {
    size_t j = i + 2, semicolons = 0, digits = 0;
    for (; j < bytes.size() && (std::isdigit(static_cast<unsigned char>(bytes[j])) || bytes[j] == ';'); ++j)
      bytes[j] == ';' ? ++semicolons : ++digits;
    if (j < bytes.size() && bytes[j] == 'R' && semicolons == 1 && digits >= 2) {
      bytes.erase(i, j + 1 - i);
      ++taken;
    } else {
      ++i;
    }
  }
  return taken;
}

// A terminal answers within milliseconds; one that has not answered the oldest request for half a
// second does not answer at all, and is not waited for.
void drain_position_answers(std::string& pending) {
  ConsoleState& c = console();
  c.position_queries -= std::min(c.position_queries, take_position_answers(pending));
  double give_up = c.first_query_ms + 500;
  while (c.position_queries > 0 && now_ms() < give_up) {
    if (!wait_input(static_cast<int>(give_up - now_ms()) + 1)) continue;
    if (read_console_input(pending) < 0) break;  // keys typed meanwhile stay input
    c.position_queries -= std::min(c.position_queries, take_position_answers(pending));
  }
  c.position_queries = 0;
}

void leave_terminal_mode() {
  if (console().position_queries > 0) drain_position_answers(loop().bytes);
  raw_mode.reset();  // puts the saved mode back
  console().terminal_mode = false;
}

// Printing while the interface runs gets the terminal's line ends back (raw mode turns them off,
// and a printed line would start where the last one ended); frames carry their own.
void restore_output_mode() {
  if (console().terminal_mode) terminal::set_output_processing(true);
}
void set_vt_output_mode() {
  if (console().terminal_mode) terminal::set_output_processing(false);
}

bool is_char_device(int fd) { return isatty(fd) == 1; }

int query_screen_size() {
  ConsoleState& c = console();
  c.width = 80, c.height = 24;
  int columns = 0, rows = 0;
  if (is_char_device(STDOUT_FILENO)) {
    terminal::size(columns, rows);
  } else {
    columns = env_size("COLUMNS");
    rows = env_size("LINES");
  }
  if (columns < 1 || rows < 1) return -1;
  c.width = columns, c.height = rows;
  return 0;
}

void write_console(std::string_view bytes) {
  os::flush();
  std::fflush(stdout);
  write_all(STDOUT_FILENO, bytes.data(), bytes.size());
}

int read_console_input(std::string& into) {
  if (!wait_input(0)) return 0;
  char chunk[256];
  ssize_t n;
  do n = ::read(STDIN_FILENO, chunk, sizeof chunk);
  while (n < 0 && errno == EINTR);
  if (n <= 0) return -1;
  into.append(chunk, static_cast<size_t>(n));
  return static_cast<int>(n);
}

bool wait_input(int ms) {
  struct pollfd p {STDIN_FILENO, POLLIN, 0};
  int r;
  do r = ::poll(&p, 1, ms < 0 ? 0 : ms);
  while (r < 0 && errno == EINTR);
  return r > 0 && (p.revents & (POLLIN | POLLHUP));
}

void set_private_mode(int mode, bool on) {
  write_console("\x1b[?" + std::to_string(mode) + (on ? "h" : "l"));
}

void set_alternate_screen(bool on) {
  ConsoleState& c = console();
  if (c.alternate_screen == on) return;
  c.alternate_screen = on;
  set_private_mode(1049, on);
  if (on) write_console("\x1b[2J");
  publish_leaving_bytes();
}

void set_mouse_reporting(bool on) {
  ConsoleState& c = console();
  if (c.mouse_on == on) return;
  c.mouse_on = on;
  for (int mode : {1000, 1003, 1015, 1006}) set_private_mode(mode, on);
  publish_leaving_bytes();
}

void set_cursor_visible(bool visible) {
  ConsoleState& c = console();
  if (c.cursor_hidden != visible) return;  // already as asked
  c.cursor_hidden = !visible;
  set_private_mode(25, visible);
  publish_leaving_bytes();
}

void cursor_down(int n) {
  if (n >= 1) write_console("\x1b[" + std::to_string(n) + "B");
}

void request_cursor_position() {
  ConsoleState& c = console();
  if (c.position_queries++ == 0) c.first_query_ms = now_ms();
  write_console("\x1b[6n");
}

void position_answered() {
  ConsoleState& c = console();
  if (c.position_queries > 0 && --c.position_queries > 0) c.first_query_ms = now_ms();
}

}  // namespace vyn::tui
