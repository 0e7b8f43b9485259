// values/bitset_ops.cpp: bitset! combination (and~ or~ xor~, the set operations, complement),
// comparison and text ("make bitset! #{...}", "make bitset! [not #{...}]" when complemented).
#include <algorithm>

#include "core/error.hpp"
#include "eval/stack.hpp"
#include "values/bitset.hpp"
#include "values/bitset_entries.hpp"
#include "values/block_actions.hpp"
#include "values/compare_ops.hpp"
#include "values/string_storage.hpp"

namespace vyn::bitset {
namespace {

// The byte i of the membership of a bitset: its stored byte, or beyond the array the byte every
// complemented bitset stands for there.
uint8_t byte_at(NodeId bits, int32_t i, bool comp) {
  return i < byte_count(bits) ? buffer_of(bits)->data()[i] : comp ? 0xFF : 0;
}

uint8_t combine(int op, uint8_t a, uint8_t b) {
  switch (op) {
    case 5: case 9: return a | b;
    case 6: case 10: return a & b;
    case 11: return static_cast<uint8_t>(a & ~b);
    default: return a ^ b;  // 7, 12
  }
}

bool combine_flags(int op, bool a, bool b) { return combine(op, a, b) & 1; }

// and~ ends at the shorter array when that one is plain: beyond it nothing is a member.
int32_t result_length(int op, NodeId a, NodeId b) {
  int32_t la = byte_count(a), lb = byte_count(b);
  if (op == 6 && (la < lb ? !is_complemented(a) : !is_complemented(b))) return std::min(la, lb);
  return std::max(la, lb);
}

Cell* flipped_copy(Cell* value) {
  Cell* result = push(*value);
  SeriesBuffer* b = buffer_of(series_node(*result));
  b->flags ^= complemented;
  for (uint32_t i = 0; i < b->tail; ++i) b->data()[i] = static_cast<uint8_t>(~b->data()[i]);
  return result;
}

template <int Op>
void bitwise(Cell* args) {
  Cell result = *do_bitwise(Op, &args[0], &args[1]);
  args[0] = result;
}

}  // namespace

// Every operation works on the membership of both operands, so a complemented operand counts
// as full beyond its array, and the result is complemented when the operation is true for two
// numbers beyond both arrays.
Cell* do_bitwise(int op, Cell* a, Cell* b) {
  if (op == 8) return a;
  if (!b->is(Type::bitset)) fire(Err::script_invalid_type, {make_datatype(b->type())});
  NodeId x = series_node(*a), y = series_node(*b);
  bool fx = is_complemented(x), fy = is_complemented(y);
  int32_t n = result_length(op, x, y);
  Cell* result = push_new(n, 0, combine_flags(op, fx, fy));
  NodeId r = series_node(*result);
  for (int32_t i = 0; i < n; ++i)
    buffer_of(r)->data()[i] = combine(op, byte_at(x, i, fx), byte_at(y, i, fy));
  return result;
}

Cell* complement_(Cell* value) { return flipped_copy(value); }
void and_(Cell* args) { bitwise<6>(args); }
void or_(Cell* args) { bitwise<5>(args); }
void xor_(Cell* args) { bitwise<7>(args); }

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::bitset)) return -2;
  NodeId x = series_node(*a), y = series_node(*b);
  if (op == cmp::same) return x == y ? 0 : 1;
  int32_t la = byte_count(x), lb = byte_count(y);
  if (la != lb) return la < lb ? -1 : 1;
  bool fx = is_complemented(x), fy = is_complemented(y);
  if (fx != fy) return fx ? 1 : -1;
  for (int32_t i = la - 1; i >= 0; --i) {
    uint8_t p = buffer_of(x)->data()[i], q = buffer_of(y)->data()[i];
    if (p != q) return p < q ? -1 : 1;
  }
  return 0;
}

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  NodeId bits = series_node(*value);
  bool comp = is_complemented(bits);
  limit = block::put_text(buffer, comp ? "make bitset! [not #{" : "make bitset! #{", limit);
  for (int32_t i = 0; i < byte_count(bits) && !(part && limit <= 0); ++i) {
    uint8_t byte = buffer_of(bits)->data()[i];
    limit = block::put_text(buffer, string::byte_to_hex(comp ? static_cast<uint8_t>(~byte) : byte), limit);
  }
  return block::put_text(buffer, comp ? "}]" : "}", limit);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return form(value, buffer, part, limit);
}

}  // namespace vyn::bitset
