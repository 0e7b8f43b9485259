// platform/environment.hpp: this process's environment variables (inherited by the programs it
// starts), the size of a file, and sleeping.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vyn::os {

// Whether the system can hold a variable of this name: not empty, without "=" or a zero byte.
bool valid_env_name(const std::string& name);
// The value's bytes, or nothing when the variable is absent (or the name invalid).
std::optional<std::string> get_env(const std::string& name);
// Sets the variable, or removes it without a value; false when the system refuses.
bool set_env(const std::string& name, const std::optional<std::string>& value);
// Every variable as name and value (their bytes), in the system's order; each name ends at the
// first "=" that is not its first character.
std::vector<std::pair<std::string, std::string>> list_env();

// The size of a file that can be opened for reading; nothing for a directory or a file that
// cannot be opened.
std::optional<int64_t> file_size(const std::string& path);

// Suspends the thread for the time: 1 ms at least (also for a negative time or NaN), resumed
// after interruptions until the whole time has passed.
void sleep_seconds(double seconds);

}  // namespace vyn::os
