// platform/safe_write.cpp: whole-file writes through a temporary file and a rename; private
// folders.
#include "platform/safe_write.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vyn::os {
namespace {

std::string folder_of(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool write_all(int fd, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    at += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The folder's entry for the new name reaches the disk too; a folder that cannot be synced (some
// file systems refuse) does not fail the write, which is complete by then.
void sync_folder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

bool fail(std::string& cause, int err) {
  cause = std::strerror(err);
  return false;
}

}  // namespace

bool write_whole_file(const std::string& path, const void* data, size_t size, std::string& cause,
                      mode_t mode) {
  if (path.empty() || path.back() == '/') return fail(cause, EISDIR);
  std::string temp_name = path + ".XXXXXX";
  std::vector<char> temp(temp_name.begin(), temp_name.end());
  temp.push_back('\0');
  int fd = mkostemp(temp.data(), O_CLOEXEC);  // made 0600, only by us, never through a link
  if (fd < 0) return fail(cause, errno);
  bool ok = fchmod(fd, mode) == 0 && write_all(fd, data, size) && fsync(fd) == 0;
  int err = errno;
  if (close(fd) != 0 && ok) ok = false, err = errno;
  if (ok && ::rename(temp.data(), path.c_str()) != 0) ok = false, err = errno;
  if (!ok) {
    ::unlink(temp.data());
    return fail(cause, err);
  }
  sync_folder(folder_of(path));
  return true;
}

bool make_private_dirs(const std::string& path, std::string& cause) {
  std::string part;
  size_t at = 0;
  while (at < path.size()) {
    size_t slash = path.find('/', at + 1);
    if (slash == std::string::npos) slash = path.size();
    part = path.substr(0, slash);
    at = slash;
    if (part.empty() || part == "/") continue;
    if (::mkdir(part.c_str(), 0700) == 0) continue;
    struct stat st {};
    if (errno != EEXIST) return fail(cause, errno);
    if (::stat(part.c_str(), &st) != 0) return fail(cause, errno);
    if (!S_ISDIR(st.st_mode)) return fail(cause, ENOTDIR);
  }
  return true;
}

bool claim_private_dir(const std::string& path, std::string& cause) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return fail(cause, errno);
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return fail(cause, errno == ELOOP ? ENOTDIR : errno);
  struct stat st {};
  bool ok = fstat(fd, &st) == 0;
  int err = errno;
  if (ok && st.st_uid != geteuid()) {
    close(fd);
    cause = "owned by another user";
    return false;
  }
  if (ok && (st.st_mode & 077) != 0 && fchmod(fd, 0700) != 0) ok = false, err = errno;
  close(fd);
  return ok || fail(cause, err);
}

}  // namespace vyn::os
