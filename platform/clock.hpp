// platform/clock.hpp: the wall clock, read once as a local (or UTC) calendar date with its zone.
#pragma once

#include <cstdint>

namespace vyn::os {

struct Now {
  int32_t year = 1970, month = 1, day = 1;  // the calendar date where the clock is read
  int32_t zone_offset = 0;                  // seconds east of UTC; 0 for UTC
  double utc_seconds = 0;                   // seconds since midnight UTC of the same instant
};

// One reading of the clock: the local date and the system's zone (from the environment's TZ or
// the system setting), or the UTC date with utc. Without precise the time is whole milliseconds.
Now now(bool utc, bool precise);

}  // namespace vyn::os
