// tools/write_file.hpp: how the build's generators write their output: whole into a temporary
// file beside it, then renamed over it, so that a generator stopped half-way leaves no half file
// for the build to take as made.
#pragma once

#include <cstdio>
#include <string>

namespace vyn::tools {

inline bool write_file(const char* path, const std::string& bytes) {
  std::string tmp = std::string(path) + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::perror(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path) != 0) {
    std::perror(path);
    return false;
  }
  return true;
}

}  // namespace vyn::tools
