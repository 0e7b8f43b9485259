// values/numbers/tuple.cpp: tuple! entries: form and mold, comparison, bytes by pick and path, length,
// complement, reverse and random; make and to live in tuple_make.cpp, arithmetic in
// tuple_math.cpp.
#include "values/numbers/tuple.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/arith_rows.hpp"
#include "values/installers.hpp"
#include "values/numbers/random.hpp"
#include "values/objects/error_args.hpp"
#include "values/registry.hpp"
#include "values/series/block.hpp"
#include "values/series/path.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/word.hpp"

namespace vyn::tuple {

Cell make(const Bytes& bytes) { return make_sized(bytes.b, bytes.size < 3 ? 3 : bytes.size); }

Cell make(const uint8_t* bytes, int count) {
  Bytes t;
  t.size = count;
  std::memcpy(t.b, bytes, static_cast<size_t>(count));
  return make(t);
}

Cell* push(int size, uint32_t w1, uint32_t w2, uint32_t w3) {
  Cell c = make_cell(Type::tuple, w1, w2, w3);
  c.header |= static_cast<uint32_t>(size) << size_shift;
  return stack::push(c);
}

Cell* push_from_ints(int count, const int32_t* ints) {
  Bytes t;
  t.size = count;
  for (int i = 0; i < count; ++i) t.b[i] = static_cast<uint8_t>(ints[i]);
  return stack::push(make(t));
}

bool zero_q(const Cell& t) {
  Bytes b = bytes_of(t);
  for (int i = 0; i < b.size; ++i)
    if (b.b[i]) return false;
  return true;
}

int compare(Cell* a, Cell* b, int) {
  if (!b->is(Type::tuple)) return -2;
  Bytes x = bytes_of(*a), y = bytes_of(*b);
  int n = x.size > y.size ? x.size : y.size;
  for (int i = 0; i < n; ++i)
    if (x.b[i] != y.b[i]) return x.b[i] < y.b[i] ? -1 : 1;
  return 0;
}

// Defined in tuple_make.cpp and tuple_path.cpp.
Cell* make_(Cell* proto, Cell* spec, Type t);
Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step);
// The byte at a 1-based index; another index raises script/out-of-range.
int checked_index(const Cell& t, const Cell& index);
// The tuple with the byte at index set from an integer (clamped) or cut there by none.
Cell poke_byte(const Cell& t, const Cell& index, const Cell& value);

namespace {

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  Bytes t = bytes_of(*value);
  int32_t written = 0;
  for (int i = 0; i < t.size; ++i) {
    integer::Decimal d = integer::form_decimal(t.b[i]);
    if (i) string::append_latin1(*buffer, ".");
    string::append_latin1(*buffer, d.view());
    written += static_cast<int32_t>(d.view().size()) + (i ? 1 : 0);
  }
  return limit - written;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return form(value, buffer, part, limit);
}

Cell* complement(Cell* value) {
  Bytes t = bytes_of(*value);
  for (int i = 0; i < t.size; ++i) t.b[i] = static_cast<uint8_t>(~t.b[i]);
  *value = make(t);
  return value;
}

int32_t length_q(Cell* value) { return size_of(*value); }

Cell* pick(Cell* value, int32_t, Cell* boxed) {
  int i = checked_index(*value, *boxed);
  return stack::push(make_integer(bytes_of(*value).b[i - 1]));
}

Cell* poke(Cell* value, int32_t, Cell* boxed, Cell* v) {
  *value = poke_byte(*value, *boxed, *v);
  return v;
}

[[noreturn]] void bad_refine(const char* name, const Cell& v) {
  fire(Err::script_invalid_refine_arg, {word_arg(name), v});
}

// The first part bytes reversed, in groups of skip bytes that keep their inner order.
Cell* reverse(Cell* value, Cell* part_arg, Cell* skip_arg) {
  Bytes t = bytes_of(*value);
  int32_t part = t.size, skip = 1;
  if (part_arg) {
    if (!part_arg->is(Type::integer)) bad_refine("part", *part_arg);
    if (part_arg->int_value() < 0) fire(Err::script_out_of_range, {*part_arg});
    if (part_arg->int_value() < part) part = part_arg->int_value();
  }
  if (skip_arg) {
    if (!skip_arg->is(Type::integer)) bad_refine("skip", *skip_arg);
    skip = skip_arg->int_value();
    if (skip == t.size) return value;
    if (skip < 1) fire(Err::script_out_of_range, {*skip_arg});
    if (skip > t.size || t.size % skip != 0) bad_refine("skip", *skip_arg);
  }
  int32_t groups = part / skip;
  Bytes out = t;
  for (int32_t g = 0; g < groups; ++g)
    for (int32_t k = 0; k < skip; ++k) out.b[g * skip + k] = t.b[(groups - 1 - g) * skip + k];
  *value = make(out);
  return value;
}

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::tuple, registry::arith_bitwise_rows<do_math>(), {
      def<Action::make>(make_),
      def<Action::random>(random::of_tuple),
      def<Action::to>(make_),
      def<Action::form>(form),
      def<Action::mold>(mold),
      def<Action::eval_path>(eval_path),
      def<Action::compare>(compare),
      def<Action::complement>(complement),
      def<Action::length_q>(length_q),
      def<Action::pick>(pick),
      def<Action::poke>(poke),
      def<Action::reverse>(reverse),
  });
}

// A tuple's bytes by path (t/2, t/2: 9), and writing the changed tuple back
// where the path found it.

int checked_index(const Cell& t, const Cell& index) {
  if (!index.is(Type::integer) || index.int_value() < 1 || index.int_value() > size_of(t))
    fire(Err::script_out_of_range, {index});
  return index.int_value();
}

// An integer replaces the byte (clamped to 0..255); none cuts the tuple before the index, down
// to at least 3 bytes.
Cell poke_byte(const Cell& t, const Cell& index, const Cell& value) {
  if (!value.is(Type::integer) && !value.is(Type::none_))
    fire(Err::script_invalid_type, {make_datatype(value.type())});
  int i = checked_index(t, index);
  Bytes b = bytes_of(t);
  if (value.is(Type::none_)) {
    for (int k = i - 1; k < b.size; ++k) b.b[k] = 0;
    b.size = i - 1;
  } else {
    int32_t v = value.int_value();
    b.b[i - 1] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  }
  return make(b);
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  if (!element->is(Type::integer)) fire(Err::script_invalid_type, {make_datatype(element->type())});
  if (!value) {
    int i = checked_index(*parent, *element);
    return stack::push(make_integer(bytes_of(*parent).b[i - 1]));
  }
  *parent = poke_byte(*parent, *element, *value);
  path::write_back(*parent, step);
  return value;
}

}  // namespace vyn::tuple
