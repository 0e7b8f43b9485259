// values/lexer/load_strings.cpp: the text literals: strings (quoted, braced, raw), characters,
// files, URLs, emails, tags and refs.
#include <algorithm>
#include <cstring>

#include "core/series.hpp"
#include "core/text/unicode.hpp"
#include "values/lexer/state.hpp"
#include "core/stack.hpp"

namespace vyn::lexer {
namespace {

int hex_digit(uint8_t b) {
  if (b >= '0' && b <= '9') return b - '0';
  if (b >= 'A' && b <= 'F') return b - 'A' + 10;
  if (b >= 'a' && b <= 'f') return b - 'a' + 10;
  return -1;
}

bool equal_folded(const uint8_t* p, size_t n, const char* name) {
  if (std::strlen(name) != n) return false;
  for (size_t i = 0; i < n; ++i) {
    uint8_t c = p[i] >= 'A' && p[i] <= 'Z' ? static_cast<uint8_t>(p[i] + 32) : p[i];
    if (c != static_cast<uint8_t>(name[i])) return false;
  }
  return true;
}

// "^(" content ")": 1 to 6 hex digits, or an escape name.
int32_t paren_escape(const uint8_t*& p, const uint8_t* end) {
  const uint8_t* q = p + 1;
  const uint8_t* close = q;
  while (close < end && *close != ')' && close - q < 7) ++close;
  if (close == end || *close != ')') return -1;
  size_t n = static_cast<size_t>(close - q);
  p = close + 1;
  int32_t value = 0;
  bool hex = n >= 1 && n <= 6;
  for (size_t i = 0; hex && i < n; ++i) {
    int d = hex_digit(q[i]);
    hex = d >= 0;
    value = value << 4 | d;
  }
  if (hex) return value > 0x10FFFF ? -1 : value;
  static constexpr struct {
    const char* name;
    int32_t cp;
  } names[] = {{"null", 0}, {"back", 8}, {"tab", 9}, {"line", 10},
               {"page", 12}, {"esc", 27}, {"del", 127}};
  for (const auto& e : names)
    if (equal_folded(q, n, e.name)) return e.cp;
  return -1;
}

// The unit a "^(" escape of more than 2 (4) hex digits needs: at least 2 (4).
uint32_t caret_unit(const uint8_t* p, const uint8_t* end) {
  uint32_t unit = 1;
  for (; p < end; ++p) {
    if (*p != '^') continue;
    if (++p == end || *p != '(') continue;
    int digits = 0;
    while (p + 1 < end && hex_digit(p[1]) >= 0) ++p, ++digits;
    if (p + 1 >= end || p[1] != ')') continue;  // a name, or no escape at all
    if (digits > 4) return 4;
    if (digits > 2) unit = 2;
  }
  return unit;
}

// A percent escape at p: a byte, or a UTF-8 lead byte whose continuation bytes follow as escapes
// (decoded together into one character). Answers false when p holds no escape (a lone "%", or a
// lead whose continuations are missing); cp is -1 for an escaped sequence that is not UTF-8.
bool percent_escape(const uint8_t*& p, const uint8_t* end, int32_t& cp) {
  auto byte_at = [&](const uint8_t* q) -> int {
    if (end - q < 3 || *q != '%') return -1;
    int hi = hex_digit(q[1]), lo = hex_digit(q[2]);
    return hi < 0 || lo < 0 ? -1 : hi << 4 | lo;
  };
  int first = byte_at(p);
  if (first < 0) return false;
  int length = unicode::utf8_lead_length(static_cast<uint8_t>(first));
  if (length < 2 || first >= 0xF8) {
    cp = first;
    p += 3;
    return true;
  }
  uint8_t bytes[4] = {static_cast<uint8_t>(first)};
  for (int i = 1; i < length; ++i) {
    int b = byte_at(p + 3 * i);
    if (b < 0) return false;
    bytes[i] = static_cast<uint8_t>(b);
  }
  unicode::fast_decode_utf8_char(bytes, bytes + length, cp);
  p += 3 * length;
  return true;
}

uint32_t unit_for(int32_t cp) { return cp < 0x100 ? 1 : cp < 0x10000 ? 2 : 4; }

uint32_t percent_unit(const uint8_t* p, const uint8_t* end) {
  uint32_t unit = 1;
  while (p < end) {
    int32_t cp;
    if (*p == '%' && percent_escape(p, end, cp)) {
      if (cp > 0 && unit_for(cp) > unit) unit = unit_for(cp);
    } else {
      ++p;
    }
  }
  return unit;
}

// One character of the text at p: raw UTF-8, or an escape of the kinds allowed; -1 when malformed.
int32_t next_char(const uint8_t*& p, const uint8_t* end, bool caret, bool percent) {
  uint8_t c = *p;
  if (c < 0x80) {
    if (caret && c == '^') {
      ++p;
      return caret_escape(p, end);
    }
    int32_t cp;
    if (percent && c == '%' && percent_escape(p, end, cp)) return cp;
    ++p;
    return c;
  }
  int32_t cp;
  p = unicode::fast_decode_utf8_char(p, end, cp);
  return cp;
}

void put_unit(uint8_t* data, uint32_t index, uint32_t unit, uint32_t cp) {
  switch (unit) {
    case 1: data[index] = static_cast<uint8_t>(cp); break;
    case 2: {
      uint16_t v = static_cast<uint16_t>(cp);
      std::memcpy(data + index * 2, &v, 2);
      break;
    }
    default: std::memcpy(data + index * 4, &cp, 4); break;
  }
}

// Checks the text without making it.
void check_text(State& s, const uint8_t* start, const uint8_t* end, bool caret, bool percent,
                Type err) {
  for (const uint8_t* p = start; p < end;)
    if (next_char(p, end, caret, percent) < 0) throw_error(s, s.token_start, s.end, err);
}

// The text as a new character series of the type, stored into the value buffer.
void store_text(State& s, Type t, const uint8_t* start, const uint8_t* end, uint32_t flags,
                bool caret, bool percent, Type err, bool load) {
  if (!load) {
    check_text(s, start, end, caret, percent, err);
    return;
  }
  stack::Mark mark;
  Cell* out = stack::push_unset();
  make_text(s, out, t, start, end, flags, caret, percent, err);
  store(s, *out);
}

}  // namespace

int32_t caret_escape(const uint8_t*& p, const uint8_t* end) {
  if (p >= end) return -1;
  uint8_t c = *p;
  if (c == '(') return paren_escape(p, end);
  ++p;
  switch (c) {
    case '@': return 0;
    case '/': return 10;
    case '-': return 9;
    case '"': return 34;
    case '{': return 123;
    case '}': return 125;
    case '^': return 94;
    case '~': return 127;
    default: break;
  }
  if (c >= 'a' && c <= 'z') return c - 'a' + 1;
  if (c >= 'A' && c <= '_') return c - 'A' + 1;
  if (c < 0x80) return c;
  int32_t cp;
  p = unicode::fast_decode_utf8_char(p - 1, end, cp);
  return cp;
}

void make_text(State& s, Cell* out, Type t, const uint8_t* start, const uint8_t* end,
               uint32_t flags, bool caret, bool percent, Type err) {
  caret = caret && (flags & flag::caret);
  percent = percent && (flags & flag::percent);
  uint32_t unit = (flags & flag::utf8_4) ? 4 : (flags & flag::utf8_2_3) ? 2 : 1;
  if (caret && unit < 4) unit = std::max(unit, caret_unit(start, end));
  if (percent && unit < 4) unit = std::max(unit, percent_unit(start, end));
  uint32_t n = static_cast<uint32_t>(end - start);
  *out = make_unset();
  *out = make_series(t, alloc::new_codepoints(n ? n : 1, unit));
  SeriesBuffer* b = buffer_of(series_node(*out));
  if (unit == 1 && !caret && !percent && !(flags & flag::non_ascii)) {
    std::memcpy(b->data(), start, n);
    b->tail = n;
    return;
  }
  uint8_t* data = b->data();  // nothing below allocates until the text is done
  uint32_t count = 0;
  uint32_t limit = unit == 1 ? 0xFF : unit == 2 ? 0xFFFF : 0x10FFFF;
  for (const uint8_t* p = start; p < end;) {
    int32_t cp = next_char(p, end, caret, percent);
    if (cp < 0 || static_cast<uint32_t>(cp) > limit) throw_error(s, s.token_start, s.end, err);
    put_unit(data, count++, unit, static_cast<uint32_t>(cp));
  }
  b->tail = count * unit;
}

void load_string(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end + 1;
  store_text(s, Type::string, start + 1, end, flags, true, false, Type::string, load);
}

void load_braced(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  store_text(s, Type::string, start, end, flags, true, false, Type::string, load);
}

// n "%" signs, "{", text, "}", n "%" signs; the text ends at the first "}" followed by n of them.
void load_raw_string(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags,
                     bool load) {
  s.pos = end;
  const uint8_t* p = start;
  while (p < end && *p == '%') ++p;
  size_t n = static_cast<size_t>(p - start);
  const uint8_t* text = p + 1;  // after "{"
  const uint8_t* close = text;
  for (; close < end; ++close) {
    if (*close != '}') continue;
    size_t run = 0;
    while (close + 1 + run < end && close[1 + run] == '%') ++run;
    if (run >= n) break;
  }
  if (close >= end) throw_error(s, start, s.end, Type::string);
  const uint8_t* run_end = close + 1;
  while (run_end < end && *run_end == '%') ++run_end;
  if (static_cast<size_t>(run_end - close - 1) != n || run_end != end)
    throw_error(s, start, s.end, Type::string);
  if (!load && s.tracer) {
    fire_event(s, Event::open, Type::string, start, text, nullptr);
    fire_event(s, Event::close, Type::string, close, end, nullptr);
  }
  store_text(s, Type::string, text, close, flags & ~flag::caret, false, false, Type::string, load);
}

void load_char(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end + 1;
  const uint8_t* p = start + 2;  // after #"
  if (p >= end) throw_error(s, start, s.end, Type::char_);
  int32_t cp = next_char(p, end, true, false);
  if (cp < 0 || cp > 0x10FFFF || p != end) throw_error(s, start, s.end, Type::char_);
  if (load) store(s, make_char(static_cast<uint32_t>(cp)));
}

void load_file(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  bool quoted = end - start >= 2 && start[1] == '"';
  s.pos = quoted ? end + 1 : end;
  if (quoted) {
    store_text(s, Type::file, start + 2, end, flags, true, false, Type::file, load);
  } else {
    store_text(s, Type::file, start + 1, end, flags, false, true, Type::file, load);
  }
}

void load_url(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  if (*start == ':') throw_error(s, start, s.end, Type::get_word);
  if (*start == '\'') throw_error(s, start, s.end, Type::lit_word);
  store_text(s, Type::url, start, end, flags, false, true, Type::url, load);
}

void load_email(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  store_text(s, Type::email, start, end, flags, false, false, Type::email, load);
}

void load_tag(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end + 1;
  if (*start != '<') throw_error(s, start, s.end, Type::tag);
  store_text(s, Type::tag, start + 1, end, flags, false, false, Type::tag, load);
}

void load_ref(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  store_text(s, Type::ref, start + 1, end, flags, false, false, Type::ref, load);
}

}  // namespace vyn::lexer
