// Random, truncated and bit-flipped streams through every decoder: each must answer a status,
// stay inside its buffers (the sanitizers watch) and never write past the capacity it was given.
#include <gtest/gtest.h>

#include "tests/unit/codec/codec_support.hpp"

namespace vyn::test {
namespace {

const Codec decoders[] = {compress::deflate_decompress, compress::zlib_decompress,
                          compress::gzip_decompress};

// Decodes into a buffer with guard bytes after the capacity, twice: measuring, then for real.
void decode_guarded(Codec codec, const Bytes& in) {
  size_t size = 0;
  int r = codec(nullptr, size, in.data(), in.size());
  ASSERT_GE(r, 0);
  ASSERT_LE(r, 5);
  size_t capacity = std::min<size_t>(size, 1 << 20) / 2;
  Bytes buf(capacity + 64, 0xA5);
  size = capacity;
  r = codec(buf.data(), size, in.data(), in.size());
  ASSERT_GE(r, 0);
  ASSERT_LE(r, 5);
  for (size_t k = capacity; k < buf.size(); ++k) ASSERT_EQ(buf[k], 0xA5);
}

std::vector<Bytes> valid_streams() {
  std::vector<Bytes> streams;
  Bytes text = text_bytes(20000, 11), noise = random_bytes(3000, 12);
  text.insert(text.end(), noise.begin(), noise.end());
  for (Codec pack : {compress::deflate_compress, compress::zlib_compress, compress::gzip_compress}) {
    Bytes out;
    run(pack, text, out, text.size() + 64);
    streams.push_back(out);
  }
  return streams;
}

TEST(InflateRobustness, RandomInput) {
  std::mt19937 gen(77);
  for (int k = 0; k < 3000; ++k) {
    Bytes in = random_bytes(gen() % 200, uint32_t(k));
    if (k % 3 == 1 && in.size() > 2) in[0] = 0x78, in[1] = 0x9C;
    if (k % 3 == 2 && in.size() > 4) in[0] = 0x1F, in[1] = 0x8B, in[2] = 8, in[3] &= 31;
    for (Codec codec : decoders) decode_guarded(codec, in);
  }
}

TEST(InflateRobustness, TruncatedAndFlippedStreams) {
  std::vector<Bytes> streams = valid_streams();
  std::mt19937 gen(78);
  for (size_t s = 0; s < streams.size(); ++s) {
    const Bytes& good = streams[s];
    for (size_t cut = 0; cut < good.size(); cut += 1 + cut / 16) {
      Bytes in(good.begin(), good.begin() + cut);
      decode_guarded(decoders[s], in);
      if (s > 0) {  // the framings' checksums catch every cut
        Bytes out;
        EXPECT_NE(run(decoders[s], in, out), compress::done) << cut;
      }
    }
    for (int k = 0; k < 400; ++k) {
      Bytes in = good;
      in[gen() % in.size()] ^= uint8_t(1 << (gen() % 8));
      decode_guarded(decoders[s], in);
    }
  }
}

}  // namespace
}  // namespace vyn::test
