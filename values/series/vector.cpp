// values/series/vector.cpp: vector! storage, make, form and mold, comparison and registration; the
// changes are in values/series/vector_modify.cpp, the arithmetic in values/series/vector_math.cpp.
#include "values/series/vector.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/error.hpp"
#include "core/text/float_text.hpp"
#include "values/text/float_append.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "values/arith_rows.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/registry.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::vector {

uint32_t unit_of(const Cell& v) { return 1u << buffer_of(series_node(v))->shift(); }

int32_t length(const Cell& v) {
  SeriesBuffer* b = buffer_of(series_node(v));
  int32_t n = static_cast<int32_t>(b->tail >> b->shift()) - series_head(v);
  return n > 0 ? n : 0;
}

namespace {

uint32_t round16(uint64_t n) { return static_cast<uint32_t>((n + 15) & ~uint64_t{15}); }

uint8_t* at(const Cell& v, int32_t index) {
  SeriesBuffer* b = buffer_of(series_node(v));
  return b->data() + (static_cast<uint32_t>(index) << b->shift());
}

}  // namespace

Cell* push_new(Type elem, uint32_t size, int64_t count) {
  if (count < 1) count = 1;
  if (count * size > 0x7FFFFFF0) fire(Err::internal_no_memory);
  NodeId node = alloc::new_series(static_cast<uint32_t>(count), size, 0);
  buffer_of(node)->tail = 0;
  return stack::push(make_series(Type::vector, node, 0, static_cast<uint32_t>(elem)));
}

void reserve(const Cell& v, int64_t count) {
  NodeId node = series_node(v);
  SeriesBuffer* b = buffer_of(node);
  uint64_t bytes = static_cast<uint64_t>(count) << b->shift();
  if (count < 0 || bytes > 0x7FFFFFF0) fire(Err::internal_no_memory);
  if (bytes <= b->size) return;
  uint64_t twice = uint64_t{b->size} * 2;
  alloc::expand_series_copy(node, round16(bytes > twice || twice > 0x7FFFFFF0 ? bytes : twice));
}

// Integers are signed; characters are code points, so their narrow units are not.
int32_t get_int(const Cell& v, int32_t index) {
  const uint8_t* p = at(v, index);
  bool chars = elem_type(v) == Type::char_;
  switch (unit_of(v)) {
    case 1: return chars ? *p : static_cast<int8_t>(*p);
    case 2: { uint16_t x; std::memcpy(&x, p, 2); return chars ? x : static_cast<int16_t>(x); }
    default: { int32_t x; std::memcpy(&x, p, 4); return x; }
  }
}

double get_float(const Cell& v, int32_t index) {
  const uint8_t* p = at(v, index);
  if (unit_of(v) == 4) { float f; std::memcpy(&f, p, 4); return f; }
  double d;
  std::memcpy(&d, p, 8);
  return d;
}

Cell element(const Cell& v, int32_t index) {
  Type t = elem_type(v);
  if (t == Type::char_) return make_char(static_cast<uint32_t>(get_int(v, index)));
  if (t == Type::integer) return make_integer(get_int(v, index));
  Cell c = make_float(get_float(v, index));
  c.set_type(t);
  return c;
}

void put_int(const Cell& v, int32_t index, int32_t n) { std::memcpy(at(v, index), &n, unit_of(v)); }

void put_float(const Cell& v, int32_t index, double d) {
  if (unit_of(v) == 4) {
    float f = static_cast<float>(d);
    std::memcpy(at(v, index), &f, 4);
  } else {
    std::memcpy(at(v, index), &d, 8);
  }
}

void put(const Cell& v, int32_t index, const Cell& value) {
  Type t = elem_type(v);
  bool value_float = value.is(Type::float_) || value.is(Type::percent);
  bool value_int = value.is(Type::integer) || value.is(Type::char_);
  if (!value_float && !value_int) fire(Err::script_invalid_type, {make_datatype(value.type())});
  if (is_float_elem(t)) put_float(v, index, value_float ? value.float_value() : value.int_value());
  else put_int(v, index, value_int ? value.int_value() : integer::from_double_checked(value.float_value()));
}

