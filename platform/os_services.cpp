// platform/os_services.cpp: current directory, directories, existence and system description.
#include "platform/os_services.hpp"

#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace vyn::os {
namespace {

const char* arch_name(std::string_view machine) {
  if (machine == "x86_64" || machine == "amd64") return "x86-64";
  if (machine == "aarch64" || machine == "arm64") return "ARM64";
  if (machine == "ia64") return "IA-64";
  if (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86") return "x86-32";
  if (machine.substr(0, 3) == "arm") return "ARM";
  return "Unknown";
}

// A release such as "6.1.0-18-amd64": up to three dotted numbers, then the number after "-".
void release_numbers(const char* release, SystemInfo& info) {
  const char* p = release;
  for (int i = 0; i < 3 && *p >= '0' && *p <= '9'; ++i) {
    char* end = nullptr;
    info.version[i] = static_cast<uint8_t>(std::strtol(p, &end, 10) & 0xFF);
    p = end;
    if (*p != '.') break;
    ++p;
  }
  const char* dash = std::strchr(release, '-');
  info.build = dash ? static_cast<int32_t>(std::strtol(dash + 1, nullptr, 10)) : 0;
}

}  // namespace

bool set_current_dir(const std::string& path) { return ::chdir(path.c_str()) == 0; }

bool create_dir(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool path_exists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

SystemInfo system_info() {
  SystemInfo info{"Linux", "Unknown", {0, 0, 0}, 0};
  struct utsname u {};
  if (::uname(&u) != 0) return info;
  info.name = std::string(u.sysname) + " " + u.release;
  info.arch = arch_name(u.machine);
  release_numbers(u.release, info);
  return info;
}

}  // namespace vyn::os
