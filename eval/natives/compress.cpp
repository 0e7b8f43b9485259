// eval/natives/compress.cpp: compress and decompress, binary! through the deflate, zlib and gzip
// codecs.
#include <algorithm>
#include <string>
#include <string_view>

#include "core/deflate.hpp"
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "values/binary.hpp"
#include "values/symbol.hpp"

namespace vyn::natives {
namespace {

using Codec = int (*)(uint8_t*, size_t&, const uint8_t*, size_t);

struct Method {
  const char* word;
  Codec pack, unpack;
};
constexpr Method methods[] = {
    {"zlib", compress::zlib_compress, compress::zlib_decompress},
    {"deflate", compress::deflate_compress, compress::deflate_decompress},
    {"gzip", compress::gzip_compress, compress::gzip_decompress},
};

const Method& method_of(const Cell& word) {
  uint32_t id = symbol::resolve(word.w2);
  for (const Method& m : methods)
    if (symbol::resolve(symbol::make(m.word)) == id) return m;
  fire(Err::script_invalid_arg, {word});
}

// The data's bytes from its position, copied out of the series frames so that making the
// result cannot move them.
std::string bytes_of(const Cell& data) {
  std::string out;
  if (data.is(Type::binary)) {
    const uint8_t* at = binary::head_bytes(data);
    out.assign(reinterpret_cast<const char*>(at), size_t(binary::length(data)));
  } else {
    binary::text_utf8(data, -1, out);
  }
  return out;
}

// Runs the codec with capacity bytes of room (none: it measures), then once more with the size
// it asked for. Anything but success after that is script/invalid-data.
std::string run(Codec codec, const std::string& in, size_t capacity, const Cell& method) {
  std::string out;
  auto input = reinterpret_cast<const uint8_t*>(in.data());
  for (int attempt = 0; attempt < 2; ++attempt) {
    out.assign(capacity, '\0');
    size_t size = capacity;
    auto buffer = capacity ? reinterpret_cast<uint8_t*>(out.data()) : nullptr;
    int r = codec(buffer, size, input, in.size());
    if (r == compress::done) return out.substr(0, size);
    if (r != compress::too_small || size > compress::max_output) break;
    capacity = size;
  }
  fire(Err::script_invalid_data, {method});
}

void answer(const Call& c, const std::string& out) {
  c.args[0] = *binary::push_bytes(reinterpret_cast<const uint8_t*>(out.data()), out.size());
}

Flow compress_(const Call& c) {
  const Method& m = method_of(c.args[1]);
  std::string in = bytes_of(c.args[0]);
  answer(c, run(m.pack, in, in.size() + (in.size() >> 11) + 32, c.args[1]));
  return Flow::normal;
}

// Refinement 0 is /size. No deflate stream expands a byte into more than 1,032 bytes, so a
// larger /size is only a waste and is cut down to that.
Flow decompress_(const Call& c) {
  const Method& m = method_of(c.args[1]);
  std::string in = bytes_of(c.args[0]);
  size_t capacity = 0;
  Cell* size = c.ref(0);
  if (size && m.unpack != compress::gzip_decompress && size->int_value() > int64_t(in.size()))
    capacity = std::min<size_t>(size_t(size->int_value()), in.size() * 1032 + 64);
  answer(c, run(m.unpack, in, capacity, c.args[1]));
  return Flow::normal;
}

}  // namespace

void install_compress() {
  define(Native::compress, compress_);
  define(Native::decompress, decompress_);
}

}  // namespace vyn::natives
