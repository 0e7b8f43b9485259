// tests/fuzz/inflate_fuzz.cpp: libFuzzer target: arbitrary bytes through the DEFLATE, zlib and
// gzip decoders and the LZ unpacker, and through each packer and back.
//
// Each decoder runs three times: measuring (no output), into a buffer of exactly the size it
// measured, and into one of half that size. The three must agree on the length, and the buffers
// are heap blocks of their exact size, so a write past the capacity is caught. Every packer's
// output must decode to the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/codecs/deflate.hpp"
#include "core/codecs/lz.hpp"

namespace {

using namespace vyn;
using Bytes = std::vector<uint8_t>;
using Codec = int (*)(uint8_t*, size_t&, const uint8_t*, size_t);

[[noreturn]] void fault(const char* what, int a, int b) {
  std::fprintf(stderr, "%s: %d %d\n", what, a, b);
  std::abort();
}

// The framings check their sums only when they have the output, so measuring may answer
// too_small where decoding then finds the data corrupt.
void decode_three_ways(Codec codec, bool framed, const uint8_t* in, size_t n) {
  size_t measured = 0;
  int r = codec(nullptr, measured, in, n);
  if (r < compress::done || r > compress::too_far) fault("status out of range", r, 0);
  if (r != compress::done && r != compress::too_small) return;
  if (r == compress::done && measured != 0) fault("measuring stored bytes", int(measured), 0);
  Bytes whole(measured);
  size_t size = measured;
  int again = codec(measured ? whole.data() : nullptr, size, in, n);
  if (framed && again == compress::corrupt) return;
  if (again != compress::done || size != measured) fault("decoding into the measured size", again, int(size));
  if (measured < 2) return;
  Bytes half(measured / 2);
  size = half.size();
  int cut = codec(half.data(), size, in, n);
  if (cut != compress::too_small || size != measured) fault("decoding into half the room", cut, int(size));
  if (!framed && std::memcmp(half.data(), whole.data(), half.size()) != 0) fault("the bytes that fit differ", 0, 0);
}

// Packs the way the compress native does: a first guess, then the size the packer asks for.
void round_trip(Codec pack, Codec unpack, const uint8_t* in, size_t n) {
  Bytes packed(n + n / 2048 + 32);
  size_t size = packed.size();
  int r = pack(packed.data(), size, in, n);
  if (r == compress::too_small) {
    packed.assign(size, 0);
    r = pack(packed.data(), size, in, n);
  }
  if (r != compress::done) fault("packing into the size asked for", r, int(size));
  packed.resize(size);
  size_t unpacked = n;
  Bytes out(n);
  r = unpack(n ? out.data() : nullptr, unpacked, packed.data(), packed.size());
  if (r != compress::done || unpacked != n || (n && std::memcmp(out.data(), in, n) != 0))
    fault("a packed stream does not unpack to its input", r, int(unpacked));
}

void unpack_lz(const uint8_t* in, size_t n) {
  uint32_t size = 0;
  uint8_t* out = compress::unpack(in, n, &size);
  if (out) compress::free_buffer(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 14) return 0;
  const uint8_t* in = data + 1;
  size_t n = size - 1;
  switch (data[0] % 5) {
    case 0: decode_three_ways(compress::deflate_decompress, false, in, n); break;
    case 1: decode_three_ways(compress::zlib_decompress, true, in, n); break;
    case 2: decode_three_ways(compress::gzip_decompress, true, in, n); break;
    case 3: unpack_lz(in, n); break;
    default:
      round_trip(compress::deflate_compress, compress::deflate_decompress, in, n);
      round_trip(compress::zlib_compress, compress::zlib_decompress, in, n);
      if (n < 3 || std::memcmp(in, "\x1F\x8B\x08", 3) != 0)
        round_trip(compress::gzip_compress, compress::gzip_decompress, in, n);
  }
  return 0;
}
