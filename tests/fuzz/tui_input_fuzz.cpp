// tests/fuzz/tui_input_fuzz.cpp: libFuzzer target: arbitrary bytes through the text UI's input
// decoder, whole and fed in two parts the way reads cut them.
//
// The decoder must stay inside the bytes, take everything once no more is coming, give items in
// order with their ends inside what it took, keep every number it reports within its cap, and
// give the same items for input that arrives in two reads as for the same input read at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "view/tui/input/input_decode.hpp"

namespace {

using namespace vyn::tui::input;

void check(bool ok) {
  if (!ok) std::abort();
}

bool same(const Item& a, const Item& b) {
  return a.kind == b.kind && a.key == b.key && a.special == b.special && a.mods == b.mods &&
         a.button == b.button && a.column == b.column && a.row == b.row && a.release == b.release;
}

void sound(const Decoded& d, size_t n, bool final) {
  check(d.used <= n);
  if (final) check(d.used == n && !d.incomplete);
  size_t last = 0;
  for (const Item& it : d.items) {
    check(it.end > last && it.end <= d.used);
    last = it.end;
    check(it.column <= 1000000 && it.row <= 1000000 && it.button <= 1000000);
    if (it.kind == Kind::key && !it.special) check(it.key >= 0 && it.key <= 0x10FFFF);
  }
}

// Decodes the bytes in reads of the given sizes, the way the event loop keeps what is left.
std::vector<Item> in_reads(const std::vector<uint8_t>& bytes, size_t split) {
  std::vector<Item> out;
  std::vector<uint8_t> pending(bytes.begin(), bytes.begin() + split);
  Decoded d = decode(pending.data(), pending.size(), false);
  sound(d, pending.size(), false);
  out.insert(out.end(), d.items.begin(), d.items.end());
  pending.erase(pending.begin(), pending.begin() + d.used);
  pending.insert(pending.end(), bytes.begin() + split, bytes.end());
  d = decode(pending.data(), pending.size(), true);
  sound(d, pending.size(), true);
  out.insert(out.end(), d.items.begin(), d.items.end());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 2048) return 0;
  size_t split = data[0] % size;
  std::vector<uint8_t> bytes(data + 1, data + size);
  Decoded whole = decode(bytes.data(), bytes.size(), true);
  sound(whole, bytes.size(), true);
  Decoded cut = decode(bytes.data(), bytes.size(), false);
  sound(cut, bytes.size(), false);
  Decoded few = decode(bytes.data(), bytes.size(), true, 1);
  check(few.items.size() <= 1);
  // A lone Esc that makes up a whole read is the Esc key at once: that read is not cut input.
  if (split == 1 && bytes[0] == 27) return 0;
  std::vector<Item> parts = in_reads(bytes, split);
  check(parts.size() == whole.items.size());
  for (size_t i = 0; i < parts.size(); ++i) check(same(parts[i], whole.items[i]));
  return 0;
}
