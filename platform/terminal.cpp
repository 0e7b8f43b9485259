// platform/terminal.cpp: termios raw mode, ANSI key input, window size and buffered standard input.
#include "platform/terminal.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/console_out.hpp"
#include "platform/key_decode.hpp"
#include "platform/signals.hpp"

namespace vyn::terminal {
namespace {

// The mode to restore; the signal module keeps a copy for the fatal signals.
struct termios saved_mode;
bool raw_on = false;

// Whether the terminal's title was saved on its title stack, to be taken back at the end.
bool title_saved = false;
constexpr const char* take_title_back = "\x1b[23t";

void restore_mode() {
  signals::forget_terminal_mode();
  if (raw_on) tcsetattr(STDIN_FILENO, TCSANOW, &saved_mode);
  raw_on = false;
}

void restore_title() {
  if (!title_saved) return;
  title_saved = false;
  signals::keep_leaving_bytes(signals::Leaving::title, nullptr);
  terminal::write(take_title_back);
}

// C0 and C1 controls and DEL would end the sequence early or start another.
bool title_control(const std::string& s, size_t i) {
  auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x20 || c == 0x7F) return true;
  return c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xA0;
}

// Bytes read from the terminal and not yet decoded.
uint8_t key_bytes[64];
size_t key_count = 0;

// Waits up to ms milliseconds for input; true when some is there.
bool wait_input(int ms) {
  struct pollfd p {STDIN_FILENO, POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}

// Waits until input can be read (true), a termination request is pending or, when resizes are
// watched, the terminal was resized since *seen_resizes (false). The wait goes in short slices: a
// request that comes between the look at the flag and the start of a wait would otherwise
// interrupt nothing, and the wait would last until the next key. A resize wakes it at once, on
// whichever thread its signal landed, through the signal module's pipe.
bool wait_for_input(int* seen_resizes = nullptr) {
  for (;;) {
    if (signals::pending()) return false;
    if (seen_resizes && *seen_resizes != signals::resize_count()) return false;
    struct pollfd p[2] = {{STDIN_FILENO, POLLIN, 0}, {signals::wake_fd(), POLLIN, 0}};
    int r = poll(p, p[1].fd >= 0 ? 2 : 1, 200);
    if (r > 0 && p[1].fd >= 0 && (p[1].revents & POLLIN)) signals::drain_wake();
    if (r > 0 && p[0].revents) return true;
    if (r < 0 && errno != EINTR) return true;  // the read that follows tells what is wrong
  }
}

// Reads more terminal bytes; false when the terminal is gone or a termination request came.
bool fill_keys() {
  for (;;) {
    if (!wait_for_input()) return false;
    ssize_t n = ::read(STDIN_FILENO, key_bytes + key_count, sizeof key_bytes - key_count);
    if (n > 0) {
      key_count += static_cast<size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR && !signals::pending()) continue;
    return false;
  }
}

uint8_t in_buffer[4096];
size_t in_at = 0, in_end = 0;

bool fill_input() {
  in_at = in_end = 0;
  for (;;) {
    if (!wait_for_input()) return false;
    ssize_t n = ::read(STDIN_FILENO, in_buffer, sizeof in_buffer);
    if (n > 0) {
      in_end = static_cast<size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR && !signals::pending()) continue;
    return false;
  }
}

int read_byte() {
  if (in_at == in_end && !fill_input()) return -1;
  return in_buffer[in_at++];
}

}  // namespace

bool input_is_terminal() { return isatty(STDIN_FILENO) == 1; }

// An edit inside an edit (a completion function that asks for a line) finds raw mode on and
// leaves it to the outer one: saving the raw mode would make it the mode restored at the end.
RawMode::RawMode() {
  if (raw_on || !input_is_terminal() || tcgetattr(STDIN_FILENO, &saved_mode) != 0) return;
  signals::install();
  struct termios raw = saved_mode;
  raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  raw.c_cflag |= CS8;
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  raw_on = true;
  signals::keep_terminal_mode(saved_mode);
  // TCSANOW, not TCSAFLUSH, here and when restoring: keys typed ahead while code ran, and the
  // rest of a paste of several lines, are input still to come, not noise to drop
  active_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
  if (!active_) restore_mode();
}

void restore_for_exit() {
  restore_mode();
  restore_title();
}

RawMode::~RawMode() {
  if (active_) restore_mode();
}

// xterm's title stack (CSI 22 t saves, CSI 23 t restores) is known to every terminal that sets
// titles; the title goes as OSC 0, which sets the icon name too, as the stack saves both.
void set_title(const std::string& utf8) {
  if (isatty(STDOUT_FILENO) != 1) return;
  const char* term = std::getenv("TERM");
  if (term && std::strcmp(term, "dumb") == 0) return;
  std::string bytes = title_saved ? "" : "\x1b[22t";
  bytes += "\x1b]0;";
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (!title_control(utf8, i)) bytes += utf8[i];
    else if (static_cast<unsigned char>(utf8[i]) == 0xC2) ++i;
  }
  bytes += '\a';
  write(bytes);
  if (title_saved) return;
  title_saved = true;
  signals::keep_leaving_bytes(signals::Leaving::title, take_title_back);
}

