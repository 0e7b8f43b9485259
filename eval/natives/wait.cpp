// eval/natives/wait.cpp: wait, which suspends the interpreter for a time.
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "platform/environment.hpp"
#include "view/tui/hooks.hpp"

namespace vyn::natives {

// A number of seconds or a time!; anything else (there are no ports to wait on) raises
// script/invalid-arg. /all changes nothing.
Flow wait_(const Call& c) {
  Cell value = c.args[0];
  double seconds = 0;
  if (value.is(Type::integer)) seconds = value.int_value();
  else if (value.is(Type::float_) || value.is(Type::time)) seconds = value.float_value();
  else fire(Err::script_invalid_arg, {value});
  c.args[0] = make_none();
  os::sleep_seconds(seconds);
  tui::wait_hook();
  return Flow::normal;
}

}  // namespace vyn::natives
