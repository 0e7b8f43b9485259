// values/numbers/money.hpp: money!, an exact decimal amount with an optional currency.
//
// The cell keeps 22 packed decimal digits, 17 before and 5 after the point: payload byte 0 (the
// low byte of w1) is the currency (0 none, else its 1-based place in the currency list), bytes 1
// to 11 the digits, digit 1 (the most significant) in the high nibble of byte 1. Header bit 14 is
// the sign. All arithmetic is done on the digits; a value whose digits are all 0 is zero
// whatever its sign bit.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "core/cell.hpp"
#include "values/numbers/number.hpp"

namespace vyn::money {

inline constexpr int digit_count = 22;
inline constexpr int integral_digits = 17;  // digit 17 (index 16) is the units digit
inline constexpr int fraction_digits = 5;
inline constexpr int units = integral_digits - 1;
inline constexpr uint32_t sign_bit = money_sign_bit;  // header bit 14
inline constexpr int payload_size = 12;

// The payload bytes as stored: byte 0 the currency, bytes 1 to 11 the digits.
struct Payload {
  uint8_t b[payload_size];
};
inline Payload payload(const Cell& c) {
  Payload p;
  std::memcpy(p.b, &c.w1, payload_size);
  return p;
}
inline Cell from_payload(const uint8_t* bytes, bool negative) {
  Cell c = make_cell(Type::money);
  std::memcpy(&c.w1, bytes, payload_size);
  if (negative) c.header |= sign_bit;
  return c;
}

// The digits unpacked, d[0] the most significant; the value's sign and currency beside them.
struct Amount {
  uint8_t d[digit_count] = {};
  bool negative = false;
  int currency = 0;
};

Amount unpack(const Cell& c);
Cell pack(const Amount& a);

inline bool zero_q(const Cell& c) { return (c.w1 & ~0xFFu) == 0 && c.w2 == 0 && c.w3 == 0; }
bool negative_q(const Cell& c);
bool positive_q(const Cell& c);
int sign_q(const Cell& c);
inline int currency_of(const Cell& c) { return static_cast<int>(c.w1 & 0xFF); }
inline void set_currency(Cell& c, int index) { c.w1 = (c.w1 & ~0xFFu) | static_cast<uint32_t>(index); }
// The seed random/seed takes: the xor of the payload words, flipped in bit 0 by the sign.
inline uint32_t seed_of(const Cell& c) { return c.w1 ^ c.w2 ^ c.w3 ^ ((c.header & sign_bit) ? 1 : 0); }

// The currency list: 1-based index of a currency word (by its symbol), or -1 when absent.
int find_currency(uint32_t symbol);
int find_currency_text(const uint8_t* letters);  // three letters, any case
Cell currency_word(int index);                   // none! for 0 or an index past the list

// Conversions. from_float raises script/bad-make-arg (money! and the float) for infinities, NaN,
// amounts out of range and, when strict, more than five decimals (else they are dropped).
Cell from_integer(int32_t v);
Cell from_float(double x, bool strict);
int32_t to_integer(const Cell& c);  // script/type-limit integer! when it does not fit
double to_float(const Cell& c);
inline bool float_overflow_q(double x) { return x >= 1e17 || x <= -1e17; }
inline bool float_underflow_q(double x) { return x != 0.0 && x < 1e-5 && x > -1e-5; }

// The value from its digit text (the lexer and the text scanner): the integral digits run from
// digits to the point (or end) and "'" is skipped; the fraction is cut to five digits. False
// when the currency is unknown or the amount has more than 17 integral digits.
bool make_at(Cell* out, bool negative, const uint8_t* currency, const uint8_t* digits,
             const uint8_t* point, const uint8_t* end);
// A money! from text in any unit size; false when the text is not money.
bool scan(const uint8_t* start, int32_t length, uint32_t unit, Cell* out);

// The text of a value: sign, currency, "$", the integral digits ("'" every three with grouping),
// then system/options/money-digits decimals (all five with all_decimals).
std::string serialize(const Cell& c, bool all_decimals, bool grouping);

// The arithmetic of a call's operands args[0] (also the result) and args[1], one of them money.
void do_math(Cell* args, Arith op);
// -1, 0, 1, or -2 when not comparable.
int compare(Cell* a, Cell* b, int op);
Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor, bool ceiling,
            bool half_ceiling);

// The amount operations on magnitudes; overflow and underflow raise script/type-limit money!.
Amount add(const Amount& a, const Amount& b);
Amount subtract(const Amount& a, const Amount& b);
Amount multiply(const Amount& a, const Amount& b);
Amount divide(const Amount& a, const Amount& b, bool remainder);
int compare_amounts(const Amount& a, const Amount& b);  // signs included
bool amount_zero(const Amount& a);
// A magnitude rounded to a multiple of step (a positive magnitude); a tie is exactly half a step.
enum class Rounding { nearest, down, floor, ceiling, even, half_down, half_ceiling };
Amount round_magnitude(const Amount& v, const Amount& step, Rounding mode, bool negative);

}  // namespace vyn::money
