// Reading a regular file straight into memory: a large file is read in pieces on several threads,
// and every piece lands at its place, from any offset and for any length.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/file_io.hpp"

namespace vyn::test {
namespace {

// Each 4-byte word holds its own offset, so a piece read into the wrong place shows.
std::vector<uint8_t> numbered(size_t n) {
  std::vector<uint8_t> b(n);
  for (size_t k = 0; k < n; ++k) b[k] = uint8_t((k / 4) >> (8 * (k % 4)));
  return b;
}

TEST(FileRead, LargeFilesLandWholeFromAnyOffsetAndLength) {
  char name[] = "/tmp/vyn-file-read-XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  std::vector<uint8_t> data = numbered((size_t{40} << 20) + 12345);
  ASSERT_EQ(write(fd, data.data(), data.size()), ssize_t(data.size()));
  close(fd);
  struct Case {
    int64_t seek, part;
  } cases[] = {{-1, -1}, {0, -1}, {7, -1}, {4097, int64_t{33} << 20}, {0, 1000}, {0, int64_t{1} << 40},
               {int64_t(data.size()) - 3, -1}, {int64_t(data.size()) + 5, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.seek) + " " + std::to_string(c.part));
    std::vector<uint8_t> out;
    bool regular = false;
    auto done = os::read_part_into(name, c.seek, c.part, [&](size_t n) {
      out.assign(n, 0xEE);
      return out.data();
    }, &regular);
    ASSERT_TRUE(regular);
    ASSERT_TRUE(done);
    size_t from = std::min(data.size(), size_t(std::max<int64_t>(c.seek, 0)));
    size_t n = std::min(data.size() - from, c.part < 0 ? data.size() : size_t(c.part));
    ASSERT_EQ(*done, n);
    ASSERT_EQ(out.size(), n);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin() + int64_t(from)));
  }
  unlink(name);
}

}  // namespace
}  // namespace vyn::test
