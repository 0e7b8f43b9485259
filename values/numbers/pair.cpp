// values/numbers/pair.cpp: pair! entries: make and to, form and mold, comparison, components by pick and
// path, and the arithmetic front (values/numbers/pair_math.cpp does the work).
#include <cctype>
#include <cmath>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/arith_rows.hpp"
#include "values/series/block.hpp"
#include "values/series/path.hpp"
#include "core/compare_ops.hpp"
#include "values/installers.hpp"
#include "values/text/load_text.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/random.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::pair {

Cell* make_at(Cell* cell, int32_t x, int32_t y) { return &(*cell = make(x, y)); }
Cell* push(int32_t x, int32_t y) { return stack::push(make(x, y)); }
Cell* make_in(Cell block, int32_t x, int32_t y) { return &(*block::alloc_tail(block) = make(x, y)); }

int axis_index(const Cell& word) {
  std::string_view s = symbol::spelling(word::symbol(word));
  if (s.size() != 1) return 0;
  char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
  return c == 'x' ? 1 : c == 'y' ? 2 : 0;
}

int32_t get_scalar(const Cell& c) {
  if (c.is(Type::integer)) return c.int_value();
  return integer::from_double_checked(std::trunc(c.float_value()));
}

namespace {

bool is_number(const Cell& c) { return c.is(Type::integer) || c.is(Type::float_); }
bool is_any_word(Type t) {
  return t == Type::word || t == Type::lit_word || t == Type::set_word || t == Type::get_word ||
         t == Type::refinement;
}

[[noreturn]] void bad_to(const Cell& spec) { fire(Err::script_bad_to_arg, {make_datatype(Type::pair), spec}); }

Cell* make_(Cell* proto, Cell* spec, Type) {
  switch (spec->type()) {
    case Type::pair: return spec;
    case Type::integer: return make_at(proto, spec->int_value(), spec->int_value());
    case Type::float_: {
      int32_t n = get_scalar(*spec);
      return make_at(proto, n, n);
    }
    case Type::point2D: {
      float x = point_x(*spec), y = point_y(*spec);
      if (!std::isfinite(x) || !std::isfinite(y)) fire(Err::script_invalid_arg, {*spec});
      return make_at(proto, get_scalar(make_float(x)), get_scalar(make_float(y)));
    }
    case Type::block: {
      Cell b = *spec;
      const Cell* v = block::vs_head(b);
      if (block::vs_length(b) < 2 || !is_number(v[0]) || !is_number(v[1]))
        fire(Err::syntax_malconstruct, {make_datatype(Type::pair), b});
      Cell x = v[0], y = v[1];
      return make_at(proto, get_scalar(x), get_scalar(y));
    }
    case Type::string: {
      Cell* loaded = load_text(*spec);
      if (!loaded->is(Type::pair)) bad_to(*spec);
      *proto = *loaded;
      return proto;
    }
    default: bad_to(*spec);
  }
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  integer::Decimal x = integer::form_decimal(x_of(*value));
  integer::Decimal y = integer::form_decimal(y_of(*value));
  string::append_latin1(*buffer, x.view());
  string::append_latin1(*buffer, "x");
  string::append_latin1(*buffer, y.view());
  return limit - static_cast<int32_t>(x.view().size() + 1 + y.view().size());
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return form(value, buffer, part, limit);
}

int sign_of(double d) { return (d > 0) - (d < 0); }

int compare(Cell* a, Cell* b, int op) {
  if (b->is(Type::point2D)) {
    float ax = static_cast<float>(x_of(*a)), ay = static_cast<float>(y_of(*a));
    float bx = point_x(*b), by = point_y(*b);
    if (op <= cmp::strict_equal || op == cmp::same || op == cmp::find) return ax == bx && ay == by ? 0 : 1;
    return ax != bx ? sign_of(ax - bx) : sign_of(ay - by);
  }
  if (!b->is(Type::pair)) return -2;
  int32_t ax = x_of(*a), bx = x_of(*b);
  if (ax != bx) return ax < bx ? -1 : 1;
  int32_t ay = y_of(*a), by = y_of(*b);
  return (ay > by) - (ay < by);
}

void absolute(Cell* args) {
  args[0] = make(integer::abs_checked(x_of(args[0])), integer::abs_checked(y_of(args[0])));
}

Cell* negate(Cell* value) {
  *value = make(integer::negate_wrapping(x_of(*value)), integer::negate_wrapping(y_of(*value)));
  return value;
}

Cell* reverse(Cell* value, Cell*, Cell*) {
  *value = make(y_of(*value), x_of(*value));
  return value;
}

// Each component rounded as an integer! with the same refinements; a pair! scale gives each
// component its own.
Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor, bool ceiling,
            bool half_ceiling) {
  if (scale && scale->is(Type::money))
    fire(Err::script_not_related, {stack::get_call(), make_datatype(Type::money)});
  auto round_one = registry::entry<Action::round>(Type::integer);
  Cell p = *value;
  int32_t out[2];
  for (int i = 0; i < 2; ++i) {
    Cell* c = stack::push(make_integer(i == 0 ? x_of(p) : y_of(p)));
    Cell* s = nullptr;
    if (scale) s = stack::push(scale->is(Type::pair) ? make_integer(i == 0 ? x_of(*scale) : y_of(*scale)) : *scale);
    Cell r = *round_one(c, s, even, down, half_down, floor, ceiling, half_ceiling);
    out[i] = get_scalar(r);
    stack::set_top(c);
  }
  *value = make(out[0], out[1]);
  return value;
}

