// values/numbers/point.cpp: point2D! and point3D! entries: make and to, form and mold, comparison,
// coordinates by pick and path, and the per-coordinate actions; values/numbers/point_math.cpp does the
// arithmetic.
#include "values/numbers/point.hpp"

#include <cctype>
#include <cmath>

#include "core/error.hpp"
#include "core/text/float_text.hpp"
#include "values/text/float_append.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/arith_rows.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/text/load_text.hpp"
#include "values/numbers/pair.hpp"
#include "values/series/path.hpp"
#include "values/numbers/random.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::point {

Cell* push2(float x, float y) { return stack::push(make2(x, y)); }
Cell* push3(float x, float y, float z) { return stack::push(make3(x, y, z)); }

float number_to_f32(const Cell& c) {
  return c.is(Type::integer) ? static_cast<float>(c.int_value()) : static_cast<float>(c.float_value());
}

namespace {

bool is_number(const Cell& c) { return c.is(Type::integer) || c.is(Type::float_); }
bool is_any_word(Type t) {
  return t == Type::word || t == Type::lit_word || t == Type::set_word || t == Type::get_word ||
         t == Type::refinement;
}

Cell filled(Type t, float v) { return t == Type::point3D ? make3(v, v, v) : make2(v, v); }

[[noreturn]] void bad_to(Type t, const Cell& spec) { fire(Err::script_bad_to_arg, {make_datatype(t), spec}); }

Cell from_block(Type t, Cell b) {
  int n = dims(t);
  const Cell* v = block::vs_head(b);
  bool ok = block::vs_length(b) >= n;
  for (int i = 0; ok && i < n; ++i) ok = is_number(v[i]);
  if (!ok) fire(Err::syntax_malconstruct, {make_datatype(t), b});
  Cell p = make_cell(t);
  for (int i = 0; i < n; ++i) set(p, i, number_to_f32(v[i]));
  return p;
}

Cell* make_(Cell* proto, Cell* spec, Type t) {
  switch (spec->type()) {
    case Type::integer: case Type::float_: return &(*proto = filled(t, number_to_f32(*spec)));
    case Type::block: return &(*proto = from_block(t, *spec));
    case Type::pair: {
      float x = static_cast<float>(pair::x_of(*spec)), y = static_cast<float>(pair::y_of(*spec));
      return &(*proto = t == Type::point3D ? make3(x, y, 0) : make2(x, y));
    }
    case Type::point2D:
      if (t == Type::point2D) return spec;
      return &(*proto = make3(get(*spec, 0), get(*spec, 1), 0));
    case Type::point3D:
      if (t == Type::point3D) return spec;
      bad_to(t, *spec);
    case Type::string: {
      Cell* loaded = load_text(*spec);
      if (!loaded->is(t)) bad_to(t, *spec);
      *proto = *loaded;
      return proto;
    }
    default: bad_to(t, *spec);
  }
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  Cell p = *value;
  int32_t used = 1;
  string::append_latin1(*buffer, "(");
  for (int i = 0; i < dims(p.type()); ++i) {
    if (i) {
      string::append_latin1(*buffer, ", ");
      used += 2;
    }
    used += float_text::append_form(*buffer, get(p, i), float_text::Kind::point);
  }
  string::append_latin1(*buffer, ")");
  return limit - used - 1;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return form(value, buffer, part, limit);
}

int sign_of(float d) { return (d > 0) - (d < 0); }

int compare(Cell* a, Cell* b, int op) {
  Type t = a->type();
  Cell other = *b;
  if (t == Type::point2D && other.is(Type::pair))
    other = make2(static_cast<float>(pair::x_of(other)), static_cast<float>(pair::y_of(other)));
  if (!other.is(t)) return -2;
  int n = dims(t);
  if (op == cmp::same) {
    for (int i = 0; i < n; ++i)
      if (bits(*a, i) != bits(other, i)) return 1;
    return 0;
  }
  if (op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal || op == cmp::find) {
    for (int i = 0; i < n; ++i)
      if (!(get(*a, i) == get(other, i))) return 1;
    return 0;
  }
  for (int i = 0; i < n; ++i) {
    float x = get(*a, i), y = get(other, i);
    if (x != y) return sign_of(x - y);
  }
  return 0;
}

// 1-based coordinate of a field word, or 0.
int field_of(const Cell& word, Type t) {
  std::string_view s = symbol::spelling(word::symbol(word));
  if (s.size() != 1) return 0;
  char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
  int i = c == 'x' ? 1 : c == 'y' ? 2 : c == 'z' && t == Type::point3D ? 3 : 0;
  return i;
}

Cell* pick(Cell* value, int32_t position, Cell* boxed) {
  int n = dims(value->type()), i = 0;
  if (boxed->is(Type::integer)) i = position >= 1 && position <= n ? position : 0;
  else if (is_any_word(boxed->type())) {
    i = field_of(*boxed, value->type());
    if (!i) fire(Err::script_cannot_use, {*boxed, *value});
  }
  if (!i) fire(Err::script_out_of_range, {*boxed});
  return stack::push(make_float(get(*value, i - 1)));
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  Cell path = step.path ? *step.path : make_none();
  Type t = parent->type();
  int i = 0;
  if (element->is(Type::integer)) {
    int32_t k = element->int_value();
    i = k >= 1 && k <= dims(t) ? k : 0;
  } else if (is_any_word(element->type())) {
    i = field_of(*element, t);
    if (!i) fire(Err::script_cannot_use, {*element, *parent});
  }
  if (!i) fire(Err::script_invalid_path, {path, *element});
  if (!value) return stack::push(make_float(get(*parent, i - 1)));
  if (!is_number(*value)) fire(Err::script_invalid_type, {make_datatype(value->type())});
  set(*parent, i - 1, number_to_f32(*value));
  path::write_back(*parent, step);
  return value;
}

void absolute(Cell* args) {
  for (int i = 0; i < dims(args[0].type()); ++i) set(args[0], i, std::fabs(get(args[0], i)));
}

Cell* negate(Cell* value) {
  for (int i = 0; i < dims(value->type()); ++i) set(*value, i, 0.0f - get(*value, i));
  return value;
}

Cell* reverse(Cell* value, Cell*, Cell*) {
  int last = dims(value->type()) - 1;
  float first = get(*value, 0);
  set(*value, 0, get(*value, last));
  set(*value, last, first);
  return value;
}

Cell* random_(Cell* value, bool seed_q, bool secure, bool) {
  if (seed_q) {
    random::seed(static_cast<int32_t>(bits(*value, 0) ^ bits(*value, 1) ^ bits(*value, 2)));
    *value = make_unset();
    return value;
  }
  for (int i = 0; i < dims(value->type()); ++i) {
    float v = get(*value, i);
    if (v != 0) set(*value, i, static_cast<float>(random::scaled(v, secure)));
  }
  return value;
}

// The scale of one coordinate: a compound scale gives each coordinate its own.
Cell scale_for(const Cell& scale, int i) {
  if (scale.is(Type::pair)) return make_integer(i == 0 ? pair::x_of(scale) : i == 1 ? pair::y_of(scale) : 1);
  if (scale.is(Type::point2D)) return make_float(i < 2 ? get(scale, i) : 1.0f);
  if (scale.is(Type::point3D)) return make_float(get(scale, i));
  return scale;
}

Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor, bool ceiling,
            bool half_ceiling) {
  if (scale && scale->is(Type::money))
    fire(Err::script_not_related, {stack::get_call(), make_datatype(Type::money)});
  auto round_one = registry::entry<Action::round>(Type::float_);
  for (int i = 0; i < dims(value->type()); ++i) {
    Cell* c = stack::push(make_float(get(*value, i)));
    Cell* s = scale ? stack::push(scale_for(*scale, i)) : nullptr;
    Cell r = *round_one(c, s, even, down, half_down, floor, ceiling, half_ceiling);
    set(*value, i, r.is(Type::integer) ? static_cast<float>(r.int_value()) : static_cast<float>(r.float_value()));
    stack::set_top(c);
  }
  return value;
}

void install(Type t) {
  using registry::def;
  registry::define(t, registry::arith_rows<do_math>(), {
      def<Action::make>(make_), def<Action::random>(random_), def<Action::to>(make_),
      def<Action::form>(form), def<Action::mold>(mold), def<Action::eval_path>(eval_path),
      def<Action::compare>(compare), def<Action::absolute>(absolute),
      def<Action::negate>(negate), def<Action::round>(round), def<Action::pick>(pick),
      def<Action::reverse>(reverse),
  });
}

}  // namespace

void install_2D() { install(Type::point2D); }
void install_3D() { install(Type::point3D); }

}  // namespace vyn::point
