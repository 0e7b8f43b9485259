// library/json_text.cpp: the JSON writer's output in pieces, and the string! made from them.
#include "library/json_text.hpp"

#include <sys/mman.h>

#include <algorithm>

#include "core/error.hpp"
#include "core/os_frame.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "core/text/unicode.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::library {
namespace {

constexpr size_t piece_size = size_t{1} << 20;

// Counts the characters of the UTF-8 text (every byte but the continuation bytes) and widens unit
// to what its code points need: a lead byte above C3 starts one of 100 or more, E0 and above one
// of 800 or more, F0 and above one past FFFF.
void measure(const uint8_t* p, size_t n, uint64_t& count, uint32_t& unit) {
  uint8_t lead = 0;
  for (size_t i = 0; i < n; ++i) {
    count += (p[i] & 0xC0) != 0x80;
    lead = std::max(lead, p[i]);
  }
  uint32_t need = lead >= 0xF0 ? 4 : lead >= 0xC4 ? 2 : 1;
  unit = std::max(unit, need);
}

// Decodes the writer's own UTF-8 into units of U at out. It comes from the runtime's encoder, one
// whole sequence per code point (surrogates included, which the loaders take too), so the lead
// byte alone tells each sequence's length.
template <class U>
U* decode(const uint8_t* p, size_t n, U* out) {
  const uint8_t* end = p + n;
  while (p < end) {
    uint32_t b = *p;
    if (b < 0x80) {
      *out++ = static_cast<U>(b);
      ++p;
    } else if (b < 0xE0) {
      *out++ = static_cast<U>((b & 0x1F) << 6 | (p[1] & 0x3F));
      p += 2;
    } else if (b < 0xF0) {
      *out++ = static_cast<U>((b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
      p += 3;
    } else {
      *out++ = static_cast<U>((b & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F));
      p += 4;
    }
  }
  return out;
}

}  // namespace

JsonText::~JsonText() {
  for (Piece& p : pieces_)
    if (p.bytes) munmap(p.bytes, p.capacity);
}

void JsonText::add_piece(size_t n) {
  size_t capacity = alloc::round_to(std::max(piece_size, n), alloc::page_size);
  pieces_.reserve(pieces_.size() + 1);  // a refusal here leaves nothing unowned
  void* bytes = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (bytes == MAP_FAILED) fire(Err::internal_no_memory);
  pieces_.push_back({static_cast<char*>(bytes), 0, capacity});
}

void JsonText::put_wide(uint32_t cp) {
  uint8_t bytes[4];
  int n = unicode::encode_utf8(cp, bytes);
  std::memcpy(room(size_t(n)), bytes, size_t(n));
}

Cell* JsonText::to_string() {
  uint64_t count = 0;
  uint32_t unit = 1;
  for (const Piece& p : pieces_) measure(reinterpret_cast<const uint8_t*>(p.bytes), p.used, count, unit);
  if (count > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  Cell* str = string::make_at_unit(stack::push_unset(), uint32_t(count), unit);
  SeriesBuffer* b = buffer_of(series_node(*str));  // nothing allocates from here on
  uint8_t* at = b->data();
  for (Piece& p : pieces_) {
    auto* in = reinterpret_cast<const uint8_t*>(p.bytes);
    if (unit == 1) at = decode(in, p.used, at);
    else if (unit == 2) at = reinterpret_cast<uint8_t*>(decode(in, p.used, reinterpret_cast<uint16_t*>(at)));
    else at = reinterpret_cast<uint8_t*>(decode(in, p.used, reinterpret_cast<uint32_t*>(at)));
    munmap(p.bytes, p.capacity);
    p.bytes = nullptr;
  }
  b->tail = uint32_t(count) * unit;
  return str;
}

}  // namespace vyn::library