// The component an index names: 1 or 2, or the word x or y; 0 when it names none.
int component(const Cell& index, int32_t position) {
  if (index.is(Type::integer)) return position == 1 || position == 2 ? position : 0;
  if (index.is(Type::word)) {
    int axis = axis_index(index);
    if (!axis) fire(Err::script_cannot_use, {index, make_datatype(Type::pair)});
    return axis;
  }
  return 0;
}

Cell* pick(Cell* value, int32_t position, Cell* boxed) {
  int axis = component(*boxed, position);
  if (!axis) fire(Err::script_out_of_range, {*boxed});
  return stack::push(make_integer(axis == 1 ? x_of(*value) : y_of(*value)));
}

Cell* poke(Cell* value, int32_t position, Cell* boxed, Cell* v) {
  int axis = component(*boxed, position);
  if (!axis) fire(Err::script_out_of_range, {*boxed});
  if (!v->is(Type::integer)) fire(Err::script_invalid_arg, {*v});
  if (axis == 1) set_x(*value, v->int_value()); else set_y(*value, v->int_value());
  return v;
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  Cell path = step.path ? *step.path : make_none();
  int axis = 0;
  if (element->is(Type::integer)) axis = element->int_value() == 1 || element->int_value() == 2 ? element->int_value() : 0;
  else if (is_any_word(element->type())) axis = axis_index(*element);
  if (!axis) fire(Err::script_invalid_path, {path, *element});
  if (!value) return stack::push(make_integer(axis == 1 ? x_of(*parent) : y_of(*parent)));
  if (!value->is(Type::integer)) fire(Err::script_invalid_type, {make_datatype(value->type())});
  if (axis == 1) set_x(*parent, value->int_value()); else set_y(*parent, value->int_value());
  path::write_back(*parent, step);
  return value;
}

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::pair, registry::arith_bitwise_rows<do_math>(), {
      def<Action::make>(make_),
      def<Action::random>(random::of_pair),
      def<Action::to>(make_),
      def<Action::form>(form),
      def<Action::mold>(mold),
      def<Action::eval_path>(eval_path),
      def<Action::compare>(compare),
      def<Action::absolute>(absolute),
      def<Action::negate>(negate),
      def<Action::round>(round),
      def<Action::pick>(pick),
      def<Action::poke>(poke),
      def<Action::reverse>(reverse),
  });
}

}  // namespace vyn::pair
