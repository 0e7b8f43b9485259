// platform/files.hpp: whole files read and written through POSIX.
#pragma once

#include <optional>
#include <string>

namespace vyn::os {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> read_file(const std::string& path);

}  // namespace vyn::os
