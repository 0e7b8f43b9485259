// values/numbers/time_actions.cpp: time! entries: text, fields by path and pick, the type rules of its
// arithmetic, rounding and parity; the rest is float!'s.
#include <cmath>
#include <utility>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/numbers/date.hpp"
#include "values/series/path.hpp"
#include "values/objects/error_args.hpp"
#include "values/installers.hpp"
#include "values/numbers/number.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/time.hpp"
#include "values/words/word.hpp"

namespace vyn::time_ {

Cell* make_entry(Cell* proto, Cell* spec, Type t);  // values/numbers/time.cpp

namespace {

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) { return form_into(value->float_value(), *buffer, limit); }
int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell*, int32_t limit) {
  return form_into(value->float_value(), *buffer, limit);
}

// ---- fields

int32_t canonical(uint32_t sym) {
  int32_t alias = symbol::alias_of(sym);
  return alias > 0 ? alias : static_cast<int32_t>(sym);
}

// 1, 2 or 3 for the words hour, minute and second in any letter case; 0 for any other word.
int field_of_word(const Cell& word) {
  using predefined::S;
  int32_t c = canonical(word::symbol(word));
  if (c == canonical(predefined::symbol(S::hour))) return 1;
  if (c == canonical(predefined::symbol(S::minute))) return 2;
  if (c == canonical(predefined::symbol(S::second))) return 3;
  return 0;
}

Cell field_value(double t, int field) {
  switch (field) {
    case 1: return make_integer(hour_of(t));
    case 2: return make_integer(minute_of(t));
    default: return make_float(second_of(t));
  }
}

// t with one field replaced by v.
double with_field(double t, int field, const Cell& v) {
  bool whole = v.is(Type::integer);
  if (!whole && !(field == 3 && v.is(Type::float_))) fire(Err::script_invalid_arg, {v});
  double n = whole ? v.int_value() : v.float_value();
  switch (field) {
    case 1: return t - (std::floor(t / seconds_per_hour) - n) * seconds_per_hour;
    case 2: return t - (std::floor(std::fmod(t, seconds_per_hour) / seconds_per_minute) - n) * seconds_per_minute;
    default: return t - (std::fmod(t, seconds_per_minute) - n);
  }
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  int field = 0;
  if (element->is(Type::integer)) {
    int32_t i = element->int_value();
    field = i >= 1 && i <= 3 ? i : 0;
  } else if (element->is(Type::word)) {
    field = field_of_word(*element);
  }
  if (!field) fire(Err::script_invalid_path, {step.path ? *step.path : make_none(), *element});
  double t = parent->float_value();
  if (!value) return stack::push(field_value(t, field));
  float_::set(*parent, checked(with_field(t, field, *value)));
  path::write_back(*parent, step);
  return value;
}

Cell* pick(Cell* value, int32_t position, Cell* boxed) {
  int field;
  if (boxed->is(Type::word)) {
    field = field_of_word(*boxed);
    if (!field) fire(Err::script_cannot_use, {*boxed, *value});
  } else {
    if (position < 1 || position > 3) fire(Err::script_out_of_range, {*boxed});
    field = position;
  }
  return stack::push(field_value(value->float_value(), field));
}

// ---- arithmetic

void add(Cell* args) {
  if (!args[1].is(Type::date)) return float_::do_math(args, Arith::add);
  std::swap(args[0], args[1]);
  date::do_math(args, static_cast<int>(Arith::add));
}

void subtract(Cell* args) {
  if (args[1].is(Type::date))
    fire(Err::script_not_related, {word_arg("subtract"), make_datatype(Type::time)});
  float_::do_math(args, Arith::subtract);
}

void multiply(Cell* args) {
  if (args[1].is(Type::time))
    fire(Err::script_not_related, {word_arg("multiply"), make_datatype(Type::time)});
  float_::do_math(args, Arith::multiply);
}

// A time divided by a time is a plain ratio: 1:00:00 / 0:30:00 is 2.0.
void divide(Cell* args) {
  if (args[1].is(Type::time)) {
    // a ratio is no time: it may be as large as any float!
    args[0].set_type(Type::float_);
    args[1].set_type(Type::float_);
  }
  float_::do_math(args, Arith::divide);
}

// float!'s rounding, always answering a time!. An integer! scale is read as a float! first, so
// that a time past the 32-bit range of seconds keeps its value rather than being cut to 32 bits.
Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
            bool ceiling, bool half_ceiling) {
  if (scale && scale->is(Type::money))
    fire(Err::script_not_related, {stack::get_call(), make_datatype(Type::money)});
  if (scale && scale->is(Type::integer)) *scale = make_float(scale->int_value());
  float_::round(value, scale, even, down, half_down, floor, ceiling, half_ceiling);
  if (!value->is(Type::integer)) checked(value->float_value());
  value->set_type(Type::time);
  return value;
}

// The parity of the whole seconds of the minute, read a microsecond away from zero so that a
// value just below a whole second counts as that second.
bool odd_q(Cell* value) {
  double t = value->float_value();
  t += t >= 0 ? 0.000001 : -0.000001;
  return (integer::from_double_checked(std::trunc(std::fmod(t, seconds_per_minute))) & 1) != 0;
}
bool even_q(Cell* value) { return !odd_q(value); }

}  // namespace

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::time, {
      def<Action::make>(make_entry), inherit(Action::random), def<Action::to>(make_entry),
      def<Action::form>(form), def<Action::mold>(mold), def<Action::eval_path>(eval_path),
      inherit(Action::compare), inherit(Action::absolute), def<Action::add>(add),
      def<Action::divide>(divide), def<Action::multiply>(multiply), inherit(Action::negate),
      inherit(Action::remainder), def<Action::round>(round), def<Action::subtract>(subtract),
      def<Action::even_q>(even_q), def<Action::odd_q>(odd_q), def<Action::pick>(pick),
  });
}

}  // namespace vyn::time_
