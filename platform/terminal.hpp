// platform/terminal.hpp: the console's input side over POSIX terminals: whether standard input
// is a terminal, raw mode (restored on every way out, signals included), key codes read from the
// terminal, its size, its window title, and standard input's bytes when it is redirected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <termios.h>

namespace vyn::terminal {

bool input_is_terminal();

// Raw mode for the life of the object: keys arrive one by one, unechoed, Ctrl-C as a key.
// The previous mode comes back when the object goes, and also when a terminating signal arrives
// while it lives.
class RawMode {
 public:
  RawMode();
  ~RawMode();
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;
  bool active() const { return active_; }

 private:
  bool active_ = false;
};

// The process ends (quit, the end of a run, a termination signal): the mode raw mode replaced
// comes back now, as no destructor will run, and so does the terminal's own window title.
void restore_for_exit();

// Sets the terminal's window title, after saving the terminal's own title on its title stack the
// first time; control characters in the title are left out. Only when standard output is a
// terminal, and not a dumb one.
void set_title(const std::string& utf8);

// While raw mode is on: whether the terminal turns each line feed written into a carriage return
// and a line feed (off in raw mode; ordinary printing wants it on).
void set_output_processing(bool on);

// The next key code (platform/key_decode.hpp) from the terminal; keys::failed when it is gone,
// keys::resized once after each change of the terminal's size while it waited.
int read_key();
// The column (from 0) the terminal's cursor is on, asked of the terminal while raw mode is on; -1
// when it does not answer in time. Keys that arrive meanwhile stay queued for read_key.
int cursor_column();
// The cursor's column and row (from 0), asked as cursor_column asks; false when there is no answer.
bool cursor_position(int& column, int& row);
// Writes bytes to the terminal (standard output), after anything printed before.
void write(const std::string& bytes);
// The size of the terminal in character cells; read again after the terminal was resized.
// Leaves the values as they are when it cannot be read.
void size(int& columns, int& rows);

// Standard input's bytes, buffered for the line reader and the byte reader alike.
// Up to n bytes: what is buffered, else what one read gives. 0 at the end of input.
size_t read_some(uint8_t* into, size_t n);
// One UTF-8 character, U+FFFD for a byte that starts no valid sequence; -1 at the end of input.
int32_t read_utf8_char();

}  // namespace vyn::terminal
