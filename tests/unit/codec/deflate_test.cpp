// The DEFLATE encoder: round trips through every framing, the shapes of known outputs, and the
// size reported when the output buffer is short.
#include <gtest/gtest.h>

#include "core/alloc_limit.hpp"
#include "tests/unit/codec/codec_support.hpp"

namespace vyn::test {
namespace {

struct Framing {
  const char* name;
  Codec pack, unpack;
};
const Framing framings[] = {
    {"deflate", compress::deflate_compress, compress::deflate_decompress},
    {"zlib", compress::zlib_compress, compress::zlib_decompress},
    {"gzip", compress::gzip_compress, compress::gzip_decompress},
};

// The natives' first capacity, then one retry with the size reported.
int pack(Codec codec, const Bytes& in, Bytes& out) {
  return run(codec, in, out, in.size() + (in.size() >> 11) + 32);
}

Bytes repetitive(size_t n) {
  Bytes b(n);
  for (size_t k = 0; k < n; ++k) b[k] = uint8_t("abcabcabd"[k % 9] + (k / 5000) % 3);
  return b;
}

TEST(Deflate, RoundTripsEveryKindOfInputThroughEveryFraming) {
  struct Case {
    const char* name;
    Bytes data;
  } cases[] = {
      {"empty", {}},
      {"one byte", {0x42}},
      {"two bytes", {1, 2}},
      {"text", text_bytes(200000, 1)},
      {"random", random_bytes(150000, 2)},
      {"repetitive", repetitive(300000)},
      {"zeros", Bytes(1000000, 0)},
      {"mixed", [] {
         Bytes b = text_bytes(70000, 3), r = random_bytes(70000, 4);
         b.insert(b.end(), r.begin(), r.end());
         return b;
       }()},
  };
  for (const Framing& f : framings)
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(f.name) + " " + c.name);
      Bytes packed, back;
      ASSERT_EQ(pack(f.pack, c.data, packed), compress::done);
      ASSERT_EQ(run(f.unpack, packed, back), compress::done);
      EXPECT_EQ(back, c.data);
    }
}

TEST(Deflate, KnownOutputs) {
  Bytes out;
  ASSERT_EQ(pack(compress::deflate_compress, {}, out), compress::done);
  EXPECT_EQ(out, (Bytes{0x03, 0x00}));
  ASSERT_EQ(pack(compress::zlib_compress, {}, out), compress::done);
  EXPECT_EQ(out, (Bytes{0x78, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}));
  ASSERT_EQ(pack(compress::gzip_compress, bytes_of("abc"), out), compress::done);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 10),
            (Bytes{0x1F, 0x8B, 0x08, 0, 0, 0, 0, 0, 0x04, 0x04}));
  EXPECT_EQ(Bytes(out.end() - 4, out.end()), (Bytes{3, 0, 0, 0}));
  ASSERT_EQ(pack(compress::deflate_compress, text_bytes(5000, 8), out), compress::done);
  EXPECT_EQ(out[0] & 7, 5);  // final, dynamic
  EXPECT_LT(out.size(), 2000u);
}

// One literal and four distance-1 matches (258, 258, 258, 225) in a fixed block: the header, an
// 8-bit literal, three 13-bit matches, one of 18 bits with its extra bits, and end-of-block.
TEST(Deflate, ZerosBecomeOneLiteralAndLongMatches) {
  Bytes out;
  ASSERT_EQ(pack(compress::deflate_compress, Bytes(1000, 0), out), compress::done);
  EXPECT_EQ(out.size(), size_t{(3 + 8 + 3 * 13 + 18 + 7 + 7) / 8});
  EXPECT_EQ(out[0] & 7, 3);  // final, fixed
}

// Random bytes do not compress: a chain of stored pieces of at most 65,535 bytes.
TEST(Deflate, RandomDataGoesOutStored) {
  Bytes in = random_bytes(140000, 9), out;
  ASSERT_EQ(pack(compress::deflate_compress, in, out), compress::done);
  size_t p = 0, total = 0;
  bool final = false;
  while (!final) {
    ASSERT_LT(p + 5, out.size());
    final = out[p] & 1;
    ASSERT_EQ(out[p] & 6, 0);
    size_t len = out[p + 1] | out[p + 2] << 8, nlen = out[p + 3] | out[p + 4] << 8;
    EXPECT_LE(len, 65535u);
    EXPECT_EQ(len ^ 0xFFFF, nlen);
    total += len;
    p += 5 + len;
  }
  EXPECT_EQ(total, in.size());
  EXPECT_EQ(p, out.size());
}

