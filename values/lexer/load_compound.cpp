// values/lexer/load_compound.cpp: tuples, pairs, points, money and times.
#include <string>

#include "core/text/float_text.hpp"
#include "values/lexer/foreign.hpp"
#include "values/lexer/state.hpp"
#include "core/stack.hpp"
#include "values/numbers/time.hpp"

namespace vyn::lexer {
namespace {

bool digit(uint8_t b) { return b >= '0' && b <= '9'; }

// Decimal text (digits and "'" separators) as a 32-bit integer; false when empty or too large.
bool read_count(const uint8_t* p, const uint8_t* end, int32_t& value) {
  int64_t n = 0;
  bool any = false;
  for (; p < end; ++p) {
    if (*p == '\'') continue;
    if (!digit(*p)) return false;
    n = n * 10 + (*p - '0');
    if (n > INT32_MAX) return false;
    any = true;
  }
  value = static_cast<int32_t>(n);
  return any;
}

// Float text read by the runtime's reader, "," standing for "."; false when not all of it reads.
bool read_seconds(const uint8_t* p, const uint8_t* end, double& value) {
  if (p == end || end - p > 312) return false;
  std::string text;
  for (; p < end; ++p) {
    if (*p == '\'') continue;
    if (!digit(*p) && *p != '.' && *p != ',') return false;
    text.push_back(*p == ',' ? '.' : static_cast<char>(*p));
  }
  int unread = 0;
  value = float_text::text_to_float(text.data(), text.data() + text.size(), 0, unread);
  return unread == 0 && !text.empty();
}

bool is_path(Type t) {
  return t == Type::path || t == Type::lit_path || t == Type::get_path || t == Type::set_path;
}

// A point coordinate: float text, or a special float form when it holds "#".
bool read_coordinate(const uint8_t* p, const uint8_t* end, float& value) {
  if (p == end || end - p > 312) return false;
  bool special = false;
  for (const uint8_t* q = p; q < end; ++q) special = special || *q == '#';
  double d;
  int unread = 0;
  if (special) {
    std::string text(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));
    d = float_text::text_to_float(text.data(), text.data() + text.size(), 0, unread);
    size_t sign = text[0] == '-' || text[0] == '+';
    if (unread || text.find('#') != 2 + sign) return false;
  } else {
    if (!check_dfa(p, end)) return false;
    std::string text;
    for (const uint8_t* q = p; q < end; ++q)
      if (*q != '\'') text.push_back(static_cast<char>(*q));
    d = float_text::text_to_float(text.data(), text.data() + text.size(), 0, unread);
    if (unread) return false;
  }
  value = static_cast<float>(d);
  return true;
}

}  // namespace

// 3 to 12 fields of 0 to 255 separated by single dots.
void load_tuple(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  uint8_t bytes[12];
  int count = 0;
  const uint8_t* p = start;
  for (;;) {
    int value = 0, digits = 0;
    for (; p < end && digit(*p); ++p, ++digits) {
      value = value * 10 + (*p - '0');
      if (value > 255) throw_error(s, start, end, Type::tuple);
    }
    if (digits == 0 || count == 12) throw_error(s, start, end, Type::tuple);
    bytes[count++] = static_cast<uint8_t>(value);
    if (p == end) break;
    if (*p != '.') throw_error(s, start, end, Type::tuple);
    ++p;
  }
  if (count < 3) throw_error(s, start, end, Type::tuple);
  if (load) store(s, foreign::make_tuple(bytes, count));
}

// Two integers joined by "x" or "X".
void load_pair(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  if (flags & flag::dot) throw_error(s, start, end, Type::pair);
  const uint8_t* x = start;
  while (x < end && *x != 'x' && *x != 'X') ++x;
  if (x == end) throw_error(s, start, end, Type::pair);
  int32_t a = 0, b = 0;
  double overflow;
  if (!read_integer(s, start, x, flags, Type::pair, a, overflow) ||
      !read_integer(s, x + 1, end, flags, Type::pair, b, overflow))
    throw_error(s, start, end, Type::pair);
  if (load) store(s, foreign::make_pair(a, b));
}

