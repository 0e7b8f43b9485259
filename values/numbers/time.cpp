// values/numbers/time.cpp: time! cells, their fields, their text, and make and to.
#include "values/numbers/time.hpp"

#include <bit>
#include <cmath>
#include <cstdio>

#include "core/error.hpp"
#include "core/text/float_text.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/text/load_text.hpp"
#include "values/numbers/number.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::time_ {

Cell make(double seconds) {
  Cell c = make_cell(Type::time);
  float_::set(c, seconds);
  return c;
}
Cell* make_at(double seconds, Cell* cell) { return &(*cell = make(seconds)); }
Cell* make_in(Cell block, uint32_t hi, uint32_t lo) {
  return make_at(std::bit_cast<double>(uint64_t{hi} << 32 | lo), block::alloc_tail(block));
}
Cell* push(double seconds) { return stack::push(make(seconds)); }

double checked(double seconds) {
  if (!(std::fabs(seconds) < limit_seconds)) fire(Err::script_type_limit, {make_datatype(Type::time)});
  return seconds;
}

int32_t hour_of(double t) { return integer::from_double_checked(std::trunc(t / seconds_per_hour)); }
int32_t minute_of(double t) {
  return integer::from_double_checked(std::floor(std::fmod(std::fabs(t), seconds_per_hour) / seconds_per_minute));
}
double second_of(double t) { return std::fmod(t, seconds_per_minute); }

namespace {

// The seconds field: "00" below a microsecond, else six significant digits with a leading "0"
// below ten. Answers true when the digits rounded up to a whole minute.
bool seconds_text(double s, float_text::Text& out) {
  out = {};
  if (s < 0.000001) {
    out.put("00");
    return false;
  }
  float_text::Text digits = float_text::form(s, float_text::Kind::seconds);
  std::string_view v = digits.view();
  if (v == "60") {
    out.put("00");
    return true;
  }
  if (v.size() == 1 || v[1] == '.') out.put('0');
  out.put(v);
  return false;
}

void put_two_digits(float_text::Text& out, int v) {
  out.put(static_cast<char>('0' + v / 10));
  out.put(static_cast<char>('0' + v % 10));
}

}  // namespace

int32_t form_into(double t, const Cell& buffer, int32_t limit) {
  if (!std::isfinite(t)) {
    // no field holds an infinity or NaN: the number's own text stands for the whole time
    float_text::Text special = float_text::form(t, float_text::Kind::float64);
    string::append_latin1(buffer, special.view());
    return limit - special.size;
  }
  float_text::Text text;
  if (t < 0) {
    text.put('-');
    t = -t;
  }
  double hours = std::floor(t / seconds_per_hour);
  int minutes = static_cast<int>(std::floor(std::fmod(t, seconds_per_hour) / seconds_per_minute));
  float_text::Text seconds;
  // a minute made whole by rounding the seconds carries into the minutes and hours
  if (seconds_text(std::fmod(t, seconds_per_minute), seconds) && ++minutes == 60) {
    minutes = 0;
    hours += 1;
  }
  char hour_digits[330];
  std::snprintf(hour_digits, sizeof hour_digits, "%.0f", hours);
  string::append_latin1(buffer, text.view());
  string::append_latin1(buffer, hour_digits);
  int32_t count = text.size + static_cast<int32_t>(std::string_view(hour_digits).size());
  text = {};
  text.put(':');
  put_two_digits(text, minutes);
  text.put(':');
  text.put(seconds.view());
  string::append_latin1(buffer, text.view());
  return limit - count - text.size;
}

namespace {

[[noreturn]] void bad_to_arg(const Cell& spec) {
  fire(Err::script_bad_to_arg, {make_datatype(Type::time), spec});
}

// [hours minutes seconds], any of them left out; only the hours may be negative, which makes the
// whole time negative. Minutes and seconds are not limited to a minute or an hour.
double from_block(Cell& spec) {
  int32_t n = block::vs_length(spec);
  if (n > 3) bad_to_arg(spec);
  const Cell* items = block::vs_head(spec);
  double parts[3] = {0, 0, 0};
  bool negative = false;
  for (int32_t i = 0; i < n; ++i) {
    const Cell& item = items[i];
    if (item.is(Type::integer)) parts[i] = item.int_value();
    else if (i == 2 && item.is(Type::float_)) parts[i] = item.float_value();
    else bad_to_arg(spec);
    if (parts[i] < 0) {
      if (i > 0) bad_to_arg(spec);
      negative = true;
      parts[i] = -parts[i];
    }
  }
  double t = parts[0] * seconds_per_hour + parts[1] * seconds_per_minute + parts[2];
  return negative ? -t : t;
}

double from_text(const Cell& spec) {
  stack::Mark mark;
  Cell* loaded = load_text(spec);
  if (!loaded->is(Type::time)) bad_to_arg(spec);
  return loaded->float_value();
}

}  // namespace

// make and to: the target becomes a time!.
Cell* make_entry(Cell* proto, Cell* spec, Type) {
  double t;
  switch (spec->type()) {
    case Type::time: return spec;
    case Type::integer: t = spec->int_value(); break;
    case Type::float_:
    case Type::percent: t = spec->float_value(); break;
    case Type::block:
    case Type::paren:
    case Type::hash: t = from_block(*spec); break;
    case Type::string:
    case Type::file:
    case Type::url:
    case Type::tag:
    case Type::email:
    case Type::ref: t = from_text(*spec); break;
    default: bad_to_arg(*spec);
  }
  return make_at(checked(t), proto);
}

}  // namespace vyn::time_
