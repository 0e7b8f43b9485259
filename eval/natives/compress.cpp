// eval/natives/compress.cpp: compress and decompress, binary! through the deflate, zlib and gzip
// codecs.
#include <algorithm>
#include <string>

#include "core/codecs/deflate.hpp"
#include "core/error.hpp"
#include "core/series.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"
#include "values/words/symbol.hpp"

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
  uint32_t id = symbol::resolve(word::symbol(word));
  for (const Method& m : methods)
    if (symbol::resolve(symbol::make(m.word)) == id) return m;
  fire(Err::script_invalid_arg, {word});
}

// The data as a binary! from its position: a binary as it is, text as its UTF-8 in a new binary
// pushed on the value stack.
Cell* input_of(Cell* data) {
  if (data->is(Type::binary)) return data;
  std::string utf8;
  binary::text_utf8(*data, -1, utf8);
  return binary::push_bytes(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size());
}

// Runs the codec from the input straight into a new binary of capacity bytes (none: it measures),
// then once more with the size it asked for, and answers that binary. Anything but success after
// that is script/invalid-data. The codec allocates no series, so the input's bytes may be read
// from its buffer once the output is made.
Cell* run(Codec codec, Cell* in, size_t capacity, const Cell& method) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    Cell* out = capacity ? binary::push_empty(capacity) : nullptr;
    size_t size = capacity;
    uint8_t* buffer = out ? buffer_of(series_node(*out))->data() : nullptr;
    int r = codec(buffer, size, binary::head_bytes(*in), size_t(binary::length(*in)));
    if (r == compress::done) {
      buffer_of(series_node(*out))->tail = static_cast<uint32_t>(size);
      return out;
    }
    if (out) stack::pop(1);
    if (r != compress::too_small || size > compress::max_output) break;
    capacity = size;
  }
  fire(Err::script_invalid_data, {method});
}

}  // namespace

Flow compress_(const Call& c) {
  const Method& m = method_of(c.args[1]);
  Cell* in = input_of(&c.args[0]);
  size_t n = size_t(binary::length(*in));
  c.args[0] = *run(m.pack, in, n + (n >> 11) + 32, c.args[1]);
  return Flow::normal;
}

// No deflate stream expands a byte into more than 1,032 bytes, so a larger /size is only a waste
// and is cut down to that. Without it the first try has room for four times the input (pages never
// written cost no memory), which ordinary data fits in one pass; a stream expanding further is
// measured by that try, so one expanding past what memory holds is refused before more is made.
Flow decompress_(const Call& c) {
  using Ref = Refs<Native::decompress>;
  const Method& m = method_of(c.args[1]);
  Cell* in = input_of(&c.args[0]);
  size_t n = size_t(binary::length(*in));
  size_t capacity = std::min<size_t>(n * 4 + 64, compress::max_output);
  Cell* size = c.ref(Ref::size);
  if (size && m.unpack != compress::gzip_decompress && size->int_value() > int64_t(n))
    capacity = std::min<size_t>(size_t(size->int_value()), n * 1032 + 64);
  c.args[0] = *run(m.unpack, in, capacity, c.args[1]);
  return Flow::normal;
}

}  // namespace vyn::natives