TEST(Deflate, ShortBufferReportsTheFullSizeAndStaysInside) {
  Bytes in = text_bytes(50000, 5), full;
  ASSERT_EQ(pack(compress::deflate_compress, in, full), compress::done);
  for (Codec codec : {compress::deflate_compress, compress::zlib_compress, compress::gzip_compress}) {
    Bytes buf(40, 0xEE);
    size_t size = 20;
    EXPECT_EQ(codec(buf.data(), size, in.data(), in.size()), compress::too_small);
    EXPECT_GE(size, full.size());
    EXPECT_TRUE(std::all_of(buf.begin() + 20, buf.end(), [](uint8_t b) { return b == 0xEE; }));
  }
}

TEST(Deflate, GzipOfGzipDataIsTheDataItself) {
  Bytes in = {0x1F, 0x8B, 0x08, 1, 2, 3}, out;
  ASSERT_EQ(pack(compress::gzip_compress, in, out), compress::done);
  EXPECT_EQ(out, in);
}

// Log-like lines: numbers that drift, so matches of every length and distance, far ones included.
Bytes log_lines(size_t n) {
  std::string s;
  std::mt19937 gen(11);
  for (uint32_t k = 0; s.size() < n; ++k)
    s += "2024-05-" + std::to_string(10 + k / 40000) + " id=" + std::to_string(k * 7919 % 100003) +
         (gen() % 3 ? " GET /index" : " POST /api/v") + std::to_string(gen() % 40) + " ok\n";
  s.resize(n);
  return bytes_of(s);
}

// A 1,200-byte record over and over: parses started at different places stay out of step.
Bytes records(size_t n) {
  Bytes b(n);
  for (size_t k = 0; k < n; ++k) b[k] = uint8_t(((k % 1200) * 37 + (k % 1200) / 7) % 251);
  return b;
}

// The encoder's choices are fixed: the same input always packs to the same bytes. A change in the
// match search or block choice shows up here as a different size or checksum. Inputs of 4 MB and
// more are parsed in segments, which must join into the same symbols: the long log lines join
// where the parses meet, the records never meet and are parsed again in order.
TEST(Deflate, PacksKnownInputsToKnownBytes) {
  struct Case {
    const char* name;
    Bytes data;
    size_t size;
    uint32_t crc;
  } cases[] = {
      {"text", text_bytes(200000, 1), 49823, 0x04734C9D},
      {"repetitive", repetitive(300000), 815, 0xF88F12CD},
      {"log lines", log_lines(1500000), 212121, 0xF4381D13},
      {"long log lines", log_lines(6500000), 917395, 0xCED09F85},
      {"records", records(5500000), 29979, 0xA5C359DC},
      {"mixed", [] {
         Bytes b = text_bytes(70000, 3), r = random_bytes(70000, 4);
         b.insert(b.end(), r.begin(), r.end());
         b.insert(b.end(), b.begin(), b.begin() + 40000);
         return b;
       }(), 100240, 0x6A080FA3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    ASSERT_EQ(pack(compress::deflate_compress, c.data, out), compress::done);
    EXPECT_EQ(out.size(), c.size);
    EXPECT_EQ(compress::crc32(out.data(), out.size()), c.crc);
  }
}

// Past the allocation cap the segments' scratch space is refused and one parse runs instead, to
// the same bytes.
TEST(Deflate, UnderTheCapOneParseGivesTheSameBytes) {
  Bytes in = log_lines(6500000), out;
  alloc::set_limit(size_t{16} << 20);
  int r = pack(compress::deflate_compress, in, out);
  alloc::set_limit(0);
  ASSERT_EQ(r, compress::done);
  EXPECT_EQ(out.size(), 917395u);
  EXPECT_EQ(compress::crc32(out.data(), out.size()), 0xCED09F85u);
}

}  // namespace
}  // namespace vyn::test
