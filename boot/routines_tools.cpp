// boot/routines_tools.cpp: the routines the tracing tools need beside the language: switching the
// interpreter's event reporting and reading a line of standard input for the debugger's prompt.
#include <cstdio>
#include <string>

#include "boot/routine_bodies.hpp"
#include "core/text/unicode.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "platform/console_out.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::boot::bodies {

// Reporting can be switched on only while a tracer is installed.
void set_tracing(Invocation& inv) {
  bool on = inv.args[0].i != 0 && trace::enabled;
  trace::active = on;
  *inv.result = make_logic(on);
}

// One line of standard input without its line end; none at the end of input.
void read_stdin_line(Invocation& inv) {
  os::flush();
  std::fflush(stdout);
  std::string line;
  int ch = 0;
  bool any = false;
  while ((ch = std::getchar()) != EOF) {
    any = true;
    if (ch == '\n') break;
    line.push_back(static_cast<char>(ch));
  }
  if (!any) {
    *inv.result = make_none();
    return;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  *inv.result = *string::load_utf8_checked(unicode::outside(line.data()),
                                           static_cast<uint32_t>(line.size()));
}

}  // namespace vyn::boot::bodies
