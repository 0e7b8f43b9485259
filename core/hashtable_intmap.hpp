// core/hashtable_intmap.hpp: a small hash map from 32-bit keys to 32-bit values in tracked heap
// memory, outside the collector; the collector relocates nodes through it while it compacts node
// frames. It follows the tables' bucket scheme: power-of-two buckets, two flag bits each, probing
// with a growing step, rebuilt in place at 0.77 of its buckets.
#pragma once

#include <cstdint>

namespace vyn::intmap {

struct Pair {
  uint32_t key;
  uint32_t value;
};

struct IntMap {
  int32_t live;
  uint32_t* flags;
  Pair* pairs;
  int32_t occupied;
  int32_t buckets;
  int32_t upper;
};

// None of these touches collected memory, so none of them collects.
IntMap* new_(int32_t n);
// 1 when the key was present (its value replaced), 0 when added.
int put(IntMap* map, uint32_t key, uint32_t value);
uint32_t* get(IntMap* map, uint32_t key);  // the value's address, or nullptr
int32_t find(IntMap* map, uint32_t key);   // the key's bucket, or -1
void remove(IntMap* map, uint32_t key);
// Rebuilds in place for the requested size; -1, leaving the map as it was, when memory for the
// new arrays cannot be had.
int resize(IntMap* map, int32_t request);
void clear(IntMap* map);
void free(IntMap* map);

}  // namespace vyn::intmap
