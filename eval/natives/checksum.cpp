// eval/natives/checksum.cpp: the checksum native: checksums as integer!, digests and HMACs as binary!.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/error.hpp"
#include "core/text/unicode.hpp"
#include "eval/checksum.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "platform/files.hpp"
#include "values/objects/error_args.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/text/url.hpp"

namespace vyn::natives {
namespace {

using checksum::Method;

// The bytes of a binary! from its position to its tail; good until the next allocation.
struct Bytes {
  const uint8_t* at;
  size_t n;
};
Bytes bytes_of(const Cell& bin) {
  SeriesBuffer* b = series::buffer(bin);
  uint32_t head = static_cast<uint32_t>(std::max(series_head(bin), 0));
  if (head >= b->tail) return {b->data(), 0};
  return {b->data() + head, b->tail - head};
}

// A text's UTF-8 bytes, from its position, as a new binary! in the given stack cell.
void utf8_of(Cell* slot) {
  Cell* copy = stack::push(*slot);
  copy->w3 = 0;  // a conversion buffer of its own, which becomes the binary
  int32_t length = -1;
  NodeId node = unicode::to_utf8_buffer(copy, length, false);
  *slot = make_series(Type::binary, node);
  stack::pop(1);
}

// The bytes the data argument stands for: a file's whole contents (kept in file), else the bytes
// of a binary!, a text having been turned into one in its cell. Good until the next allocation.
Bytes data_bytes(const Cell& data, const std::string& file) {
  if (!data.is(Type::file)) return bytes_of(data);
  return {reinterpret_cast<const uint8_t*>(file.data()), file.size()};
}

Method method_of(const Cell& word) {
  auto m = checksum::method_named(symbol::spelling(word::symbol(word)));
  if (!m) fire(Err::script_invalid_arg, {word});
  return *m;
}

uint32_t sum_of(Method m, Bytes d) {
  if (m == Method::tcp) return checksum::tcp(d.at, d.n);
  if (m == Method::crc32) return checksum::crc32(d.at, d.n);
  return checksum::adler32(d.at, d.n);
}

// The digest (or with a key, the HMAC) of the bytes, as a new binary! in the result cell.
void digest_into(Cell* result, crypto::Digest d, Bytes in, Cell* key) {
  uint8_t out[crypto::max_digest_size];
  size_t size;
  if (key) {
    Bytes k = bytes_of(*key);
    size = checksum::hmac(d, in.at, in.n, k.at, k.n, out);
  } else {
    size = checksum::digest(d, in.at, in.n, out);
  }
  NodeId node = alloc::new_bytes(static_cast<uint32_t>(size));
  SeriesBuffer* b = buffer_of(node);
  std::memcpy(b->data(), out, size);
  b->tail = static_cast<uint32_t>(size);
  *result = make_series(Type::binary, node);
}

}  // namespace

// Every allocation (text to UTF-8) comes before the bytes are taken.
Flow checksum_(const Call& c) {
  using Ref = Refs<Native::checksum>;
  Cell* data = c.args;
  Cell* key = c.ref(Ref::with);
  Method m = method_of(c.args[1]);
  if (m == Method::hash) fire(Err::internal_not_done);
  auto digest = checksum::digest_of(m);
  if (key && (!digest || key->is(Type::integer)))
    fire(Err::script_invalid_refine_arg, {word_arg("with"), *key});
  std::string file;
  if (data->is(Type::file)) {
    auto contents = os::read_file(file::to_local(*data, false));
    if (!contents) fire(Err::access_cannot_open, {*data});
    file = std::move(*contents);
  } else if (!data->is(Type::binary)) {
    utf8_of(data);
  }
  if (key && !key->is(Type::binary)) utf8_of(key);
  Bytes in = data_bytes(*data, file);
  if (!digest) {
    *data = make_integer(static_cast<int32_t>(sum_of(m, in)));
    return Flow::normal;
  }
  digest_into(data, *digest, in, key);
  return Flow::normal;
}

}  // namespace vyn::natives
