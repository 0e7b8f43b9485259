// values/numbers/date_actions.cpp: date! entries: arithmetic, comparison, text and random dates.
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/numbers/date.hpp"
#include "values/objects/error_args.hpp"
#include "values/installers.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/random.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/time.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::date {

Cell* make_entry(Cell* proto, Cell* spec, Type t);  // values/numbers/date_make.cpp
Cell* to_entry(Cell* proto, Cell* spec, Type t);
Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step);  // date_path.cpp
Cell* pick(Cell* value, int32_t position, Cell* boxed);

void do_math(Cell* args, int op) {
  Cell& d = args[0];
  const Cell& right = args[1];
  uint32_t p = packed(d);
  double sign = op == static_cast<int>(Arith::add) ? 1.0 : -1.0;
  double t = time_of(d);
  int64_t days = to_days(p);
  switch (right.type()) {
    case Type::integer: days += static_cast<int64_t>(sign) * right.int_value(); break;
    case Type::time:
      t += sign * right.float_value();
      p |= time_flag;
      break;
    case Type::date: {
      if (op == static_cast<int>(Arith::add))
        fire(Err::script_not_related, {word_arg("add"), make_datatype(Type::date)});
      double dt = t - time_of(right);
      int64_t n = normalize_time(days - to_days(packed(right)), dt, time_zone_of(p));
      if (n < INT32_MIN || n > INT32_MAX) fire(Err::script_type_limit, {make_datatype(Type::integer)});
      d = make_integer(static_cast<int32_t>(n));
      return;
    }
    default: fire(Err::script_invalid_type, {make_datatype(right.type())});
  }
  days = normalize_time(days, t, time_zone_of(p));
  d = make(from_days(days, zone_of(p), has_time(p)), t);
}

namespace {

void add(Cell* args) { do_math(args, static_cast<int>(Arith::add)); }
void subtract(Cell* args) { do_math(args, static_cast<int>(Arith::subtract)); }

// ---- comparison: the local calendar day first, then the stored (UTC) time

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::date)) return -2;
  int32_t da = static_cast<int32_t>(packed(*a) & ~time_flag) >> 7;
  int32_t db = static_cast<int32_t>(packed(*b) & ~time_flag) >> 7;
  double ta = time_of(*a), tb = time_of(*b);
  switch (op) {
    case cmp::equal:
    case cmp::not_equal:
    case cmp::strict_equal:
    case cmp::find: return da == db && float_::almost_equal_q(ta, tb) ? 0 : 1;
    case cmp::same: return da == db && time_bits(*a) == time_bits(*b) ? 0 : 1;
    default: break;
  }
  if (da != db) return da < db ? -1 : 1;
  if (float_::almost_equal_q(ta, tb)) return 0;
  return ta < tb ? -1 : 1;
}

// ---- text: 5-Jan-2020/10:30:00+02:00

constexpr const char* english_months[12] = {"January", "February", "March",     "April",
                                            "May",     "June",     "July",      "August",
                                            "September", "October", "November", "December"};

Cell field_of(const Cell& object, const char* name) {
  if (!object.is(Type::object)) return make_none();
  Cell* v = context::value_cell_of(object::context(object), symbol::make(name));
  return v ? *v : make_none();
}

// The first three characters of the month's name in system/locale/months; the English names
// while the locale object has no month list yet.
std::vector<uint32_t> month_abbreviation(int32_t month) {
  Cell locale = field_of(*word::value_cell(predefined::word(predefined::W::system)), "locale");
  std::vector<uint32_t> out;
  if (!locale.is(Type::object)) {
    for (int i = 0; i < 3; ++i) out.push_back(static_cast<uint8_t>(english_months[month - 1][i]));
    return out;
  }
  Cell months = field_of(locale, "months");
  if (!block::is_any_block(months.type()) || month < 1 || month > block::vs_length(months))
    fire(Err::script_invalid_months);
  Cell name = block::vs_head(months)[month - 1];
  if (!name.is(Type::string)) fire(Err::script_invalid_months);
  int32_t n = std::min(string::length(name), 3);
  for (int32_t i = 0; i < n; ++i)
    out.push_back(string::char_at(series_node(name), static_cast<uint32_t>(series_head(name) + i)));
  return out;
}

std::string year_text(int32_t year) {
  char text[16];
  int32_t magnitude = year < 0 ? -year : year;
  std::snprintf(text, sizeof text, year < 0 ? "-%04d" : year < 100 ? "%04d" : "%d", magnitude);
  return text;
}

std::string zone_text(uint32_t zone) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%02u:%02u", zone & 0x40 ? '-' : '+', (zone >> 2) & 15,
                (zone & 3) * 15);
  return text;
}

int32_t mold_into(const Cell& value, const Cell& buffer, int32_t limit) {
  uint32_t p = packed(value);
  const char* sep = year_of(p) < 0 ? "/" : "-";
  std::vector<uint32_t> month = month_abbreviation(month_of(p));
  std::string day = std::to_string(day_of(p));
  string::append_latin1(buffer, day + sep);
  for (uint32_t cp : month) string::append_char(series_node(buffer), cp);
  std::string rest = sep + year_text(year_of(p));
  int32_t count = static_cast<int32_t>(day.size() + 1 + month.size());
  if (has_time(p)) {
    string::append_latin1(buffer, rest + "/");
    count += static_cast<int32_t>(rest.size()) + 1;
    double local = time_of(value) + zone_seconds(zone_of(p));
    limit = time_::form_into(local, buffer, limit);
    rest = zone_of(p) ? zone_text(zone_of(p)) : "";
  }
  string::append_latin1(buffer, rest);
  return limit - count - static_cast<int32_t>(rest.size());
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) { return mold_into(*value, *buffer, limit); }
int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell*, int32_t limit) {
  return mold_into(*value, *buffer, limit);
}

// ---- random: a day from the first one up to the date, and a random zone and time of day

Cell* random_(Cell* value, bool seed, bool secure, bool) {
  uint32_t p = packed(*value);
  if (seed) {
    random::seed(static_cast<int32_t>(p + static_cast<uint32_t>(
                                              integer::from_double_checked(std::trunc(time_of(*value))))));
    return stack::push(make_unset());
  }
  int64_t days = to_days(p);
  if (days > INT32_MAX) days = INT32_MAX;
  int32_t r = random::int_(secure, static_cast<int32_t>(days));
  Cell d = make(from_days(static_cast<int64_t>(r) - 1, zone_of(p), has_time(p)), 0.0);
  if (has_time(p)) {
    set_packed(d, (packed(d) & ~zone_mask) | (static_cast<uint32_t>(random::next(secure)) & zone_mask));
    double k = std::floor(random::next(secure) / 2147483647.0 * 3600.0);
    normalize(d, 24.0 * std::min(k, 3599.0), true);
  }
  return stack::push(d);
}

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::date, {
      def<Action::make>(make_entry), def<Action::random>(random_), def<Action::to>(to_entry),
      def<Action::form>(form), def<Action::mold>(mold), def<Action::eval_path>(eval_path),
      def<Action::compare>(compare), def<Action::add>(add), def<Action::subtract>(subtract),
      def<Action::pick>(pick),
  });
}

}  // namespace vyn::date
