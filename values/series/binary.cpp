// values/series/binary.cpp: binary!: making, converting, molding and comparing byte series, and its
// registration.
#include "values/series/binary.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/codecs/base_codecs.hpp"
#include "core/compare_ops.hpp"
#include "core/error.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "values/images/image.hpp"
#include "values/registry.hpp"
#include "values/series/bitset.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::binary {
namespace {

void append_be(std::string& out, uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// The base-16 decoding of an issue's name; text that is not pairs of hexadecimal digits raises
// script/invalid-data.
void issue_bytes(const Cell& issue, std::string& out) {
  std::string name(symbol::spelling(word::symbol(issue)));
  std::vector<uint8_t> bytes;
  base_codecs::Text text{reinterpret_cast<const uint8_t*>(name.data()),
                         static_cast<uint32_t>(name.size()), 1};
  if (!base_codecs::decode(16, text, bytes)) fire(Err::script_invalid_data, {issue});
  out.append(bytes.begin(), bytes.end());
}

// Appends the text to buffer as a character at a time; the text is ASCII.
void put(Cell* buffer, std::string_view text) { string::append_latin1(*buffer, text); }

void put_line(Cell* buffer, int32_t level) {
  put(buffer, "\n");
  for (int32_t i = 0; i < level; ++i) put(buffer, "    ");
}

// "#{" hexadecimal pairs "}"; from 31 bytes on (unless flat) each run of 32 bytes takes a line of
// its own, one level deeper than the braces. Each byte costs 2 of the limit.
int32_t write_hex(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  int32_t n = length(*value);
  bool lines = n > 30 && !o.flat;
  NodeId node = series_node(*value);
  uint32_t from = static_cast<uint32_t>(std::max(series_head(*value), 0));
  if (!o.only) put(buffer, "#{");
  for (int32_t i = 0; i < n; ++i) {
    if (part && limit < 1) return limit;
    if (lines && i % 32 == 0) put_line(buffer, o.indent + 1);
    put(buffer, string::byte_to_hex(buffer_of(node)->data()[from + static_cast<uint32_t>(i)]));
    limit -= 2;
  }
  if (lines) put_line(buffer, o.indent);
  if (!o.only) put(buffer, "}");
  return limit;
}

}  // namespace

Cell* push_bytes(const uint8_t* bytes, size_t n) {
  if (n > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  Cell* out = stack::push_unset();
  NodeId node = alloc::new_bytes(static_cast<uint32_t>(n));
  SeriesBuffer* b = buffer_of(node);
  if (n) std::memcpy(b->data(), bytes, n);
  b->tail = static_cast<uint32_t>(n);
  *out = make_series(Type::binary, node);
  return out;
}

Cell* push_empty(size_t n) {
  if (n > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  Cell* out = stack::push_unset();
  *out = make_series(Type::binary, alloc::new_bytes(static_cast<uint32_t>(n)));
  return out;
}

int32_t length(const Cell& bin) {
  int32_t n = series::length_total(bin) - std::max(series_head(bin), 0);
  return n < 0 ? 0 : n;
}

const uint8_t* head_bytes(const Cell& bin) {
  int32_t at = std::min(std::max(series_head(bin), 0), series::length_total(bin));
  return buffer_of(series_node(bin))->data() + at;
}

Cell* to(Cell*, Cell* spec, Type) {
  std::string bytes;
  switch (spec->type()) {
    case Type::integer: append_be(bytes, static_cast<uint32_t>(spec->int_value()), 4); break;
    case Type::float_: case Type::percent:
      append_be(bytes, std::bit_cast<uint64_t>(spec->float_value()), 8);
      break;
    case Type::issue: issue_bytes(*spec, bytes); break;
    case Type::bitset:
      bytes.assign(reinterpret_cast<const char*>(bitset::vs_head(*spec)),
                   static_cast<size_t>(bitset::byte_count(series_node(*spec))));
      break;
    case Type::binary: {
      auto copy = registry::entry<Action::copy>(Type::series);
      return copy(spec, stack::push_unset(), nullptr, false, nullptr);
    }
    case Type::image: return image::extract_data(*spec, 2);
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email:
    case Type::ref: case Type::char_: case Type::tuple: case Type::block: case Type::paren: case Type::hash:
      bytes_of(spec, -1, false, Mode::to, bytes);
      break;
    default: fire(Err::script_bad_to_arg, {make_datatype(Type::binary), *spec});
  }
  return push_bytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  return write_hex(value, buffer, MoldOptions{}, part, limit);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  return write_hex(value, buffer, o, part, limit);
}

// Byte by byte from both heads; the equalities answer 1 at once for different lengths.
int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::binary)) return -2;
  if (op == cmp::same) {
    bool same = series_node(*a) == series_node(*b) && series_head(*a) == series_head(*b);
    return same ? 0 : -1;
  }
  int32_t la = length(*a), lb = length(*b);
  bool equality = op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal || op == cmp::find;
  if (equality && la != lb) return 1;
  int c = std::memcmp(head_bytes(*a), head_bytes(*b), static_cast<size_t>(std::min(la, lb)));
  if (c) return c < 0 ? -1 : 1;
  return (la > lb) - (la < lb);
}

