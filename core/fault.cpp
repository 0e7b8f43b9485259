// core/fault.cpp: the runtime error reporter. Nothing registered to run at exit is run: after such
// a fault the heap and the runtime's tables may be inconsistent.
#include "core/fault.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/heap.hpp"

namespace vyn::fault {
namespace {

struct Out {
  char* at;
  char* end;
  void text(const char* s) {
    while (*s && at < end) *at++ = *s++;
  }
  void decimal(int n) {
    char digits[12];
    int k = 0;
    unsigned v = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    do digits[k++] = static_cast<char>('0' + v % 10);
    while ((v /= 10) != 0);
    if (n < 0 && at < end) *at++ = '-';
    while (k > 0 && at < end) *at++ = digits[--k];
  }
  void hex(uintptr_t v) {
    char digits[2 * sizeof v];
    int k = 0;
    do digits[k++] = "0123456789ABCDEF"[v & 15];
    while ((v >>= 4) != 0);
    while (k < 8) digits[k++] = '0';
    while (k > 0 && at < end) *at++ = digits[--k];
  }
};

}  // namespace

size_t format(char (&out)[report_capacity], int code, const char* message, uintptr_t address) {
  // the tail is kept for the address line, so a long message is cut, never the address
  constexpr size_t address_line = sizeof "\n*** at: 0123456789ABCDEFh\n";
  Out o{out, out + report_capacity - address_line};
  o.text("\n*** Runtime Error ");
  o.decimal(code);
  o.text(": ");
  o.text(message);
  o.end = out + report_capacity;
  o.text("\n*** at: ");
  o.hex(address);
  o.text("h\n");
  return static_cast<size_t>(o.at - out);
}

namespace {
void nothing_to_release() {}
void (*volatile terminal_release)() = nothing_to_release;
}  // namespace

void set_terminal_release(void (*fn)()) { terminal_release = fn ? fn : nothing_to_release; }

void report(int code, const char* message, const void* address) {
  std::fflush(stdout);
  terminal_release();
  if (code != 0) {
    char text[report_capacity];
    size_t n = format(text, code, message, reinterpret_cast<uintptr_t>(address));
    for (size_t done = 0; done < n;) {
      ssize_t k = ::write(STDOUT_FILENO, text + done, n - done);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) break;
      done += static_cast<size_t>(k);
    }
  }
#ifdef VYN_FAULT_ABORTS
  if (code != 0) std::abort();
#endif
  heap::free_all();
  std::_Exit(code);
}

}  // namespace vyn::fault
