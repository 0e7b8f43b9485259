// eval/natives/shift.cpp: the shift native: arithmetic right by default, /left, /logical.
#include "eval/natives/shift.hpp"

#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"

namespace vyn::natives {

// /left wins when both /left and /logical are given.
Flow shift_(const Call& c) {
  using Ref = Refs<Native::shift>;
  int32_t data = c.args[0].int_value();
  int32_t bits = c.args[1].int_value();
  int32_t r = c.has(Ref::left)      ? shifts::left(data, bits)
              : c.has(Ref::logical) ? shifts::logical(data, bits)
                                    : shifts::right(data, bits);
  c.args[0] = make_integer(r);
  return Flow::normal;
}

}  // namespace vyn::natives
