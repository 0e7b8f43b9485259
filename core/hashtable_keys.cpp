// core/hashtable_keys.cpp: the shared key buffer and byte-wise key comparison of symbol names.
#include <vector>

#include "core/hashtable.hpp"

namespace vyn::hashtable {
namespace {

// Outside collected memory: it is scratch for one hash at a time and never holds a value.
std::vector<uint8_t>& shared_buffer() {
  static std::vector<uint8_t> buffer(256);
  return buffer;
}

inline uint8_t lower(uint8_t c) { return static_cast<uint8_t>(c - 'A') < 26 ? c + 32 : c; }

}  // namespace

const uint8_t* key_buffer(const uint8_t* bytes, uint32_t length) {
  std::vector<uint8_t>& buffer = shared_buffer();
  if (buffer.size() < length) buffer.resize(length * 2);
  for (uint32_t i = 0; i < length; ++i) buffer[i] = lower(bytes[i]);
  return buffer.data();
}

// Every byte is compared, a zero byte included: names are counted, not terminated.
int compare_keys(const uint8_t* a, const uint8_t* b, uint32_t length, bool case_sensitive) {
  for (uint32_t i = 0; i < length; ++i) {
    uint8_t x = case_sensitive ? a[i] : lower(a[i]);
    uint8_t y = case_sensitive ? b[i] : lower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace vyn::hashtable
