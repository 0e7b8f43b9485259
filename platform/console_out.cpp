// platform/console_out.cpp: console output as UTF-8. Printed text that goes to a terminal has its
// escape sequences read by the console's own grammar (platform/console_sequences) and carried out
// in the terminal's sequences (platform/console_render); to a redirected stream they pass unchanged.
// Output that standard output refuses ends the run.
#include "platform/console_out.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text/file_names.hpp"
#include "core/text/unicode.hpp"
#include "platform/console_render.hpp"
#include "platform/console_sequences.hpp"

namespace vyn::os {
namespace {

void (*failure_hook)() = nullptr;
bool failing = false;

void put(const char* bytes, size_t n) {
  if (std::fwrite(bytes, 1, n, stdout) != n) output_failed(errno);
}

// A character that stands for an undecodable byte of a name goes out as that byte, so a listed
// name printed for another program names the same file.
size_t encode(uint32_t cp, char* out) {
  if (file_names::escaped_byte_q(cp)) {
    out[0] = static_cast<char>(cp - file_names::escape_base);
    return 1;
  }
  return static_cast<size_t>(unicode::encode_utf8(cp, reinterpret_cast<uint8_t*>(out)));
}

// Text collected as UTF-8 and written in chunks; on a terminal, the cursor model follows it.
class Chunks {
 public:
  explicit Chunks(bool tracked) : tracked_(tracked) {}
  void add(uint32_t cp) {
    used_ += encode(cp, chunk_ + used_);
    if (tracked_) console_render::track(cp);
    if (used_ >= 4096) flush();
  }
  void text(const std::string& utf8) {  // ASCII only
    for (char c : utf8) add(static_cast<unsigned char>(c));
  }
  void flush() {
    put(chunk_, used_);
    used_ = 0;
  }

 private:
  char chunk_[4096 + 8];
  size_t used_ = 0;
  bool tracked_;
};

// One sequence at unit i, which is ESC; answers the units it took, 0 when the ESC is text.
size_t interpret(const uint8_t* text, size_t units, uint32_t unit, size_t i, Chunks& out) {
  console_seq::Parsed p = console_seq::parse(text, units, unit, i, console_render::attribute());
  if (p.used == 0) return 0;
  if (p.op == console_seq::Op::private_mode) {  // the terminal's own: it may move the cursor
    for (size_t k = i; k < i + p.used; ++k) out.add(console_seq::unit_at(text, unit, k));
    console_render::forget_cursor();
    return p.used;
  }
  out.flush();  // the text before goes first; the model may ask the terminal where it is
  std::string bytes = console_render::apply(p);
  if (p.op == console_seq::Op::dump) out.text(bytes);
  else put(bytes.data(), bytes.size());
  return p.used;
}

}  // namespace

void print_units(const uint8_t* text, size_t units, uint32_t unit, bool line_end) {
  bool terminal = isatty(STDOUT_FILENO) == 1;
  Chunks out(terminal);
  for (size_t i = 0; i < units; ++i) {
    uint32_t cp = console_seq::unit_at(text, unit, i);
    if (cp == 27 && terminal) {
      if (size_t used = interpret(text, units, unit, i, out)) {
        i += used - 1;
        continue;
      }
    }
    out.add(cp);
  }
  if (line_end) out.add('\n');
  out.flush();
}

void print_latin1(const char* text, size_t length) {
  print_units(reinterpret_cast<const uint8_t*>(text), length, 1, false);
}

void print_utf8(const char* text, size_t length) {
  put(text, length);
  console_render::forget_cursor();
}

void flush_printed() {
  if (std::fflush(stdout) != 0) output_failed(errno);
}

void flush() {
  flush_printed();
  console_render::forget_cursor();
}

void diagnostic(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

void output_failed(int error) {
  if (failing) return;
  failing = true;
  if (failure_hook) failure_hook();
  char reason[256];
  const char* text = ::strerror_r(error ? error : EIO, reason, sizeof reason);
  std::fprintf(stderr, "*** Output Error: cannot write to standard output: %s\n", text);
  std::fflush(stderr);
  std::_Exit(1);
}

void set_output_failure_hook(void (*hook)()) { failure_hook = hook; }

}  // namespace vyn::os
