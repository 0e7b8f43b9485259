// platform/user_folder.cpp: the user's data folder, from $HOME, the password database or a
// private folder under /tmp.
#include "platform/user_folder.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/safe_write.hpp"

namespace vyn::os {
namespace {

bool is_folder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The home the password database gives this user, when it is an existing folder.
std::string password_home() {
  struct passwd entry {}, *found = nullptr;
  long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> text(hint > 0 ? static_cast<size_t>(hint) : 16384);
  if (getpwuid_r(getuid(), &entry, text.data(), text.size(), &found) != 0 || !found) return {};
  std::string home = found->pw_dir ? found->pw_dir : "";
  return home.size() > 1 && home[0] == '/' && is_folder(home) ? home : std::string();
}

}  // namespace

std::string user_data_folder(std::string& why) {
  const char* env = std::getenv("HOME");
  std::string home = env && *env ? env : password_home();
  if (home.empty()) {
    std::string own = "/tmp/.vyn-" + std::to_string(getuid());
    if (!claim_private_dir(own, why)) return {};
    return own + "/";
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return home + "/.vyn/";
}

}  // namespace vyn::os
