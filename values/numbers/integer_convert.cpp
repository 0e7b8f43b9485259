// values/numbers/integer_convert.cpp: make integer! and to integer!, from every type that converts.
#include <string_view>

#include "core/error.hpp"
#include "values/numbers/date.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/number_text.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::integer {

bool hex_name_to_int(std::string_view name, int32_t* value) {
  if (name.empty() || name.size() > 8) return false;
  uint32_t v = 0;
  for (char ch : name) {
    // Only ASCII hexadecimal digits: a byte of a longer UTF-8 sequence is never one, whatever
    // its low bits look like.
    unsigned c = static_cast<unsigned char>(ch);
    unsigned digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else return false;
    v = v * 16 + digit;
  }
  *value = static_cast<int32_t>(v);
  return true;
}

namespace {

// The first four bytes from the head (fewer when the binary is shorter), big-endian.
int32_t from_binary(const Cell& bin) { return static_cast<int32_t>(series::head_bytes_be(bin, 4)); }

int32_t from_issue(const Cell& issue) {
  int32_t v;
  if (!hex_name_to_int(symbol::spelling(word::symbol(issue)), &v)) fire(Err::script_invalid_data, {issue});
  return v;
}

// The characters from the head to the tail, read by the integer scanner.
int32_t from_text(Cell& spec) {
  int error = 0;
  int32_t length = string::length(spec);
  uint32_t unit = buffer_of(series_node(spec))->unit();
  int32_t v = number_text::scan_integer(string::vs_head(spec), length, unit, error);
  if (error) fire(Err::script_bad_to_arg, {make_datatype(Type::integer), spec});
  return v;
}

}  // namespace

Cell* to(Cell* proto, Cell* spec, Type) {
  switch (spec->type()) {
    case Type::integer: return spec;
    case Type::char_: return make_at(proto, spec->int_value());
    case Type::float_:
    case Type::percent: return make_at(proto, from_double_checked(spec->float_value()));
    // rounds half away from zero on the positive side only: -1.5 seconds give -1
    case Type::time: return make_at(proto, from_double_checked(spec->float_value() + 0.5));
    case Type::money: return make_at(proto, money::to_integer(*spec));
    case Type::binary: return make_at(proto, from_binary(*spec));
    case Type::issue: return make_at(proto, from_issue(*spec));
    case Type::date: return make_at(proto, date::to_epoch(*spec));
    case Type::string:
    case Type::file:
    case Type::url:
    case Type::tag:
    case Type::email:
    case Type::ref:
      return make_at(proto, from_text(*spec));
    default: fire(Err::script_bad_to_arg, {make_datatype(Type::integer), *spec});
  }
}

Cell* make(Cell* proto, Cell* spec, Type t) {
  if (spec->is(Type::logic)) return make_at(proto, logic_of(*spec) == 1 ? 1 : 0);
  return to(proto, spec, t);
}

}  // namespace vyn::integer
