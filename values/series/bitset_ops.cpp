// values/series/bitset_ops.cpp: bitset! combination (and~ or~ xor~, the set operations, complement),
// comparison and text ("make bitset! #{...}", "make bitset! [not #{...}]" when complemented).
#include <algorithm>
#include <cstring>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/bitset.hpp"
#include "values/series/bitset_entries.hpp"
#include "values/series/block_actions.hpp"
#include "core/compare_ops.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::bitset {
namespace {

// Arrays reach 2^28 bytes, so the loops below go eight bytes at a time over raw pointers, taken
// after the result is allocated (nothing in them allocates).

// The eight bytes of membership from byte i: stored bytes, and beyond the array the byte every
// complemented bitset stands for there.
uint64_t word_at(const uint8_t* p, int64_t len, int64_t i, bool comp) {
  uint64_t w;
  if (i + 8 <= len) {
    std::memcpy(&w, p + i, 8);
    return w;
  }
  uint8_t bytes[8];
  for (int64_t k = 0; k < 8; ++k) bytes[k] = i + k < len ? p[i + k] : comp ? 0xFF : 0;
  std::memcpy(&w, bytes, 8);
  return w;
}

uint64_t combine(int op, uint64_t a, uint64_t b) {
  switch (op) {
    case 5: case 9: return a | b;
    case 6: case 10: return a & b;
    case 11: return a & ~b;
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

void invert_bytes(uint8_t* p, int64_t n) {
  int64_t i = 0;
  for (uint64_t w; i + 8 <= n; i += 8) {
    std::memcpy(&w, p + i, 8);
    w = ~w;
    std::memcpy(p + i, &w, 8);
  }
  for (; i < n; ++i) p[i] = static_cast<uint8_t>(~p[i]);
}

Cell* flipped_copy(Cell* value) {
  Cell* result = push(*value);
  SeriesBuffer* b = buffer_of(series_node(*result));
  b->flags ^= complemented;
  invert_bytes(b->data(), b->tail);
  return result;
}

// The index of the last byte where the equal-length arrays differ, or -1.
int64_t last_difference(const uint8_t* p, const uint8_t* q, int64_t n) {
  int64_t i = n;
  while (i >= 8 && std::memcmp(p + i - 8, q + i - 8, 8) == 0) i -= 8;
  while (i > 0 && p[i - 1] == q[i - 1]) --i;
  return i - 1;
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
  uint8_t* r = buffer_of(series_node(*result))->data();
  const uint8_t* p = buffer_of(x)->data();
  const uint8_t* q = buffer_of(y)->data();
  int64_t lp = byte_count(x), lq = byte_count(y);
  for (int64_t i = 0; i < n; i += 8) {
    uint64_t w = combine(op, word_at(p, lp, i, fx), word_at(q, lq, i, fy));
    std::memcpy(r + i, &w, static_cast<size_t>(std::min<int64_t>(8, n - i)));
  }
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
  const uint8_t* p = buffer_of(x)->data();
  const uint8_t* q = buffer_of(y)->data();
  int64_t i = last_difference(p, q, la);
  if (i < 0) return 0;
  return p[i] < q[i] ? -1 : 1;
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
