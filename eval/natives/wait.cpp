// eval/natives/wait.cpp: wait, which suspends the interpreter for a time.
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "eval/natives/wait.hpp"
#include "platform/environment.hpp"

namespace vyn::natives {
namespace {

void no_wait_hook() {}
void (*after_wait)() = no_wait_hook;

}  // namespace

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
  after_wait();
  return Flow::normal;
}

void set_wait_hook(void (*fn)()) { after_wait = fn ? fn : no_wait_hook; }

}  // namespace vyn::natives
