// platform/os_services.hpp: the process's current directory, single directories, file existence
// and the description of the running system, over POSIX.
#pragma once

#include <cstdint>
#include <string>

namespace vyn::os {

// False when the system refuses the directory.
bool set_current_dir(const std::string& path);
// Creates one directory; false when the system refuses.
bool create_dir(const std::string& path);
// True when the system reports attributes for the path (a file or a directory).
bool path_exists(const std::string& path);

struct SystemInfo {
  std::string name;      // the system's name and release, such as "Linux 6.1.0-18-amd64"
  const char* arch;      // "x86-64", "x86-32", "ARM", "ARM64", "IA-64" or "Unknown"
  uint8_t version[3];    // the release's first three numbers
  int32_t build;         // the number after the release's first "-", else 0
};
SystemInfo system_info();

}  // namespace vyn::os
