// platform/console_out.cpp: console output as UTF-8. A terminal interprets ANSI escape sequences
// itself, so they pass through unchanged, to a terminal and to a redirected stream alike. Output
// that standard output refuses ends the run.
#include "platform/console_out.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/file_names.hpp"

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
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

uint32_t unit_at(const uint8_t* p, uint32_t unit) {
  if (unit == 1) return *p;
  if (unit == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

void print_units(const uint8_t* text, size_t units, uint32_t unit, bool line_end) {
  char chunk[4096 + 8];
  size_t used = 0;
  for (size_t i = 0; i < units; ++i) {
    used += encode(unit_at(text + i * unit, unit), chunk + used);
    if (used >= 4096) {
      put(chunk, used);
      used = 0;
    }
  }
  if (line_end) chunk[used++] = '\n';
  put(chunk, used);
}

void print_latin1(const char* text, size_t length) {
  print_units(reinterpret_cast<const uint8_t*>(text), length, 1, false);
}

void print_utf8(const char* text, size_t length) { put(text, length); }

void flush() {
  if (std::fflush(stdout) != 0) output_failed(errno);
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