namespace {

// ---- make

bool is_elem_type(Type t) { return t == Type::char_ || t == Type::integer || is_float_elem(t); }
uint32_t default_size(Type t) { return is_float_elem(t) ? 8 : 4; }

// The element type a word names, or nothing.
Type word_type(const Cell& w) {
  for (Type t : {Type::char_, Type::integer, Type::float_, Type::percent})
    if (symbol::spelling(word::symbol(registry::type_word(t))) == symbol::spelling(word::symbol(w))) return t;
  return Type::nothing;
}

[[noreturn]] void bad_make(const Cell& spec) { fire(Err::script_bad_make_arg, {make_datatype(Type::vector), spec}); }

// The values of a block appended in order: each must have the element type exactly.
void append_block(Cell* v, Cell block) {
  Cell* b = stack::push(block);
  int32_t n = std::max(block::vs_length(*b), 0);  // a position past the tail holds nothing
  reserve(*v, length(*v) + n);
  for (int32_t i = 0; i < n; ++i) {
    Cell x = block::vs_head(*b)[i];
    if (!x.is(elem_type(*v))) fire(Err::script_invalid_arg, {x});
    int32_t end = length(*v);
    buffer_of(series_node(*v))->tail = static_cast<uint32_t>(end + 1) * unit_of(*v);
    put(*v, end, x);
  }
}

Cell* fill_zero(Cell* v, int64_t count) {
  if (count < 1) return v;
  reserve(*v, count);
  SeriesBuffer* b = buffer_of(series_node(*v));
  b->tail = static_cast<uint32_t>(count) * unit_of(*v);
  std::memset(b->data(), 0, b->tail);
  return v;
}

int64_t count_of(const Cell& c) {
  if (c.is(Type::integer)) return c.int_value();
  return integer::from_double_checked(c.float_value());
}

Cell* from_spec(Cell spec) {
  int32_t n = block::vs_length(spec);
  const Cell* s = block::vs_head(spec);
  if (n < 2) bad_make(spec);
  Type t = word_type(s[0]);
  if (!is_elem_type(t) || !s[1].is(Type::integer)) bad_make(spec);
  int32_t bits = s[1].int_value();
  bool ok = is_float_elem(t) ? bits == 32 || bits == 64 : bits == 8 || bits == 16 || bits == 32;
  if (!ok) bad_make(spec);
  Cell third = n > 2 ? s[2] : make_none();
  if (!third.is(Type::integer) && !third.is(Type::block))
    fire(Err::script_invalid_spec_field, {third});
  Cell* v = push_new(t, static_cast<uint32_t>(bits / 8), third.is(Type::integer) ? third.int_value() : block::vs_length(third));
  if (third.is(Type::integer)) return fill_zero(v, third.int_value());
  append_block(v, third);
  return v;
}

Cell* make_(Cell* proto, Cell* spec, Type) {
  Cell* v;
  switch (spec->type()) {
    case Type::integer: case Type::float_:
      v = fill_zero(push_new(Type::integer, 4, count_of(*spec)), count_of(*spec));
      break;
    case Type::block: {
      Cell b = *spec;
      if (block::vs_length(b) == 0) { v = push_new(Type::integer, 4, 0); break; }
      Cell first = block::vs_head(b)[0];
      if (first.is(Type::word)) { v = from_spec(b); break; }
      Type t = first.type();
      if (!is_elem_type(t)) fire(Err::script_invalid_type, {make_datatype(t)});
      v = push_new(t, default_size(t), block::vs_length(b));
      append_block(v, b);
      break;
    }
    default: fire(Err::internal_not_done);  // no other spec has a vector's meaning yet
  }
  *proto = *v;
  return proto;
}

// ---- form and mold

int32_t put_text(Cell* buffer, std::string_view s) {
  string::append_latin1(*buffer, s);
  return static_cast<int32_t>(s.size());
}

int32_t put_element(Cell* buffer, const Cell& v, int32_t i, bool mold) {
  Type t = elem_type(v);
  bool wide = unit_of(v) == 8;
  using float_text::Kind;
  if (t == Type::integer) return put_text(buffer, integer::form_decimal(get_int(v, i)).view());
  if (t == Type::float_) {
    double d = get_float(v, i);
    if (wide) return put_text(buffer, float_text::mold(d).view());
    return float_text::append_form(*buffer, d, Kind::float32);
  }
  if (t == Type::percent) {
    int32_t n = float_text::append_form(*buffer, get_float(v, i) * 100, wide ? Kind::percent64 : Kind::percent32);
    return n;
  }
  uint32_t cp = static_cast<uint32_t>(get_int(v, i));
  if (!mold) {
    Cell* s = stack::push_unset();
    string::make_at(s, 1);
    string::append_char(series_node(*s), cp);
    string::concatenate(buffer, s, -1, 0, false, string::Concat::append);
    stack::set_top(s);
    return 1;
  }
  int32_t before = string::length_total(*buffer);
  string::append_latin1(*buffer, "#\"");
  string::mold_char(buffer, cp, true, false);
  string::append_latin1(*buffer, "\"");
  return string::length_total(*buffer) - before;
}

int32_t elements(Cell* value, Cell* buffer, Cell* part, int32_t limit, bool mold) {
  int32_t n = length(*value), head = series_head(*value);
  for (int32_t i = 0; i < n; ++i) {
    if (part && limit <= 0) break;
    if (i) limit -= put_text(buffer, " ");
    limit -= put_element(buffer, *value, head + i, mold);
  }
  return limit;
}

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  return elements(value, buffer, part, limit, false);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  Type t = elem_type(*value);
  if (!o.only) limit -= put_text(buffer, "make vector! [");
  bool plain = length(*value) > 0 && unit_of(*value) == default_size(t);
  if (!plain) {
    limit -= put_text(buffer, std::string(symbol::spelling(word::symbol(registry::type_word(t)))));  // a copy: appending may move the name
    limit -= put_text(buffer, " ");
    limit -= put_text(buffer, integer::form_decimal(static_cast<int32_t>(unit_of(*value) * 8)).view());
    limit -= put_text(buffer, " [");
  }
  limit = elements(value, buffer, part, limit, true);
  if (!o.only) limit -= put_text(buffer, plain ? "]" : "]]");
  return limit;
}

