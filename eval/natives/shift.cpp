// eval/natives/shift.cpp: the shift native: arithmetic right by default, /left, /logical.
#include "eval/natives/shift.hpp"

#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"

namespace vyn::natives {
namespace {

// Refinements in spec order: /left /logical; /left wins when both are given.
Flow shift_(const Call& c) {
  int32_t data = c.args[0].int_value();
  int32_t bits = c.args[1].int_value();
  int32_t r = c.has(0) ? shifts::left(data, bits)
              : c.has(1) ? shifts::logical(data, bits)
                         : shifts::right(data, bits);
  c.args[0] = make_integer(r);
  return Flow::normal;
}

}  // namespace

void install_shift() { define(Native::shift, shift_); }

}  // namespace vyn::natives
