// core/codecs/deflate_tables.hpp: the code alphabets shared by the DEFLATE encoder and decoder.
#pragma once

#include <cstdint>

namespace vyn::compress {

inline constexpr int lit_symbols = 286;   // literal/length symbols a stream may use
inline constexpr int dist_symbols = 30;
inline constexpr int clen_symbols = 19;
inline constexpr int end_of_block = 256;
inline constexpr int max_bits = 15;

inline constexpr uint16_t length_base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                             15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr uint8_t length_extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                             2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr uint16_t dist_base[30] = {1,    2,    3,    4,    5,    7,     9,     13,
                                           17,   25,   33,   49,   65,   97,    129,   193,
                                           257,  385,  513,  769,  1025, 1537,  2049,  3073,
                                           4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr uint8_t dist_extra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic header sends the code-length code's lengths.
inline constexpr uint8_t clen_order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                           11, 4,  12, 3, 13, 2, 14, 1, 15};

// The fixed code's length of a literal/length symbol (0-287); every distance has 5 bits.
constexpr int fixed_length(int symbol) {
  return symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
}

// The length code (0-28) of a match length 3-258.
int length_code(int length);
// The distance code (0-29) of a distance 1-32,768.
int dist_code(int distance);

}  // namespace vyn::compress
