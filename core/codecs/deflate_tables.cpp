// core/codecs/deflate_tables.cpp: lookups from match lengths and distances to their codes.
#include "core/codecs/deflate_tables.hpp"

#include <array>

namespace vyn::compress {
namespace {

// Index: length - 3.
constexpr std::array<uint8_t, 256> make_length_codes() {
  std::array<uint8_t, 256> t{};
  for (int code = 0; code < 29; ++code) {
    int last = code == 28 ? 258 : length_base[code + 1] - 1;
    for (int len = length_base[code]; len <= last; ++len) t[len - 3] = static_cast<uint8_t>(code);
  }
  return t;
}

// Index: distance - 1 below 257, else 256 + ((distance - 1) >> 7).
constexpr std::array<uint8_t, 512> make_dist_codes() {
  std::array<uint8_t, 512> t{};
  for (int code = 0; code < 30; ++code) {
    int last = code == 29 ? 32768 : dist_base[code + 1] - 1;
    for (int d = dist_base[code]; d <= last; ++d) {
      int index = d <= 256 ? d - 1 : 256 + ((d - 1) >> 7);
      t[index] = static_cast<uint8_t>(code);
    }
  }
  return t;
}

constexpr auto length_codes = make_length_codes();
constexpr auto dist_codes = make_dist_codes();

}  // namespace

int length_code(int length) { return length_codes[length - 3]; }

int dist_code(int distance) {
  return distance <= 256 ? dist_codes[distance - 1] : dist_codes[256 + ((distance - 1) >> 7)];
}

}  // namespace vyn::compress