void set_output_processing(bool on) {
  struct termios mode;
  if (!raw_on || tcgetattr(STDIN_FILENO, &mode) != 0) return;
  if (on) mode.c_oflag |= OPOST;
  else mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tcsetattr(STDIN_FILENO, TCSADRAIN, &mode);
}

int read_key() {
  static int seen_resizes = 0;
  signals::install();
  for (;;) {
    if (seen_resizes != signals::resize_count()) {  // before keys already queued: they come after it
      seen_resizes = signals::resize_count();
      return keys::resized;
    }
    keys::Decoded d = keys::decode(key_bytes, key_count, false);
    if (d.used == 0 && key_count > 0 && !wait_input(50)) d = keys::decode(key_bytes, key_count, true);
    if (d.used > 0) {
      for (size_t i = d.used; i < key_count; ++i) key_bytes[i - d.used] = key_bytes[i];
      key_count -= d.used;
      return d.key;
    }
    if (key_count == sizeof key_bytes) key_count = 0;  // no key is this long: drop the noise
    if (!wait_for_input(&seen_resizes)) {
      if (seen_resizes != signals::resize_count()) continue;
      return keys::failed;
    }
    if (!fill_keys()) return keys::failed;
  }
}

namespace {

// Takes a cursor position report (ESC [ row ; column R) out of the queued bytes; answers its
// column (from 1), or 0 when none is queued; its row (from 1) goes to *row.
int take_position_report(int* row = nullptr) {
  for (size_t i = 0; i + 1 < key_count; ++i) {
    if (key_bytes[i] != 27 || key_bytes[i + 1] != '[') continue;
    size_t j = i + 2;
    int part[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      size_t digits = j;
      while (j < key_count && key_bytes[j] >= '0' && key_bytes[j] <= '9' && part[k] < 10000)
        part[k] = part[k] * 10 + (key_bytes[j++] - '0');
      if (j == digits || j >= key_count || key_bytes[j] != (k == 0 ? ';' : 'R')) break;
      if (k == 1) {
        for (size_t m = j + 1; m < key_count; ++m) key_bytes[i + m - (j + 1)] = key_bytes[m];
        key_count -= j + 1 - i;
        if (row) *row = part[0];
        return part[1];
      }
      ++j;
    }
  }
  return 0;
}

}  // namespace

int cursor_column() {
  int column, row;
  return cursor_position(column, row) ? column : -1;
}

bool cursor_position(int& column, int& row) {
  if (!raw_on) return false;
  write("\x1b[6n");
  for (;;) {
    if (int c = take_position_report(&row)) {
      column = c - 1;
      row -= 1;
      return true;
    }
    if (key_count == sizeof key_bytes || !wait_input(200) || !fill_keys()) return false;
  }
}

// Edits show on the terminal even when standard output goes elsewhere.
void write(const std::string& bytes) {
  os::flush();
  std::fflush(stdout);
  int fd = isatty(STDOUT_FILENO) ? STDOUT_FILENO : STDIN_FILENO;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

void size(int& columns, int& rows) {
  static int known_columns = 0, known_rows = 0;
  signals::install();
  if (signals::resize_pending()) {
    struct winsize ws {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 || ioctl(STDIN_FILENO, TIOCGWINSZ, &ws) == 0) {
      known_columns = ws.ws_col;
      known_rows = ws.ws_row;
      signals::resize_seen();
    }
  }
  if (known_columns > 0) columns = known_columns;
  if (known_rows > 0) rows = known_rows;
}

size_t read_some(uint8_t* into, size_t n) {
  if (n == 0) return 0;
  if (in_at == in_end && !fill_input()) return 0;
  size_t k = std::min(n, in_end - in_at);
  for (size_t i = 0; i < k; ++i) into[i] = in_buffer[in_at + i];
  in_at += k;
  return k;
}

int32_t read_utf8_char() {
  int first = read_byte();
  if (first < 0) return -1;
  uint8_t bytes[4] = {static_cast<uint8_t>(first)};
  int len = first < 0x80 ? 1 : (first & 0xE0) == 0xC0 ? 2 : (first & 0xF0) == 0xE0 ? 3
          : (first & 0xF8) == 0xF0 ? 4 : 1;
  size_t n = 1;
  for (; n < static_cast<size_t>(len); ++n) {
    // A byte that does not continue the sequence is left for the next character.
    if (in_at == in_end && !fill_input()) break;
    if ((in_buffer[in_at] & 0xC0) != 0x80) break;
    bytes[n] = in_buffer[in_at++];
  }
  keys::Decoded d = keys::decode(bytes, n, true);
  if (first == '\r' || first == '\n') return first;  // decode maps both to Enter
  if (first == 27) return 27;
  return d.used == n ? d.key : 0xFFFD;
}

}  // namespace vyn::terminal
