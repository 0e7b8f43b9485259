// boot/prescanned_specs.cpp: recording spec blocks at build time and handing them back at start.
#include "boot/prescanned_specs.hpp"

#include <cstdint>
#include <cstring>

#include "core/stack.hpp"
#include "library/vynbin.hpp"
#include "values/callables/routine.hpp"
#include "values/series/block.hpp"

// Defined by the generated source that only the program links; absent elsewhere.
extern "C" {
extern const unsigned char vyn_builtin_specs[] __attribute__((weak));
extern const unsigned long vyn_builtin_specs_size __attribute__((weak));
}

namespace vyn::boot::prescanned {
namespace {

std::string recorded;
bool recording = false;
const uint8_t* next = nullptr;
const uint8_t* end = nullptr;

// The text's length and its bytes mixed eight at a time.
uint64_t text_hash(const char* text) {
  size_t n = std::strlen(text);
  uint64_t h = 14695981039346656037ull ^ n;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, text + i, 8);
    h = (h ^ w) * 1099511628211ull;
    h ^= h >> 29;
  }
  for (; i < n; ++i) h = (h ^ static_cast<uint8_t>(text[i])) * 1099511628211ull;
  return h;
}

void append_record(const char* text, const Cell& spec) {
  uint64_t h = text_hash(text);
  std::string data = vynbin::encode(spec);
  auto n = static_cast<uint32_t>(data.size());
  recorded.append(reinterpret_cast<const char*>(&h), 8);
  recorded.append(reinterpret_cast<const char*>(&n), 4);
  recorded += data;
}

Cell* push_recorded(const char* text) {
  if (!next || end - next < 12) return nullptr;
  uint64_t h;
  uint32_t n;
  std::memcpy(&h, next, 8);
  std::memcpy(&n, next + 8, 4);
  if (h != text_hash(text) || static_cast<size_t>(end - next - 12) < n) {
    stop();  // out of step: scan from here on
    return nullptr;
  }
  Cell* out = block::push_only(1);
  vynbin::decode(next + 12, n, *out, make_none());
  next += 12 + n;
  *out = block::cells(*out)[0];
  return out;
}

}  // namespace

void record() {
  recorded.clear();
  recording = true;
}

std::string finish_recording() {
  recording = false;
  routine::on_spec_scanned = nullptr;
  return recorded;
}

void start() {
  if (recording) {
    routine::on_spec_scanned = append_record;
    return;
  }
  if (!vyn_builtin_specs || !&vyn_builtin_specs_size) return;
  next = vyn_builtin_specs;
  end = vyn_builtin_specs + vyn_builtin_specs_size;
  routine::push_prescanned = push_recorded;
}

void stop() {
  routine::push_prescanned = nullptr;
  next = end = nullptr;
}

}  // namespace vyn::boot::prescanned
