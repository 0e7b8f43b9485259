// core/hash.hpp: MurmurHash3 (x86, 32-bit) and the hash of a value by its type.
//
// Every keyed table turns values into 32-bit hashes here. Text hashes per code point folded to
// upper case, so the same text hashes alike in every unit and letter case; words hash by their
// canonical symbol; series by head and node (identity); scalars by their payload bits. Nothing
// here allocates, but for the shared key buffer's rare growth (which is not collected memory).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cell.hpp"

namespace vyn::hash {

// The seed every hash of a run starts from: fixed and non-zero, set once at start-up.
inline constexpr uint32_t default_seed = 0x3C6EF372u;
uint32_t seed();
void set_seed(uint32_t s);

// A block step in two halves: the block scrambled on its own, then folded into the running hash.
// Text hashing looks the first half up for the code points below 256.
inline uint32_t scramble(uint32_t k) {
  k *= 0xCC9E2D51u;
  k = (k << 15) | (k >> 17);
  return k * 0x1B873593u;
}
inline uint32_t mix_scrambled(uint32_t h, uint32_t k) {
  h ^= k;
  h = (h << 13) | (h >> 19);
  return h * 5 + 0xE6546B64u;
}

// One 32-bit block folded into the running hash.
inline uint32_t mix_block(uint32_t h, uint32_t k) { return mix_scrambled(h, scramble(k)); }

// The finaliser: spreads every input bit over the whole word.
inline uint32_t finish(uint32_t h) {
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

// MurmurHash3_x86_32 of n bytes, with the runtime seed or a given one.
uint32_t murmur3(const void* bytes, size_t n);
uint32_t murmur3_seeded(const void* bytes, size_t n, uint32_t seed);

// The finaliser applied to one word: the hash of ids, nodes and integers.
inline uint32_t int_(uint32_t word) { return finish(word); }

// The code points of a character series from its head to its tail, folded to upper case unless
// case_sensitive; hashed as though stored four bytes per code point, whatever the unit.
uint32_t string(const Cell& text, bool case_sensitive);

// The same for n code points below 256 stored one byte each, as string() hashes text of that unit.
uint32_t latin1(const uint8_t* p, uint32_t n, bool case_sensitive);

// A symbol! cell: MurmurHash3 of its UTF-8 spelling with ASCII letters lowered.
uint32_t key_of(const Cell& symbol);

// The hash of a value by its type id. The tables pass case_sensitive false.
uint32_t value(const Cell& v, bool case_sensitive);

// Whether values of the type hash or compare by a node, so that their hashes go stale when the
// collector moves nodes.
bool pointer_keyed_q(Type t);
inline bool pointer_keyed_q(const Cell& v) { return pointer_keyed_q(v.type()); }

// The smallest power of two >= n; 0 for 0.
uint32_t next_pow2(uint32_t n);

// The canonical symbol of a symbol id: the first spelling interned among its case variants.
uint32_t canonical_symbol(uint32_t id);

}  // namespace vyn::hash
