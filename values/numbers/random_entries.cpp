// values/numbers/random_entries.cpp: the random action of the scalar datatypes: seeding with /seed, else a
// random value bounded by the given one.
#include "values/numbers/number.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/random.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::random {
namespace {

Cell* seeded(Cell* value, uint32_t s) {
  seed(static_cast<int32_t>(s));
  *value = make_unset();
  return value;
}

}  // namespace

// Also char!'s entry: the payload changes, the type stays.
Cell* of_integer(Cell* value, bool seed_q, bool secure, bool) {
  if (seed_q) return seeded(value, static_cast<uint32_t>(value->int_value()));
  value->set_int_value(int_(secure, value->int_value()));
  return value;
}

// Seeds with the xor of the double's two halves.
Cell* of_float(Cell* value, bool seed_q, bool secure, bool) {
  uint64_t bits = float_::bits(*value);
  if (seed_q) return seeded(value, static_cast<uint32_t>(bits) ^ static_cast<uint32_t>(bits >> 32));
  value->set_float_value(scaled(value->float_value(), secure));
  return value;
}

Cell* of_logic(Cell* value, bool seed_q, bool secure, bool) {
  if (seed_q) return seeded(value, logic_of(*value));
  *value = make_logic(next(secure) > 0x3FFFFFFF);
  return value;
}

// Each byte b becomes 0 to b; seeded by the xor of the three payload words.
Cell* of_tuple(Cell* value, bool seed_q, bool secure, bool) {
  if (seed_q) return seeded(value, tuple::seed_of(*value));
  tuple::Bytes t = tuple::bytes_of(*value);
  for (int i = 0; i < t.size; ++i) t.b[i] = static_cast<uint8_t>(int_(secure, t.b[i] + 1) - 1);
  *value = tuple::make(t);
  return value;
}

// Each component bounds its own draw; a zero component stays zero.
Cell* of_pair(Cell* value, bool seed_q, bool secure, bool) {
  if (seed_q) return seeded(value, static_cast<uint32_t>(pair::x_of(*value) ^ pair::y_of(*value)));
  pair::set_x(*value, int_(secure, pair::x_of(*value)));
  pair::set_y(*value, int_(secure, pair::y_of(*value)));
  return value;
}

}  // namespace vyn::random