// ---- comparison

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::vector)) return -2;
  if (elem_type(*a) != elem_type(*b)) fire(Err::script_not_same_type);
  bool shared = series_node(*a) == series_node(*b) && series_head(*a) == series_head(*b);
  if (op == cmp::same) return shared ? 0 : -1;
  int32_t la = length(*a), lb = length(*b);
  bool equality = op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal || op == cmp::find;
  if (equality && shared) return 0;
  if (equality && la != lb) return 1;
  bool fl = is_float_elem(elem_type(*a));
  int32_t ha = series_head(*a), hb = series_head(*b);
  for (int32_t i = 0; i < la && i < lb; ++i) {
    if (fl) {
      double x = get_float(*a, ha + i), y = get_float(*b, hb + i);
      if (x != y) return x < y ? -1 : 1;
    } else {
      int32_t x = get_int(*a, ha + i), y = get_int(*b, hb + i);
      if (x != y) return x < y ? -1 : 1;
    }
  }
  return (la > lb) - (la < lb);
}

}  // namespace

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::vector, registry::arith_bitwise_rows<do_math>(), {
      def<Action::make>(make_), inherit(Action::random), inherit(Action::reflect),
      def<Action::form>(form), def<Action::mold>(mold), inherit(Action::eval_path),
      def<Action::compare>(compare), def<Action::append>(append),
      def<Action::change>(change), def<Action::insert>(append),
      inherit(Action::at), inherit(Action::back), inherit(Action::clear), inherit(Action::copy),
      def<Action::find>(find), inherit(Action::head), inherit(Action::head_q), inherit(Action::index_q),
      inherit(Action::length_q), inherit(Action::move), inherit(Action::next), inherit(Action::pick),
      inherit(Action::poke), inherit(Action::remove), inherit(Action::reverse), def<Action::select>(select),
      def<Action::sort>(sort), inherit(Action::skip), inherit(Action::tail), inherit(Action::tail_q),
      def<Action::take>(take), inherit(Action::modify),
  });
}

}  // namespace vyn::vector
