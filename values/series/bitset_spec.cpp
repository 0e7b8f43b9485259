// values/series/bitset_spec.cpp: the walker over bitset specs (numbers, chars, strings, blocks with
// ranges) that sizes, sets, tests and clears bits, and the growth of the bit array.
#include <algorithm>
#include <cstring>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/bitset.hpp"
#include "values/series/block.hpp"
#include "values/predefined.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::bitset {
namespace {

constexpr int64_t beyond_int = int64_t{1} << 31;

struct Walk {
  NodeId bits;
  Op op;
  Caller caller;
  int64_t highest = -1;
  bool ok = true;
};

uint32_t bit_count(NodeId bits) { return static_cast<uint32_t>(byte_count(bits)) * 8; }
uint8_t& byte_of(NodeId bits, uint32_t n) { return buffer_of(bits)->data()[n >> 3]; }
uint8_t mask_of(uint32_t n) { return static_cast<uint8_t>(0x80u >> (n & 7)); }
bool bit(NodeId bits, uint32_t n) { return byte_of(bits, n) & mask_of(n); }
void put_bit(NodeId bits, uint32_t n, bool on) {
  if (on) byte_of(bits, n) |= mask_of(n);
  else byte_of(bits, n) &= static_cast<uint8_t>(~mask_of(n));
}
// Ranges reach 2^31 numbers: the whole bytes between the ends go at once. Signed, so that the
// top end may step below the bottom one.
void put_bits(NodeId bits, int64_t low, int64_t high, bool on) {
  for (; low <= high && (low & 7); ++low) put_bit(bits, static_cast<uint32_t>(low), on);
  for (; low <= high && (high & 7) != 7; --high) put_bit(bits, static_cast<uint32_t>(high), on);
  if (low > high) return;
  std::memset(&byte_of(bits, static_cast<uint32_t>(low)), on ? 0xFF : 0, static_cast<size_t>((high - low) >> 3) + 1);
}

// Whether every number from low to high (inside the array) is set.
bool all_bits(NodeId bits, int64_t low, int64_t high) {
  for (; low <= high && (low & 7); ++low)
    if (!bit(bits, static_cast<uint32_t>(low))) return false;
  for (; low <= high && (high & 7) != 7; --high)
    if (!bit(bits, static_cast<uint32_t>(high))) return false;
  if (low > high) return true;
  const uint8_t* p = &byte_of(bits, static_cast<uint32_t>(low));
  auto n = static_cast<size_t>((high - low) >> 3) + 1;
  return p[0] == 0xFF && std::memcmp(p, p + 1, n - 1) == 0;
}

bool same_symbol(const Cell& w, predefined::S s) {
  return w.is(Type::word) && symbol::resolve(word::symbol(w)) == symbol::resolve(predefined::symbol(s));
}

// The number a char!, integer! or float! (truncated toward zero) stands for; -1 for negatives
// and beyond_int above the 32-bit range, so that both fail the same way as out-of-range ones.
int64_t number_of(const Cell& v) {
  if (v.is(Type::char_)) return char_of(v);
  if (v.is(Type::integer)) return v.int_value();
  double d = v.float_value();
  if (!(d > -1.0)) return -1;
  return d >= static_cast<double>(beyond_int) ? beyond_int : static_cast<int64_t>(d);
}

// A number no array can hold, or a negative one, is out of range except when testing.
void check_number(Walk& w, int64_t n, const Cell& v) {
  if (w.op == Op::test) return;
  if (n < 0 || n >= beyond_int) fire(Err::script_out_of_range, {v});
}

void one(Walk& w, int64_t n, const Cell& v) {
  check_number(w, n, v);
  w.highest = std::max(w.highest, n);
  bool comp = is_complemented(w.bits);
  auto u = static_cast<uint32_t>(n);
  switch (w.op) {
    case Op::size: return;
    case Op::test:
      w.ok = (n < 0 || n >= bit_count(w.bits)) ? comp : bit(w.bits, u);
      return;
    case Op::set:
      if (!comp) grow_to_bit(w.bits, u);
      if (u < bit_count(w.bits)) put_bit(w.bits, u, true);
      return;
    case Op::clear:
      if (comp) grow_to_bit(w.bits, u);
      if (u < bit_count(w.bits)) put_bit(w.bits, u, false);
      return;
  }
}

// Every number from low to high. Where the range reaches beyond the array, those numbers already
// have the membership the operation asks for on a complemented set (set) or a plain one (clear),
// so only the part inside the array changes; a test looks at the part inside as well.
void range(Walk& w, int64_t low, int64_t high, const Cell& lv, const Cell& hv) {
  check_number(w, low, lv);
  check_number(w, high, hv);
  w.highest = std::max(w.highest, high);
  bool comp = is_complemented(w.bits);
  if (w.op == Op::size) return;
  if ((w.op == Op::set && !comp) || (w.op == Op::clear && comp)) grow_to_bit(w.bits, static_cast<uint32_t>(high));
  int64_t last = std::min<int64_t>(high, int64_t{bit_count(w.bits)} - 1);
  if (w.op == Op::test) {
    if (low < 0 || high > last) w.ok = comp;
    int64_t first = std::max<int64_t>(low, 0);
    if (w.ok && first <= last) w.ok = all_bits(w.bits, first, last);
    return;
  }
  if (low <= last) put_bits(w.bits, low, last, w.op == Op::set);
}

// Each character from the string's head, read again after every step (growing may collect).
void text(Walk& w, const Cell& str) {
  NodeId node = series_node(str);
  int32_t head = std::max(series_head(str), 0);
  int32_t end = string::length_total(str);
  for (int32_t i = head; i < end && w.ok; ++i) {
    uint32_t cp = string::char_at(node, static_cast<uint32_t>(i));
    one(w, cp, make_char(cp));
  }
}

[[noreturn]] void wrong_spec(const Walk& w, const Cell& v) {
  Cell type = make_datatype(Type::bitset);
  if (w.caller == Caller::make) fire(Err::script_bad_make_arg, {type, v});
  if (w.caller == Caller::to) fire(Err::script_bad_to_arg, {type, v});
  fire(Err::script_invalid_arg, {v});
}

void walk(Walk& w, Cell* spec);

// A char! or integer! followed by the word - starts a range; answers the cells it took.
int32_t element(Walk& w, Cell* block, int32_t i) {
  Cell v = block::cells(*block)[i];
  int32_t total = block::length_total(*block);
  bool rangeable = v.is(Type::char_) || v.is(Type::integer);
  if (rangeable && i + 1 < total && same_symbol(block::cells(*block)[i + 1], predefined::S::minus)) {
    if (i + 2 >= total) fire(Err::script_past_end);
    Cell h = block::cells(*block)[i + 2];
    if (!h.is(v.type())) fire(Err::script_invalid_arg, {h});
    if (number_of(h) < number_of(v)) fire(Err::script_past_end);
    range(w, number_of(v), number_of(h), v, h);
    return 3;
  }
  // a binary! says nothing of which bits it stands for inside a spec: internal/not-done
  if (v.is(Type::binary)) fire(Err::internal_not_done);
  stack::Mark mark;
  walk(w, stack::push(v));
  return 1;
}

void walk(Walk& w, Cell* spec) {
  switch (spec->type()) {
    case Type::char_: case Type::integer: case Type::float_:
      one(w, number_of(*spec), *spec);
      return;
    case Type::string:
      text(w, *spec);
      return;
    case Type::block:
      for (int32_t i = std::max(series_head(*spec), 0); i < block::length_total(*spec) && w.ok;)
        i += element(w, spec, i);
      return;
    default:
      wrong_spec(w, *spec);
  }
}

}  // namespace

