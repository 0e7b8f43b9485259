// values/numbers/random_series.cpp: random of a series: shuffled in place from its position, one unit
// picked with /only, or the generator seeded from its bytes with /seed.
#include <cstring>

#include "core/hash.hpp"
#include "core/hashtable.hpp"
#include "values/objects/ownership.hpp"
#include "values/numbers/random.hpp"
#include "values/series/series.hpp"
#include "values/series/hash_block.hpp"
#include "values/text/string_storage.hpp"
#include "values/series/vector.hpp"

namespace vyn::random {
namespace {

uint8_t* unit_at(const Cell& s, int32_t index) {
  SeriesBuffer* b = series::buffer(s);
  return b->data() + (static_cast<uint32_t>(index) << b->shift());
}

// The unit as a value: a copy of the cell, a byte as an integer!, a vector's element, else a
// character.
Cell unit_value(const Cell& s, int32_t index) {
  if (series::is_cell_series(s.type())) return *reinterpret_cast<Cell*>(unit_at(s, index));
  if (s.is(Type::binary)) return make_integer(*unit_at(s, index));
  if (s.is(Type::vector)) return vector::element(s, index);
  return make_char(string::char_at(series_node(s), static_cast<uint32_t>(index)));
}

void swap_units(const Cell& s, int32_t i, int32_t j) {
  if (i == j) return;
  uint32_t unit = 1u << series::buffer(s)->shift();
  uint8_t tmp[16];
  uint8_t* a = unit_at(s, i);
  uint8_t* b = unit_at(s, j);
  std::memcpy(tmp, a, unit);
  std::memcpy(a, b, unit);
  std::memcpy(b, tmp, unit);
}

// Nothing here allocates but the owner's notices and a hash!'s re-indexing, between which no
// address is kept.
void shuffle(Cell* s, bool secure) {
  int32_t head = series_head(*s);
  int32_t left = series::units_left(*s, false);
  if (left <= 0) return;
  bool owned = ownership::before(*s, Action::random, head, left);
  int32_t total = series::length_total(*s);
  for (int32_t i = head; i < total; ++i) {
    int32_t r = int_(secure, total - i);
    swap_units(*s, i, i + r - 1);
  }
  if (s->is(Type::hash)) hashtable::rehash(hash_block::table(*s));  // its table indexes cells by position
  if (owned) ownership::after(*s, Action::random, head, left);
}

}  // namespace

Cell* of_series(Cell* value, bool seed_q, bool secure, bool only) {
  int32_t left = series::units_left(*value, false);
  if (seed_q) {
    uint32_t n = left > 0 ? static_cast<uint32_t>(left) << series::buffer(*value)->shift() : 0;
    uint32_t h = n ? hash::murmur3(unit_at(*value, series_head(*value)), n) : hash::murmur3("", 0);
    seed(static_cast<int32_t>(h));
    *value = make_unset();
    return value;
  }
  if (only) {
    *value = left <= 0 ? make_none() : unit_value(*value, series_head(*value) + int_(secure, left) - 1);
    return value;
  }
  shuffle(value, secure);
  return value;
}

}  // namespace vyn::random
