// library/json_text.cpp: the JSON writer's output in pieces, and the string! made from them.
#include "library/json_text.hpp"

#include <algorithm>

#include "core/error.hpp"
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
void measure(const std::string& s, uint64_t& count, uint32_t& unit) {
  uint8_t lead = 0;
  for (unsigned char c : s) {
    count += (c & 0xC0) != 0x80;
    lead = std::max(lead, c);
  }
  uint32_t need = lead >= 0xF0 ? 4 : lead >= 0xC4 ? 2 : 1;
  unit = std::max(unit, need);
}

// Decodes the writer's own UTF-8 (well formed, every code point whole) into units of U at out.
template <class U>
U* decode(const std::string& s, U* out) {
  auto* p = reinterpret_cast<const uint8_t*>(s.data());
  const uint8_t* end = p + s.size();
  while (p < end) {
    if (*p < 0x80) {
      *out++ = static_cast<U>(*p++);
      continue;
    }
    int32_t cp;
    p = unicode::fast_decode_utf8_char(p, end, cp);
    *out++ = static_cast<U>(cp);
  }
  return out;
}

}  // namespace

std::string& JsonText::room(size_t n) {
  if (pieces_.empty() || pieces_.back().size() + n > piece_size) {
    if (!pieces_.empty()) before_ += pieces_.back().size();
    pieces_.emplace_back();
    pieces_.back().reserve(std::max(piece_size, n));
  }
  return pieces_.back();
}

void JsonText::put_wide(uint32_t cp) {
  uint8_t bytes[4];
  int n = unicode::encode_utf8(cp, bytes);
  room(size_t(n)).append(reinterpret_cast<const char*>(bytes), size_t(n));
}

Cell* JsonText::to_string() {
  uint64_t count = 0;
  uint32_t unit = 1;
  for (const std::string& s : pieces_) measure(s, count, unit);
  if (count > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  Cell* str = string::make_at_unit(stack::push_unset(), uint32_t(count), unit);
  SeriesBuffer* b = buffer_of(series_node(*str));  // nothing allocates from here on
  uint8_t* at = b->data();
  for (std::string& s : pieces_) {
    if (unit == 1) at = decode(s, at);
    else if (unit == 2) at = reinterpret_cast<uint8_t*>(decode(s, reinterpret_cast<uint16_t*>(at)));
    else at = reinterpret_cast<uint8_t*>(decode(s, reinterpret_cast<uint32_t*>(at)));
    std::string().swap(s);
  }
  b->tail = uint32_t(count) * unit;
  return str;
}

}  // namespace vyn::library
