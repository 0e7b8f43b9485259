// The zlib and gzip framings: header checks, optional gzip fields, checksums and trailers.
#include <gtest/gtest.h>

#include "tests/unit/codec/codec_support.hpp"

namespace vyn::test {
namespace {

const std::string sample = "framed text, framed text, framed text";

Bytes raw_deflate(const Bytes& in) {
  Bytes out;
  run(compress::deflate_compress, in, out, in.size() + 64);
  return out;
}

void put_be32(Bytes& b, uint32_t v) {
  for (int k = 3; k >= 0; --k) b.push_back(uint8_t(v >> (8 * k)));
}
void put_le32(Bytes& b, uint32_t v) {
  for (int k = 0; k < 4; ++k) b.push_back(uint8_t(v >> (8 * k)));
}

Bytes zlib_with(uint8_t cmf, uint8_t flg) {
  Bytes in = bytes_of(sample), out = {cmf, flg}, body = raw_deflate(in);
  out.insert(out.end(), body.begin(), body.end());
  put_be32(out, compress::adler32(in.data(), in.size()));
  return out;
}

TEST(Zlib, HeaderChecks) {
  struct Case {
    uint8_t cmf, flg;
    int status;
  } cases[] = {
      {0x78, 0x9C, compress::done},    {0x78, 0xDA, compress::done},
      {0x78, 0x01, compress::done},    {0x78, 0x00, compress::corrupt},  // check fails
      {0x79, 0x01, compress::corrupt},                                   // not deflate
      {0x78, 0xBB, compress::corrupt},                                   // preset dictionary
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.flg));
    Bytes out;
    EXPECT_EQ(run(compress::zlib_decompress, zlib_with(c.cmf, c.flg), out), c.status);
    if (c.status == compress::done) {
      EXPECT_EQ(out, bytes_of(sample));
    }
  }
}

TEST(Zlib, RefusesABadTrailerOrShortInput) {
  Bytes in = zlib_with(0x78, 0x9C), out;
  in.back() ^= 1;
  EXPECT_EQ(run(compress::zlib_decompress, in, out), compress::corrupt);
  EXPECT_EQ(run(compress::zlib_decompress, Bytes{0x78, 0x9C, 3, 0, 0}, out), compress::corrupt);
}

// A gzip member with the given flags and optional fields around sample.
Bytes gzip_member(uint8_t flags, bool good_hcrc = true) {
  Bytes in = bytes_of(sample);
  Bytes out = {0x1F, 0x8B, 0x08, flags, 1, 2, 3, 4, 0, 3};
  if (flags & 4) {
    out.insert(out.end(), {3, 0, 'x', 'y', 'z'});
  }
  if (flags & 8) {
    for (char c : std::string("name.txt")) out.push_back(uint8_t(c));
    out.push_back(0);
  }
  if (flags & 16) {
    for (char c : std::string("a comment")) out.push_back(uint8_t(c));
    out.push_back(0);
  }
  if (flags & 2) {
    uint32_t crc = compress::crc32(out.data(), out.size()) ^ (good_hcrc ? 0 : 1);
    out.push_back(uint8_t(crc));
    out.push_back(uint8_t(crc >> 8));
  }
  Bytes body = raw_deflate(in);
  out.insert(out.end(), body.begin(), body.end());
  put_le32(out, compress::crc32(in.data(), in.size()));
  put_le32(out, uint32_t(in.size()));
  return out;
}

TEST(Gzip, OptionalHeaderFields) {
  for (uint8_t flags : {0, 2, 4, 8, 16, 8 | 16, 2 | 4 | 8 | 16}) {
    SCOPED_TRACE(int(flags));
    Bytes out;
    ASSERT_EQ(run(compress::gzip_decompress, gzip_member(flags), out), compress::done);
    EXPECT_EQ(out, bytes_of(sample));
  }
}

TEST(Gzip, RefusesBadMembers) {
  auto with = [](Bytes b, size_t at, uint8_t value) {
    b[at] = value;
    return b;
  };
  Bytes good = gzip_member(8);
  Bytes no_nul = Bytes(good.begin(), good.begin() + 14);
  no_nul.resize(20, 'n');
  Bytes longer_isize = good, shorter_isize = good;
  longer_isize[longer_isize.size() - 4] += 1;
  shorter_isize[shorter_isize.size() - 4] -= 1;
  // ISIZE claiming 4 GB: refused without being believed.
  Bytes huge_isize = good;
  std::fill(huge_isize.end() - 4, huge_isize.end(), 0xFF);
  struct Case {
    const char* name;
    Bytes in;
  } cases[] = {
      {"not gzip", with(good, 1, 0x8C)},
      {"not deflate", with(good, 2, 0x07)},
      {"reserved flag", with(good, 3, 32 | 8)},
      {"name without end", no_nul},
      {"header crc wrong", gzip_member(2, false)},
      {"extra field too long", with(gzip_member(4), 10, 200)},
      {"data crc wrong", with(good, good.size() - 8, uint8_t(good[good.size() - 8] ^ 1))},
      {"isize too big", longer_isize},
      {"isize too small", shorter_isize},
      {"isize 4 GB", huge_isize},
      {"too short", Bytes(good.begin(), good.begin() + 17)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    EXPECT_EQ(run(compress::gzip_decompress, c.in, out), compress::corrupt);
  }
}

TEST(Checksums, KnownValues) {
  Bytes check = bytes_of("123456789"), big(100000);
  for (size_t k = 0; k < big.size(); ++k) big[k] = uint8_t(k * 7 + k / 251);
  EXPECT_EQ(compress::crc32(check.data(), 0), 0u);
  EXPECT_EQ(compress::adler32(check.data(), 0), 1u);
  EXPECT_EQ(compress::crc32(check.data(), check.size()), 0xCBF43926u);
  EXPECT_EQ(compress::adler32(check.data(), check.size()), 0x091E01DEu);
  // Adler-32 across many blocks equals the sums taken modulo 65,521 at every byte.
  // All-0xFF bytes give the largest sums a block can reach before it is reduced.
  for (const Bytes& in : {big, Bytes(20003, 0xFF)}) {
    uint32_t a = 1, b = 0;
    for (uint8_t x : in) a = (a + x) % 65521, b = (b + a) % 65521;
    EXPECT_EQ(compress::adler32(in.data(), in.size()), b << 16 | a);
  }
}

}  // namespace
}  // namespace vyn::test
