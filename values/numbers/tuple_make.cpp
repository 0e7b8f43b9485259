// values/numbers/tuple_make.cpp: make and to for tuple!, from blocks of numbers, text, issues and binaries.
#include <cmath>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/text/load_text.hpp"
#include "values/series/series.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::tuple {
namespace {

[[noreturn]] void bad_to(const Cell& spec) { fire(Err::script_bad_to_arg, {make_datatype(Type::tuple), spec}); }

// An element of a block spec as a byte: an integer, a char's code point or a float truncated
// toward zero; anything else, or a number outside 0..255, cannot be a byte.
uint8_t element_byte(const Cell& v, const Cell& spec) {
  double n;
  switch (v.type()) {
    case Type::integer:
    case Type::char_: n = v.int_value(); break;
    case Type::float_: n = std::trunc(v.float_value()); break;
    default: bad_to(spec);
  }
  if (!(n >= 0.0 && n <= 255.0)) bad_to(spec);  // NaN fails here too
  return static_cast<uint8_t>(n);
}

Cell from_block(Cell spec) {
  int32_t n = block::vs_length(spec);
  if (n > max_size) bad_to(spec);
  Bytes t;
  const Cell* items = block::vs_head(spec);
  for (int32_t i = 0; i < n; ++i) t.b[i] = element_byte(items[i], spec);
  t.size = n;
  return make(t);
}

int hex_digit(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The issue's name in hexadecimal: 6 digits are three bytes, 8 digits four (the last is alpha),
// 3 digits three bytes each of its digit doubled (F gives 255).
Cell from_issue(const Cell& issue) {
  std::string_view name = symbol::spelling(word::symbol(issue));
  size_t n = name.size();
  if (n != 3 && n != 6 && n != 8) fire(Err::script_invalid_data, {issue});
  int digits[8];
  for (size_t i = 0; i < n; ++i)
    if ((digits[i] = hex_digit(static_cast<uint8_t>(name[i]))) < 0) fire(Err::script_invalid_data, {issue});
  Bytes t;
  if (n == 3) {
    for (int i = 0; i < 3; ++i) t.b[i] = static_cast<uint8_t>(digits[i] * 17);
  } else {
    t.size = static_cast<int>(n / 2);
    for (int i = 0; i < t.size; ++i) t.b[i] = static_cast<uint8_t>(digits[2 * i] * 16 + digits[2 * i + 1]);
  }
  return make(t);
}

// At most 12 bytes from the binary's head; more are ignored.
Cell from_binary(const Cell& bin) {
  int32_t head = series_head(bin) < 0 ? 0 : series_head(bin);
  int32_t left = series::length_total(bin) - head;
  int count = left <= 0 ? 0 : left > max_size ? max_size : static_cast<int>(left);
  return make(series::buffer(bin)->data() + head, count);
}

Cell from_text(const Cell& spec) {
  stack::Mark mark;
  Cell loaded = *load_text(spec);
  if (!loaded.is(Type::tuple)) bad_to(spec);
  return loaded;
}

}  // namespace

// make and to alike.
Cell* make_(Cell* proto, Cell* spec, Type) {
  switch (spec->type()) {
    case Type::block:
    case Type::paren:
    case Type::hash: *proto = from_block(*spec); return proto;
    case Type::string:
    case Type::file:
    case Type::url:
    case Type::tag:
    case Type::email:
    case Type::ref: *proto = from_text(*spec); return proto;
    case Type::issue: *proto = from_issue(*spec); return proto;
    case Type::tuple: return spec;
    case Type::binary: *proto = from_binary(*spec); return proto;
    default: bad_to(*spec);
  }
}

}  // namespace vyn::tuple
