// boot/error_report.cpp: printing the pending error at the top level.
#include <string>

#include "boot/script.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "platform/console_out.hpp"
#include "values/objects/error.hpp"

namespace vyn::boot {

// The report is printed as print prints a value: the error formed, then a line end.
void report_pending_error() {
  stack::Mark mark;
  std::string text = error::report(*error::from_pending()) + "\n";
  os::print_utf8(text.data(), text.size());  // the report is UTF-8
  os::flush();
}

}  // namespace vyn::boot
