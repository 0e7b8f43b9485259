// platform/file_io.cpp: files and directories through POSIX calls; every descriptor opened here is
// closed before returning.
#include "platform/file_io.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

namespace vyn::os {
namespace {

struct Fd {
  int fd;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

bool read_all(int fd, std::string& out, int64_t part) {
  char chunk[65536];
  while (part < 0 || static_cast<int64_t>(out.size()) < part) {
    size_t want = sizeof chunk;
    if (part >= 0) want = std::min<int64_t>(want, part - static_cast<int64_t>(out.size()));
    ssize_t n = ::read(fd, chunk, want);
    if (n < 0) return false;
    if (n == 0) break;
    out.append(chunk, static_cast<size_t>(n));
  }
  return true;
}

// 0 when every byte was written, else the error number.
int write_all(int fd, const uint8_t* bytes, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, bytes + done, std::min<size_t>(size - done, size_t{1} << 30));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Opens the file for reading at seek; the descriptor stays in f. False when it cannot be opened
// or is a directory; *past_end when seek lies at or past the end of a regular file.
bool open_at(Fd& f, const std::string& path, int64_t seek, struct stat& st, bool* past_end) {
  f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (f.fd < 0) return false;
  if (::fstat(f.fd, &st) != 0 || S_ISDIR(st.st_mode)) return false;
  *past_end = false;
  if (seek > 0) {
    if (S_ISREG(st.st_mode) && seek >= st.st_size) {
      *past_end = true;
      return true;
    }
    if (::lseek(f.fd, seek, SEEK_SET) < 0) return false;
  }
  return true;
}

// Reads size bytes at offset into out, as much as the file still holds when it shrank meanwhile;
// nothing on a read error.
std::optional<size_t> fill_piece(int fd, uint8_t* out, size_t size, int64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, out + done, std::min<size_t>(size - done, size_t{1} << 30),
                        offset + static_cast<int64_t>(done));
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// A large read goes in pieces on several threads: most of its time is the system making fresh
// pages for the buffer and copying into them, which then runs on several cores. Answers the
// length of the whole pieces from the start, with the first short one.
constexpr size_t parallel_read = size_t{32} << 20;
constexpr size_t read_threads = 4;

std::optional<size_t> fill(int fd, uint8_t* out, size_t size, int64_t offset) {
  if (size < parallel_read) return fill_piece(fd, out, size, offset);
  size_t piece = (size / read_threads + 4095) & ~size_t{4095};
  std::optional<size_t> got[read_threads];
  std::thread helpers[read_threads - 1];
  auto run = [&](size_t k) {
    size_t from = std::min(size, k * piece), n = std::min(size - from, piece);
    got[k] = fill_piece(fd, out + from, n, offset + static_cast<int64_t>(from));
  };
  for (size_t k = 1; k < read_threads; ++k) {
    try {
      helpers[k - 1] = std::thread(run, k);
    } catch (const std::system_error&) {
      run(k);  // no thread to be had: read here instead
    }
  }
  run(0);
  for (std::thread& t : helpers)
    if (t.joinable()) t.join();
  size_t done = 0;
  for (size_t k = 0; k < read_threads; ++k) {
    if (!got[k]) return std::nullopt;
    done += *got[k];
    if (*got[k] < std::min(size - std::min(size, k * piece), piece)) break;
  }
  return done;
}

}  // namespace

std::optional<std::string> read_part(const std::string& path, int64_t seek, int64_t part) {
  Fd f(-1);
  struct stat st {};
  bool past_end = false;
  if (!open_at(f, path, seek, st, &past_end)) return std::nullopt;
  std::string data;
  if (part == 0 || past_end) return data;
  if (S_ISREG(st.st_mode)) {  // room for what the file holds now, so the text is not copied as it grows
    int64_t left = st.st_size - std::max<int64_t>(seek, 0);
    data.reserve(static_cast<size_t>(part >= 0 ? std::min(left, part) : left));
  }
  if (!read_all(f.fd, data, part)) return std::nullopt;
  return data;
}

std::optional<size_t> read_part_into(const std::string& path, int64_t seek, int64_t part,
                                     const std::function<uint8_t*(size_t)>& room, bool* regular) {
  Fd f(-1);
  struct stat st {};
  bool past_end = false;
  *regular = true;
  if (!open_at(f, path, seek, st, &past_end)) return std::nullopt;
  if (!S_ISREG(st.st_mode) || st.st_size == 0) {  // the system's own files tell no size
    *regular = false;
    return std::nullopt;
  }
  int64_t left = past_end || part == 0 ? 0 : st.st_size - std::max<int64_t>(seek, 0);
  size_t size = static_cast<size_t>(part >= 0 ? std::min(left, part) : left);
  uint8_t* out = room(size);
  return fill(f.fd, out, size, std::max<int64_t>(seek, 0) * !past_end);
}

WriteResult write_bytes(const std::string& path, const std::string& bytes, WriteMode mode,
                        int64_t offset) {
  return write_raw(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), mode, offset);
}

// A file system may report a full disk only when the file is closed, so closing is checked too.
WriteResult write_raw(const std::string& path, const uint8_t* bytes, size_t size, WriteMode mode,
                      int64_t offset) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
  if (mode == WriteMode::truncate) flags |= O_TRUNC;
  if (mode == WriteMode::append) flags |= O_APPEND;
  Fd f(::open(path.c_str(), flags, 0666));
  if (f.fd < 0) return WriteResult{errno, false};
  if (mode == WriteMode::at_offset && offset > 0 && ::lseek(f.fd, offset, SEEK_SET) < 0)
    return WriteResult{errno, true};
  int error = write_all(f.fd, bytes, size);
  int fd = f.fd;
  f.fd = -1;
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return WriteResult{error, true};
}

std::string error_text(int error) {
  char buf[256];
  return ::strerror_r(error, buf, sizeof buf);
}

std::optional<std::vector<std::string>> list_dir(const std::string& path) {
  DIR* d = ::opendir(path.c_str());
  if (!d) return std::nullopt;
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    dirent* e = ::readdir(d);
    if (!e) break;
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    std::string full = path + (path.empty() || path.back() == '/' ? "" : "/") + name;
    if (::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) name += '/';
    names.push_back(std::move(name));
  }
  int error = errno;  // still 0 at the end of the listing
  ::closedir(d);
  if (error != 0) return std::nullopt;
  return names;
}

std::optional<FileInfo> stat_path(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileInfo{S_ISDIR(st.st_mode), static_cast<int64_t>(st.st_size),
                  static_cast<int64_t>(st.st_mtime)};
}

bool remove_path(const std::string& path, bool directory) {
  return (directory ? ::rmdir(path.c_str()) : ::unlink(path.c_str())) == 0;
}

bool rename_path(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string current_dir() {
  char buf[PATH_MAX];
  if (!::getcwd(buf, sizeof buf)) return {};
  std::string dir = buf;
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace vyn::os
