// eval/natives/codecs.cpp: enbase and debase (bytes as text in bases 2, 16, 58 and 64), dehex and
// enhex (percent-encoding).
#include <cstring>
#include <string>
#include <vector>

#include "core/alloc_limit.hpp"
#include "core/codecs/base_codecs.hpp"
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"

namespace vyn::natives {
namespace {

// The base of /base, 64 without it; any other than 2, 16, 58 and 64 raises script/invalid-arg.
int base_of(const Call& c) {
  static_assert(same_position(Refs<Native::enbase>::base, Refs<Native::debase>::base));
  Cell* base = c.ref(Refs<Native::enbase>::base);
  if (!base) return 64;
  int32_t b = base->int_value();
  if (!base_codecs::supported(b)) fire(Err::script_invalid_arg, {*base});
  return b;
}

// A new string! holding ASCII text.
Cell* push_ascii(const std::string& text) {
  Cell* out = string::make_at(stack::push_unset(), static_cast<uint32_t>(text.size()));
  SeriesBuffer* b = buffer_of(series_node(*out));
  std::memcpy(b->data(), text.data(), text.size());
  b->tail = static_cast<uint32_t>(text.size());
  return out;
}

// ---- percent-encoding

}  // namespace

Flow enbase(const Call& c) {
  int base = base_of(c);
  Cell* value = &c.args[0];
  std::string utf8;
  alloc::Scratch utf8_charge;
  const uint8_t* bytes;
  size_t n;
  if (value->is(Type::binary)) {
    bytes = binary::head_bytes(*value);
    n = static_cast<size_t>(binary::length(*value));
  } else {
    binary::text_utf8(*value, -1, utf8);
    utf8_charge.resize(utf8.size());
    bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    n = utf8.size();
  }
  int64_t size = base_codecs::encoded_size(base, n);
  if (size < 0) fire(Err::script_too_long);
  alloc::Scratch charge{static_cast<size_t>(size)};
  std::string text = base_codecs::encode(base, bytes, n);  // allocates no series
  c.args[0] = *push_ascii(text);
  return Flow::normal;
}

// none when the text is not valid in the base.
Flow debase(const Call& c) {
  int base = base_of(c);
  Cell* value = &c.args[0];
  SeriesBuffer* b = buffer_of(series_node(*value));
  uint32_t unit = b->unit() ? b->unit() : 1;
  int32_t n = string::length(*value);
  base_codecs::Text text{b->data() + static_cast<uint32_t>(series_head(*value)) * unit,
                         static_cast<uint32_t>(n), unit};
  std::vector<uint8_t> bytes;
  if (!base_codecs::decode(base, text, bytes)) {
    c.args[0] = make_none();
    return Flow::normal;
  }
  c.args[0] = *binary::push_bytes(bytes.data(), bytes.size());
  return Flow::normal;
}

// A new string! of the value's unit with the %xx escapes decoded (multi-byte UTF-8 sequences
// written as escapes giving one character).
Flow dehex(const Call& c) {
  uint32_t unit = buffer_of(series_node(c.args[0]))->unit();
  Cell* out = string::make_at_unit(stack::push_unset(), 16, unit ? unit : 1);
  url::decode(&c.args[0], out);
  c.args[0] = *out;
  return Flow::normal;
}

// A new string! with every byte of the UTF-8 text that is not plain written as %xx: a string!
// keeps only letters, digits and "-._~" plain, the other text types what a URL may hold.
Flow enhex(const Call& c) {
  Cell* out = string::make_at(stack::push_unset(), 16);
  url::encode(&c.args[0], out, c.args[0].is(Type::string) ? url::strict_mode : 0xFF);
  c.args[0] = *out;
  return Flow::normal;
}

}  // namespace vyn::natives
