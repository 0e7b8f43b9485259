// values/numbers/money.cpp: money! entries: make and to, form and mold, the fields by path and pick,
// random, and the arithmetic front (values/numbers/money_math.cpp does the work).
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/arith_rows.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/random.hpp"
#include "values/series/block.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::money {
namespace {

constexpr int32_t largest_fraction = 99999;

[[noreturn]] void bad_make(const Cell& spec) { fire(Err::script_bad_make_arg, {make_datatype(Type::money), spec}); }

int currency_index(const Cell& w) { return word::any_word_q(w.type()) ? find_currency(word::symbol(w)) : -1; }

// [currency] amount [fraction]: the amount an integer! or a float! (a float last), the fraction
// an integer! from 0 to 99999 in the five decimals, taking the amount's sign.
Cell from_block(Cell spec) {
  int32_t n = block::vs_length(spec);
  if (n < 1 || n > 3) bad_make(spec);
  const Cell* items = block::vs_head(spec);
  int i = 0, currency = 0;
  if (word::any_word_q(items[0].type())) {
    currency = currency_index(items[0]);
    if (currency < 0 || n == 1) bad_make(spec);
    i = 1;
  }
  const Cell& amount = items[i];
  Cell result;
  if (amount.is(Type::integer)) result = from_integer(amount.int_value());
  else if (amount.is(Type::float_) && i + 1 == n) result = from_float(amount.float_value(), true);
  else bad_make(spec);
  if (++i < n) {
    const Cell& fraction = items[i];
    if (i + 1 != n || !fraction.is(Type::integer) || fraction.int_value() < 0 ||
        fraction.int_value() > largest_fraction)
      bad_make(spec);
    Amount f = unpack(from_integer(fraction.int_value()));
    Amount a = unpack(result);
    for (int k = 0; k < fraction_digits; ++k) f.d[units + 1 + k] = f.d[units - fraction_digits + 1 + k];
    for (int k = 0; k <= units; ++k) f.d[k] = 0;
    f.negative = a.negative;
    result = pack(add(a, f));
  }
  set_currency(result, currency);
  return result;
}

Cell from_text(Cell& spec) {
  Cell out;
  int32_t length = string::length(spec);
  uint32_t unit = buffer_of(series_node(spec))->unit();
  if (length <= 0 || !scan(string::vs_head(spec), length, unit, &out))
    fire(Err::script_bad_to_arg, {make_datatype(Type::money), spec});
  return out;
}

Cell* to(Cell* proto, Cell* spec, Type) {
  switch (spec->type()) {
    case Type::money: return spec;
    case Type::integer: *proto = from_integer(spec->int_value()); return proto;
    case Type::float_: *proto = from_float(spec->float_value(), true); return proto;
    case Type::string:
    case Type::file:
    case Type::url:
    case Type::tag:
    case Type::email:
    case Type::ref: *proto = from_text(*spec); return proto;
    default: fire(Err::script_bad_to_arg, {make_datatype(Type::money), *spec});
  }
}

Cell* make(Cell* proto, Cell* spec, Type t) {
  if (word::any_word_q(spec->type())) {
    int currency = currency_index(*spec);
    if (currency < 0) bad_make(*spec);
    *proto = from_integer(0);
    set_currency(*proto, currency);
    return proto;
  }
  if (block::is_any_block(spec->type())) {
    *proto = from_block(*spec);
    return proto;
  }
  return to(proto, spec, t);
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  std::string text = serialize(*value, false, true);
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(text.size());
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  std::string text = serialize(*value, o.all, false);
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(text.size());
}

// 1 for code, 2 for amount, 0 for anything else.
int field_of(const Cell& element) {
  if (element.is(Type::integer)) return element.int_value() == 1 || element.int_value() == 2 ? element.int_value() : 0;
  if (!word::any_word_q(element.type())) return 0;
  uint32_t s = symbol::resolve(word::symbol(element));
  if (s == symbol::resolve(predefined::symbol(predefined::S::code))) return 1;
  if (s == symbol::resolve(predefined::symbol(predefined::S::amount))) return 2;
  return 0;
}

Cell field_value(const Cell& value, int field) {
  if (field == 1) return currency_word(currency_of(value));
  Cell amount = value;
  set_currency(amount, 0);
  return amount;
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  Cell path = step.path ? *step.path : make_none();
  if (value) fire(Err::script_bad_path_set, {path, *element});
  int field = field_of(*element);
  if (!field) fire(Err::script_invalid_path, {path, *element});
  return stack::push(field_value(*parent, field));
}

Cell* pick(Cell* value, int32_t, Cell* boxed) {
  int field = field_of(*boxed);
  if (!field) fire(Err::script_out_of_range, {*boxed});
  return stack::push(field_value(*value, field));
}

// One digit from 0 to limit; the limit itself is kept only when two further draws agree, so
// that the value's own digits come up rarely.
uint8_t draw_digit(int limit, bool secure) {
  for (;;) {
    int d = random::next(secure) % (limit + 1);
    if (d < limit || random::next(secure) % 1000 == random::next(secure) % 1000) return static_cast<uint8_t>(d);
  }
}

Cell* random_entry(Cell* value, bool seed, bool secure, bool) {
  if (seed) {
    random::seed(static_cast<int32_t>(seed_of(*value)));
    *value = make_unset();
    return value;
  }
  if (zero_q(*value)) return value;
  Amount a = unpack(*value);
  int first = 0;
  while (a.d[first] == 0) ++first;
  bool bounded = true;
  for (int i = first; i < digit_count; ++i) {
    uint8_t d = bounded ? draw_digit(a.d[i], secure) : static_cast<uint8_t>(random::next(secure) % 10);
    if (bounded && d < a.d[i]) bounded = false;
    a.d[i] = d;
  }
  *value = pack(a);
  return value;
}

void absolute(Cell* args) { args->header &= ~sign_bit; }

Cell* negate(Cell* value) {
  value->header ^= sign_bit;
  return value;
}

bool odd_q(Cell* value) { return unpack(*value).d[units] % 2 != 0; }
bool even_q(Cell* value) { return !odd_q(value); }

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::money, registry::arith_rows<do_math>(), {
      def<Action::make>(make),
      def<Action::random>(random_entry),
      def<Action::to>(to),
      def<Action::form>(form),
      def<Action::mold>(mold),
      def<Action::eval_path>(eval_path),
      def<Action::compare>(compare),
      def<Action::absolute>(absolute),
      def<Action::negate>(negate),
      def<Action::round>(round),
      def<Action::even_q>(even_q),
      def<Action::odd_q>(odd_q),
      def<Action::pick>(pick),
  });
}

}  // namespace vyn::money
