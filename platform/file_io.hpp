// platform/file_io.hpp: the file and directory operations of the file! actions, over POSIX paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vyn::os {

// Bytes of the file from offset seek (< 0: the start), at most part bytes (< 0: all); nothing
// when the file cannot be opened or read. An offset past the end gives no bytes.
std::optional<std::string> read_part(const std::string& path, int64_t seek, int64_t part);

// As read_part, but a regular file goes straight into memory the caller gives: room(n) is called
// once, with what the file holds from seek (at most part), and answers space for n bytes. Answers
// the count read, or nothing when the file cannot be opened or read; *regular is false (and
// nothing read) when the file is not a regular file with a size (pipes, devices and the system's
// own files, which tell no size), read with read_part instead.
std::optional<size_t> read_part_into(const std::string& path, int64_t seek, int64_t part,
                                     const std::function<uint8_t*(size_t)>& room, bool* regular);

enum class WriteMode { truncate, append, at_offset };
// How a write ended: error is 0 when every byte reached the file (closing included), else the
// system's error number; opened is false when the file could not be opened at all.
struct WriteResult {
  int error = 0;
  bool opened = true;
  explicit operator bool() const { return error == 0; }
};
// Writes the bytes; at_offset writes from offset without truncating.
WriteResult write_bytes(const std::string& path, const std::string& bytes, WriteMode mode,
                        int64_t offset);
WriteResult write_raw(const std::string& path, const uint8_t* bytes, size_t size, WriteMode mode,
                      int64_t offset);
// The system's text for an error number ("No space left on device").
std::string error_text(int error);

// The names in the directory (without "." and ".."), a "/" after each subdirectory, in the order
// the system gives them, as the bytes they are; nothing when the directory cannot be listed or
// the listing fails part way.
std::optional<std::vector<std::string>> list_dir(const std::string& path);

struct FileInfo {
  bool directory = false;
  int64_t size = 0;
  int64_t modified = 0;  // seconds since 1970-01-01 UTC
};
std::optional<FileInfo> stat_path(const std::string& path);

// Removes a directory when directory is set, else a file; false on failure.
bool remove_path(const std::string& path, bool directory);
bool rename_path(const std::string& from, const std::string& to);
// The current directory, ending with "/"; empty when it cannot be read.
std::string current_dir();

}  // namespace vyn::os
