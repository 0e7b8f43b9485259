// platform/safe_write.hpp: files written whole or not at all, and private folders. A reader (or
// the next start of the program) finds either the old content or the new, never a part: the
// bytes go to a temporary file in the same folder, are flushed to the disk, and the temporary
// file is renamed over the old one.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace vyn::os {

// Writes the bytes as the file at path, created with mode. On failure the old file stays as it
// was, no temporary file is left, and cause says why. A symbolic link at path is replaced by the
// file, never followed.
bool write_whole_file(const std::string& path, const void* data, size_t size, std::string& cause,
                      mode_t mode = 0600);

// Makes the folder at path and every missing parent, each new one with mode 0700 (existing ones
// stay as they are). False with the cause when one cannot be made or is not a folder.
bool make_private_dirs(const std::string& path, std::string& cause);

// A folder only this user may use: made with mode 0700 when missing; an existing one must be a
// real folder (not a link) owned by this user, and loses any access by others. False with the
// cause otherwise.
bool claim_private_dir(const std::string& path, std::string& cause);

}  // namespace vyn::os
