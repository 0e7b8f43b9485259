// platform/environment.cpp: environment variables over getenv, setenv and environ; file sizes
// over open and fstat; sleeping over nanosleep.
#include "platform/environment.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "platform/process_text.hpp"
#include "platform/signals.hpp"

extern char** environ;

namespace vyn::os {

bool valid_env_name(const std::string& name) {
  return !name.empty() && name.find('=') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::optional<std::string> get_env(const std::string& name) {
  if (!valid_env_name(name)) return std::nullopt;
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

bool set_env(const std::string& name, const std::optional<std::string>& value) {
  if (!valid_env_name(name)) return false;
  if (!value) return unsetenv(name.c_str()) == 0;
  if (value->find('\0') != std::string::npos) return false;
  return setenv(name.c_str(), value->c_str(), 1) == 0;
}

std::vector<std::pair<std::string, std::string>> list_env() {
  std::vector<std::pair<std::string, std::string>> out;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string text = *entry;
    size_t equals = text.find('=', 1);
    if (equals == std::string::npos) out.emplace_back(text, "");
    else out.emplace_back(text.substr(0, equals), text.substr(equals + 1));
  }
  return out;
}

std::optional<int64_t> file_size(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  close(fd);
  if (!ok) return std::nullopt;
  return static_cast<int64_t>(st.st_size);
}

void sleep_seconds(double seconds) {
  double ms = seconds * 1000.0;
  if (!(ms >= 1.0)) ms = 1.0;
  constexpr double longest = 1e15;  // some 31,000 years: past it the time no longer fits
  if (ms > longest) ms = longest;
  // in slices towards one deadline, so that a termination request (which cuts the wait short)
  // is seen even when it comes just before a slice starts; the runtime acts on it once the wait
  // returns
  auto whole = static_cast<int64_t>(ms);
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += static_cast<time_t>(whole / 1000);
  deadline.tv_nsec += static_cast<long>(whole % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) deadline.tv_sec += 1, deadline.tv_nsec -= 1000000000L;
  while (!signals::pending()) {
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    if (next.tv_sec > deadline.tv_sec || (next.tv_sec == deadline.tv_sec && next.tv_nsec >= deadline.tv_nsec))
      return;
    next.tv_nsec += 200000000L;
    if (next.tv_nsec >= 1000000000L) next.tv_sec += 1, next.tv_nsec -= 1000000000L;
    if (next.tv_sec > deadline.tv_sec || (next.tv_sec == deadline.tv_sec && next.tv_nsec > deadline.tv_nsec))
      next = deadline;
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
  }
}

}  // namespace vyn::os
