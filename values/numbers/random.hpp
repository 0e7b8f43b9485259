// values/numbers/random.hpp: the one pseudo-random generator of a run, its secure twin, and the draw of an
// integer in a range that every datatype's random entry builds on.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::random {

// The seed a run starts from: an unseeded run draws the same sequence every time.
inline constexpr int32_t start_seed = 19650218;

// Seeds the state with start_seed; once by the runtime initialiser (and again by each new runtime).
void init();
void seed(int32_t s);
// The next output, 0 to 2,147,483,647.
int32_t next();
// Four bytes of the platform's cryptographic source with bit 31 cleared; ignores the seed.
int32_t secure_next();
inline int32_t next(bool secure) { return secure ? secure_next() : next(); }
// 1 to n for n > 0, n to -1 for n < 0, 0 for 0 (nothing drawn), every value equally likely.
int32_t int_(bool secure, int32_t n);
// A double from 0 to x.
double scaled(double x, bool secure);

// The random action entries (value, /seed, /secure, /only).
Cell* of_integer(Cell* value, bool seed, bool secure, bool only);
Cell* of_float(Cell* value, bool seed, bool secure, bool only);
Cell* of_logic(Cell* value, bool seed, bool secure, bool only);
Cell* of_tuple(Cell* value, bool seed, bool secure, bool only);
Cell* of_pair(Cell* value, bool seed, bool secure, bool only);
Cell* of_series(Cell* value, bool seed, bool secure, bool only);

}  // namespace vyn::random
