// tests/fuzz/keys_fuzz.cpp: libFuzzer target: arbitrary bytes through the terminal key decoder.
//
// Every prefix of the input is decoded, cut and complete. The decoder must never read past the
// bytes, take more than it was given, leave complete input untaken, or answer a code that is
// neither a character nor one of the key codes; and a key it found in cut input must be the key
// it finds once the input is complete.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/key_decode.hpp"

namespace {

using namespace vyn;

bool valid_key(int k) {
  if (k >= 0) return k <= 0x10FFFF && !(k >= 0xD800 && k <= 0xDFFF);
  return k >= keys::page_down && k <= keys::up;
}

void check(bool ok) {
  if (!ok) std::abort();
}

void one(const uint8_t* bytes, size_t n) {
  // A copy of exactly n bytes, so that a read past them is caught.
  std::vector<uint8_t> copy(bytes, bytes + n);
  const uint8_t* b = copy.empty() ? nullptr : copy.data();
  keys::Decoded cut = keys::decode(b, n, false);
  keys::Decoded whole = keys::decode(b, n, true);
  check(cut.used <= n && whole.used <= n);
  check(n == 0 || whole.used > 0);
  if (n > 0) check(valid_key(whole.key));
  if (cut.used > 0) {
    check(valid_key(cut.key));
    check(cut.key == whole.key && cut.used == whole.used);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64) size = 64;
  for (size_t start = 0; start < size; ++start)
    for (size_t n = 0; start + n <= size && n <= 12; ++n) one(data + start, n);
  return 0;
}
