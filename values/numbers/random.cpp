// values/numbers/random.cpp: the generator: a 624-word twisted generalised feedback shift register whose
// words are signed and whose right shifts copy the sign bit, so every output has bit 31 clear.
#include "values/numbers/random.hpp"

#include "platform/crypto.hpp"

namespace vyn::random {
namespace {

constexpr int words = 624;
constexpr int middle = 397;

struct State {
  int32_t word[words];
  int index = 0;
};
State state;

// Arithmetic shift on a signed word; the wrap-around multiply goes through unsigned arithmetic.
inline int32_t sar(int32_t v, int n) { return v >> n; }
inline int32_t shl(int32_t v, int n) { return static_cast<int32_t>(static_cast<uint32_t>(v) << n); }

void regenerate() {
  for (int i = 0; i < words; ++i) {
    int32_t y = static_cast<int32_t>((static_cast<uint32_t>(state.word[i]) & 0x80000000u) |
                                     (static_cast<uint32_t>(state.word[(i + 1) % words]) & 0x7FFFFFFFu));
    int32_t w = state.word[(i + middle) % words] ^ sar(y, 1);
    if (y & 1) w ^= static_cast<int32_t>(0x9908B0DFu);
    state.word[i] = w;
  }
  state.index = 0;
}

}  // namespace

void init() { seed(start_seed); }

void seed(int32_t s) {
  state.word[0] = s;
  for (int i = 1; i < words; ++i) {
    int32_t prev = state.word[i - 1];
    uint32_t x = static_cast<uint32_t>(prev ^ sar(prev, 30));
    state.word[i] = static_cast<int32_t>(1812433253u * x + static_cast<uint32_t>(i));
  }
  state.index = 0;
}

int32_t next() {
  if (state.index >= words) regenerate();
  int32_t y = state.word[state.index++];
  y ^= sar(y, 11);
  y ^= shl(y, 7) & static_cast<int32_t>(0x9D2C5680u);
  y ^= shl(y, 15) & static_cast<int32_t>(0xEFC60000u);
  y ^= sar(y, 18);
  return y;
}

int32_t secure_next() {
  uint32_t r = 0;
  crypto::secure_bytes(&r, sizeof r);
  return static_cast<int32_t>(r & 0x7FFFFFFFu);
}

// Draws below n * limit only, so that every remainder is equally likely.
int32_t int_(bool secure, int32_t n) {
  if (n == 0) return 0;
  if (n == INT32_MIN) return -next(secure) - 1;
  int32_t m = n < 0 ? -n : n;
  int32_t limit = 2147483647 / m;
  int32_t r;
  do r = next(secure);
  while (r >= m * limit);
  int32_t k = r % m + 1;
  return n < 0 ? -k : k;
}

double scaled(double x, bool secure) {
  if (!secure) return next() / 2147483647.0 * x;
  double s1 = secure_next(), s2 = secure_next();
  return (s2 + s1 / 2147483647.0) * x / 2147483648.0;
}

}  // namespace vyn::random
