// values/numbers/number.hpp: integer! and float! helpers that natives, other datatypes and compiled code use.
//
// integer! keeps a signed 32-bit value in payload word 2; float! (and its children percent! and
// time!) a double in payload words 2-3. An add, subtract, multiply or power of integers that
// overflows 32 bits turns its result into a float!; only integer division by zero is an error,
// the floating-point side never traps (division by zero gives infinities or NaN).
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/cell.hpp"

namespace vyn {

// The arithmetic operation codes every number type's arithmetic routine takes.
enum class Arith : int { add = 0, subtract = 1, multiply = 2, divide = 3, remainder = 4, or_ = 5, and_ = 6, xor_ = 7 };

namespace integer {

inline int32_t get(const Cell& c) { return c.int_value(); }
int32_t get_result();       // payload word 2 of the current call's result slot
int32_t get_result_any();   // the same when it holds an integer!, else 0
Cell* box(int32_t value);   // the result slot becomes an integer!
Cell* push(int32_t value);
Cell* make_at(Cell* cell, int32_t value);
// Appends an integer! at the tail of a block (rooted) and answers the new cell.
Cell* make_in(Cell block, int32_t value);

inline int sign(int32_t v) { return (v > 0) - (v < 0); }
// -v in 32 bits: -2147483648 stays itself.
inline int32_t negate_wrapping(int32_t v) { return static_cast<int32_t>(0u - static_cast<uint32_t>(v)); }
// The absolute value; -2147483648 raises math/overflow.
int32_t abs_checked(int32_t v);

// Decimal text held by value: no separators, no "+".
// Sixteen characters of room (eleven are ever used) make it too large to come back in registers:
// the digits are written where the caller keeps the value, not packed into registers byte by byte.
struct Decimal {
  char text[16];
  uint8_t start;
  std::string_view view() const { return {text + start, sizeof text - start}; }
};
Decimal form_decimal(int32_t v);

// True when x lies above 2147483647.0 or below -2147483648.0, or is NaN: the test that guards
// every conversion of a double to an integer!.
inline bool float_range_check(double x) { return !(x <= 2147483647.0 && x >= -2147483648.0); }
// x truncated toward zero; outside the range of float_range_check raises script/type-limit.
int32_t from_double_checked(double x);

// One arithmetic operation on two 32-bit values. With a target, the answer is written there: an
// overflowing add, subtract or multiply, or a division that is not exact, makes the target a
// float! of the operation done in doubles (the answer is then 0); a 32-bit answer goes into
// payload word 2 only, so the target keeps its type (a char! stays a char!). Division and
// remainder by 0 raise math/zero-divide, -2147483648 by -1 math/overflow.
int32_t do_math(int32_t left, int32_t right, Arith op, Cell* target);
// The arithmetic of a call's two operands: args[0] (an integer! or char!, also the result) and
// args[1]; dispatches on the type of args[1].
void do_math_stack(Cell* args, Arith op);
// An issue's name read as hexadecimal: 1 to 8 ASCII hexadecimal digits, else false.
bool hex_name_to_int(std::string_view name, int32_t* value);
// base to the power exp (>= 0) by squaring; false when the result does not fit 32 bits.
bool int_power(int32_t base, int32_t exp, int32_t* result);

}  // namespace integer

namespace float_ {

inline double get(const Cell& c) { return c.float_value(); }
inline void set(Cell& c, double d) { c.set_float_value(d); }
// The double's 64-bit pattern (its high half in payload word 3, the low in word 2), for identity
// tests, seeds and the binary codec.
inline uint64_t bits(const Cell& c) {
  uint64_t b;
  std::memcpy(&b, &c.w2, sizeof b);
  return b;
}
inline void set_bits(Cell& c, uint64_t b) { std::memcpy(&c.w2, &b, sizeof b); }
Cell* set_result(double d);  // the result slot becomes a float!
Cell* make_at(Cell* cell, double d);
// hi and lo are the halves of the double's 64-bit pattern.
Cell* make_in(Cell block, uint32_t hi, uint32_t lo);
Cell* push64(uint32_t hi, uint32_t lo);
Cell* push(double d);

double abs(double d);
bool nan_q(double d);
bool not_finite_q(double d);
bool f32_nan_q(float f);
// Equality within 10 units in the last place (or 2^-52 absolute); NaN equals nothing.
bool almost_equal_q(double a, double b);
bool f32_equal_q(float a, float b);

// The number tower: the arithmetic of a call's two operands, args[0] (an integer!, float!,
// percent! or time!, also the result) and args[1]; decides the result's type.
void do_math(Cell* args, Arith op);
// One operation on two doubles (codes 0 to 4); another code raises script/cannot-use.
double do_math_op(double l, double r, Arith op);
// A random double from 0 to x.
double random_scaled(double x, bool secure);

// Entries integer! hands its calls to.
int compare(Cell* a, Cell* b, int op);
void power(Cell* args);
Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
            bool ceiling, bool half_ceiling);

}  // namespace float_

// A branch that needs a datatype or service not built yet.
[[noreturn]] void number_needs(const char* what);

}  // namespace vyn