// The inside of a point's parens: two or three comma-separated float texts.
void load_point(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end + 1;
  s.start_state = is_path(marker_type(s)) ? start_path : start_normal;
  float xyz[3];
  int count = 0;
  const uint8_t* p = start;
  for (;;) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    const uint8_t* q = p;
    while (q < end && *q != ',' && *q != ' ' && *q != '\t') ++q;
    Type err = count == 2 ? Type::point3D : Type::point2D;
    if (count == 3 || !read_coordinate(p, q, xyz[count])) throw_error(s, start - 1, s.end, err);
    ++count;
    while (q < end && (*q == ' ' || *q == '\t')) ++q;
    if (q == end) break;
    if (*q != ',') throw_error(s, start - 1, s.end, count == 3 ? Type::point3D : Type::point2D);
    p = q + 1;
  }
  if (count < 2) throw_error(s, start - 1, s.end, Type::point2D);
  s.token_type = count == 3 ? Type::point3D : Type::point2D;
  if (!load) return;
  store(s, count == 3 ? foreign::make_point3D(xyz[0], xyz[1], xyz[2])
                      : foreign::make_point2D(xyz[0], xyz[1]));
}

// [sign] [3-letter currency] "$" amount; the amount's integer part has at most 17 significant
// digits, its fraction 1 to 5 characters.
void load_money(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  auto fail = [&] { throw_error(s, start, end, Type::money); };
  const uint8_t* p = start;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const uint8_t* dollar = p;
  while (dollar < end && *dollar != '$') ++dollar;
  if (dollar == end || (dollar != p && dollar - p != 3)) fail();
  const uint8_t* currency = dollar == p ? nullptr : p;
  p = dollar + 1;
  if (p == end || *p == '.' || *p == ',' || *p == '\'') fail();
  while (p < end && (*p == '0' || *p == '\'')) ++p;
  if (p > dollar + 1 && (p == end || *p == '.') && p[-1] == '0') --p;  // the last zero stays
  else if (p > dollar + 1 && (p == end || *p == '.')) fail();          // only separators
  const uint8_t* digits = p;
  int count = 0;
  for (; p < end && *p != '.' && *p != ','; ++p) {
    if (*p == '\'') {
      if (p + 1 == end || p[1] == '\'' || p[1] == '.' || p[1] == ',') fail();
      continue;
    }
    if (!digit(*p) || ++count > 17) fail();
  }
  const uint8_t* point = nullptr;
  if (p < end) {
    point = p++;
    if (end - p < 1 || end - p > 5) fail();
    for (const uint8_t* q = p; q < end; ++q)
      if (!digit(*q)) fail();
  }
  if (!load) return;
  stack::Mark mark;
  Cell* out = stack::push_unset();
  if (!foreign::make_money(out, negative, currency, digits, point, end)) fail();
  store(s, *out);
}

// [sign] hours ":" minutes, then ":" seconds or a fraction ("10:20.5" is minutes and seconds).
void load_time(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  auto fail = [&] { throw_error(s, start, end, Type::time); };
  if (flags & flag::exp) fail();
  const uint8_t* p = start;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const uint8_t* colon = p;
  while (colon < end && *colon != ':') ++colon;
  int32_t hours, minutes;
  if (colon == end || !read_count(p, colon, hours)) fail();
  p = colon + 1;
  const uint8_t* field_end = p;
  while (field_end < end && (digit(*field_end) || *field_end == '\'')) ++field_end;
  if (!read_count(p, field_end, minutes)) fail();
  double seconds = 0;
  if (field_end < end) {
    uint8_t sep = *field_end;
    if (sep == ':') {
      if (!read_seconds(field_end + 1, end, seconds)) fail();
    } else if (sep == '.' || sep == ',') {
      if (!read_seconds(p, end, seconds)) fail();
      minutes = hours;
      hours = 0;
    } else {
      fail();
    }
  }
  double total = hours * 3600.0 + minutes * 60.0 + seconds;
  // minutes and seconds may add up past the hours a time holds, which no time would mold back to
  if (!(total < time_::limit_seconds)) fail();
  if (load) store(s, foreign::make_time(negative ? -total : total));
}

}  // namespace vyn::lexer