void grow_to_bit(NodeId bits, uint32_t n) {
  uint32_t need = (n >> 3) + 1;
  uint8_t fill = is_complemented(bits) ? 0xFF : 0;
  SeriesBuffer* b = buffer_of(bits);
  if (need > b->size) {
    uint64_t doubled = std::min<uint64_t>(uint64_t{b->size} * 2, 0x7FFFFFF0u);
    b = alloc::expand_series_fill(bits, static_cast<uint32_t>(std::max<uint64_t>(need, doubled)), fill);
  }
  if (b->tail < need) {
    std::memset(b->data() + b->tail, fill, need - b->tail);
    b->tail = need;
  }
}

int32_t process_spec(Cell* spec, NodeId bits, Op op, Caller caller) {
  Walk w{bits, op, caller};
  walk(w, spec);
  if (op == Op::test) return w.ok ? 1 : 0;
  int32_t bytes = w.highest < 0 ? 1 : static_cast<int32_t>((w.highest >> 3) + 1);
  if (op == Op::set && bytes > byte_count(bits)) grow_to_bit(bits, static_cast<uint32_t>(bytes) * 8 - 1);
  return bytes;
}

bool has(const Cell& bitset, uint32_t codepoint) {
  NodeId bits = series_node(bitset);
  if (codepoint >= static_cast<uint32_t>(byte_count(bits)) * 8) return is_complemented(bits);
  return bit(bits, codepoint);
}

}  // namespace vyn::bitset
