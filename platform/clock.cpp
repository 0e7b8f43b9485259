// platform/clock.cpp: the wall clock over clock_gettime and localtime_r.
#include "platform/clock.hpp"

#include <cmath>
#include <ctime>

namespace vyn::os {

Now now(bool utc, bool precise) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  time_t whole = ts.tv_sec;
  if (utc) gmtime_r(&whole, &tm);
  else localtime_r(&whole, &tm);
  Now n;
  n.year = tm.tm_year + 1900;
  n.month = tm.tm_mon + 1;
  n.day = tm.tm_mday;
  n.zone_offset = utc ? 0 : static_cast<int32_t>(tm.tm_gmtoff);
  double fraction = precise ? ts.tv_nsec * 1e-9 : std::floor(ts.tv_nsec / 1e6) / 1e3;
  long since_midnight = static_cast<long>(((whole % 86400) + 86400) % 86400);
  n.utc_seconds = static_cast<double>(since_midnight) + fraction;
  return n;
}

}  // namespace vyn::os