void install() {
  using registry::def;
  static constexpr Action inherited[] = {
      Action::make, Action::random, Action::reflect, Action::eval_path, Action::at, Action::back,
      Action::clear, Action::copy, Action::find, Action::head, Action::head_q, Action::index_q,
      Action::length_q, Action::move, Action::next, Action::pick, Action::poke, Action::remove,
      Action::reverse, Action::select, Action::skip, Action::sort, Action::swap, Action::tail,
      Action::tail_q, Action::take, Action::modify,
  };
  registry::define(Type::binary, inherited, {
      def<Action::to>(to), def<Action::form>(form), def<Action::mold>(mold),
      def<Action::compare>(compare), def<Action::and_t>(and_t),
      def<Action::complement>(complement), def<Action::or_t>(or_t), def<Action::xor_t>(xor_t),
      def<Action::append>(append), def<Action::insert>(append), def<Action::change>(change),
      def<Action::trim>(trim),
  });
}

// And~, or~, xor~ and complement on binaries.
namespace {

enum class Op { and_, or_, xor_ };

// A new binary as long as the longer operand, both read from their heads: the common bytes
// combined, the rest zero for and~ and the longer operand's bytes for or~ and xor~. It replaces
// the first argument.
void combine(Cell* args, Op op) {
  Cell* a = &args[0];
  Cell* b = &args[1];
  if (!b->is(Type::binary)) fire(Err::script_invalid_arg, {*b});
  int32_t la = length(*a), lb = length(*b);
  const uint8_t* pa = head_bytes(*a);
  const uint8_t* pb = head_bytes(*b);
  std::vector<uint8_t> out(static_cast<size_t>(std::max(la, lb)));
  for (size_t i = 0; i < out.size(); ++i) {
    bool in_a = i < static_cast<size_t>(la), in_b = i < static_cast<size_t>(lb);
    uint8_t x = in_a ? pa[i] : 0, y = in_b ? pb[i] : 0;
    if (in_a && in_b) out[i] = op == Op::and_ ? x & y : op == Op::or_ ? x | y : x ^ y;
    else out[i] = op == Op::and_ ? 0 : (in_a ? x : y);
  }
  stack::Mark mark;
  *a = *push_bytes(out.data(), out.size());
}

}  // namespace

void and_t(Cell* args) { combine(args, Op::and_); }
void or_t(Cell* args) { combine(args, Op::or_); }
void xor_t(Cell* args) { combine(args, Op::xor_); }

// Inverts every byte from the head, in place.
Cell* complement(Cell* value) {
  uint8_t* p = const_cast<uint8_t*>(head_bytes(*value));
  for (int32_t i = 0; i < length(*value); ++i) p[i] = static_cast<uint8_t>(~p[i]);
  return value;
}

}  // namespace vyn::binary
