// values/numbers/float_convert.cpp: make and to for float! and the types that inherit them.
#include <cmath>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/text/load_text.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/number_text.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::float_ {
namespace {

[[noreturn]] void bad_to_arg(Type t, const Cell& spec) {
  fire(Err::script_bad_to_arg, {make_datatype(t), spec});
}

// Up to eight bytes from the head, big-endian, right-aligned in the 64-bit pattern.
double from_binary(const Cell& bin) {
  uint64_t u = series::head_bytes_be(bin, 8);
  double d;
  std::memcpy(&d, &u, sizeof d);
  return d;
}

double element_number(const Cell& c) {
  if (c.is(Type::integer)) return c.int_value();
  if (c.is(Type::float_)) return c.float_value();
  bad_to_arg(Type::float_, c);
}

// [m e]: m times 10 to the power e.
double from_block(Cell& spec, Type t) {
  if (block::vs_length(spec) != 2) bad_to_arg(t, spec);
  const Cell* items = block::vs_head(spec);
  double m = element_number(items[0]);
  int32_t e = integer::from_double_checked(element_number(items[1]));
  // a negative power of ten divides, so that [3 -1] gives 0.3 exactly as written
  if (e < 0 && e >= -308) return m / std::pow(10.0, -e);
  return m * std::pow(10.0, e);
}

// A percent! from text: the text loaded as one number.
double percent_from_text(const Cell& spec) {
  stack::Mark mark;
  Cell* loaded = load_text(spec);
  switch (loaded->type()) {
    case Type::float_:
    case Type::percent: return loaded->float_value();
    case Type::integer: return loaded->int_value();
    default: bad_to_arg(Type::percent, spec);
  }
}

// The characters from the head to the tail, read by the float scanner.
double from_text(Cell& spec, Type t) {
  int32_t length = string::length(spec);
  if (length == 0) bad_to_arg(t, spec);
  int error = 0;
  uint32_t unit = buffer_of(series_node(spec))->unit();
  double d = number_text::scan_float(string::vs_head(spec), length, unit, error);
  if (error) bad_to_arg(t, spec);
  return d;
}

double number_of(Cell* spec, Type t) {
  switch (spec->type()) {
    case Type::integer:
    case Type::char_: return spec->int_value();
    case Type::time: return spec->float_value();
    case Type::money: return money::to_float(*spec);
    case Type::binary: return from_binary(*spec);
    case Type::block:
    case Type::paren:
    case Type::hash: return from_block(*spec, t);
    case Type::string:
    case Type::file:
    case Type::url:
    case Type::tag:
    case Type::email:
    case Type::ref:
      if (t == Type::percent) return percent_from_text(*spec);
      return from_text(*spec, t);
    default: bad_to_arg(t, *spec);
  }
}

}  // namespace

// The target's header becomes the requested type: float!, or the child the entry serves.
Cell* make(Cell* proto, Cell* spec, Type t) {
  if (spec->is(Type::float_) || spec->is(Type::percent)) {
    spec->set_type(t);
    return spec;
  }
  double d = number_of(spec, t);
  *proto = make_cell(t);
  set(*proto, d);
  return proto;
}

}  // namespace vyn::float_
