// values/words/typeset.cpp: typeset! values and their entries.
#include "values/words/typeset.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/word.hpp"

namespace vyn::typeset {
namespace {

int member_count(const Cell& ts) {
  int n = 0;
  for (int id = 1; id <= registry::highest_type(); ++id) n += has(ts, static_cast<Type>(id));
  return n;
}

Cell as_typeset(const Cell& v) {
  if (v.is(Type::typeset)) return v;
  if (!v.is(Type::datatype)) fire(Err::script_invalid_arg, {v});
  Cell ts = make_empty();
  add(ts, datatype_of(v));
  return ts;
}

Cell* make(Cell*, Cell* spec, Type) {
  if (spec->is(Type::typeset)) return spec;
  if (!spec->is(Type::block)) fire(Err::script_bad_to_arg, {make_datatype(Type::typeset), *spec});
  Cell ts = make_empty();
  Cell s = *spec;
  for (int32_t i = 0; i < block::vs_length(s); ++i) set_type(ts, block::vs_head(s)[i]);
  return stack::push(ts);
}

// The member names: each followed by sep, the last one by last; stops when the limit runs out.
int32_t names(const Cell& ts, Cell* buffer, int32_t limit, const char* sep, const char* last) {
  int remaining = member_count(ts);
  for (int id = 1; id <= registry::highest_type() && limit > 0; ++id) {
    Type t = static_cast<Type>(id);
    if (!has(ts, t)) continue;
    const char* name = registry::type_name(t);
    const char* after = --remaining ? sep : last;
    string::append_latin1(*buffer, name);
    string::append_latin1(*buffer, after);
    limit -= static_cast<int32_t>(std::char_traits<char>::length(name) + std::char_traits<char>::length(after));
  }
  return limit;
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) { return names(*value, buffer, limit, " ", ""); }

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell*, int32_t limit) {
  string::append_latin1(*buffer, "make typeset! [");
  limit -= 15;
  if (member_count(*value) == 0) {
    string::append_latin1(*buffer, "]");
    return limit - 1;
  }
  return names(*value, buffer, limit, " ", "]");
}

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::typeset)) return -2;
  if (op == cmp::sort || op == cmp::case_sort) {
    int x = member_count(*a), y = member_count(*b);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  if (op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal || op == cmp::same || op == cmp::find)
    return same_bits(*a, *b) ? 0 : 1;
  return -2;
}

Cell* complement(Cell* value) {
  Cell* r = stack::push(*value);
  for (int i = 0; i < bit_words; ++i) bits(*r)[i] = ~bits(*r)[i];
  return r;
}

Cell* find(Cell* series, Cell* value, const FindOptions&) {
  if (!value->is(Type::datatype)) fire(Err::script_invalid_arg, {*value});
  return stack::push(make_logic(has(*series, datatype_of(*value))));
}

void combine(Cell* args, int op);

template <int Op>
void bitwise(Cell* args) { combine(args, Op); }

}  // namespace

Cell make_default() {
  Cell ts = make_from_bits(~0u, ~0u, ~0u);
  bytes(ts)[0] &= static_cast<uint8_t>(~(0x80 >> 2));  // not unset!
  return ts;
}

void clear_bits(Cell& ts) { bits(ts)[0] = bits(ts)[1] = bits(ts)[2] = 0; }

void make_in(Cell block, uint32_t w1, uint32_t w2, uint32_t w3) {
  block::append_copy(block, make_from_bits(w1, w2, w3));
}

void make_in_default(Cell block) { block::append_copy(block, make_default()); }

Cell* push(const Cell& ts) { return stack::push(ts); }

void make_in_from_spec(Cell block, Cell spec) {
  Cell ts = make_empty();
  for (int32_t i = 0; i < block::vs_length(spec); ++i) {
    Cell item = block::vs_head(spec)[i];
    if (item.is(Type::word)) item = *word::value_cell(item);
    if (item.is(Type::block)) continue;
    if (item.is(Type::datatype)) add(ts, datatype_of(item));
    else if (item.is(Type::typeset)) merge(ts, item);
    else fire(Err::script_invalid_type_spec, {item});
  }
  block::append_copy(block, ts);
}

void set_type(Cell& ts, const Cell& value) {
  Cell v = value.is(Type::word) ? *word::value_cell(value) : value;
  if (v.is(Type::typeset)) {
    merge(ts, v);
  } else if (v.is(Type::datatype)) {
    add(ts, datatype_of(v));
  } else {
    fire(Err::script_invalid_arg, {v});
  }
}

void to_block(const Cell& ts, Cell block) {
  Cell set = ts;
  for (int id = 1; id <= registry::highest_type(); ++id)
    if (has(set, static_cast<Type>(id))) block::append_copy(block, registry::type_word(static_cast<Type>(id)));
}

void do_bitwise(int op) { combine(stack::arguments(), op); }

namespace {
void combine(Cell* args, int op) {
  if (op == 8) return;
  Cell a = args[0], b = as_typeset(args[1]);
  uint32_t* x = bits(a);
  const uint32_t* y = bits(b);

  for (int i = 0; i < 3; ++i) {
    switch (op) {
      case 5: case 9: x[i] |= y[i]; break;
      case 6: case 10: x[i] &= y[i]; break;
      case 7: case 12: x[i] ^= y[i]; break;
      case 11: x[i] &= ~y[i]; break;
      default: break;
    }
  }
  args[0] = a;
}
}  // namespace

void install() {
  using registry::def;
  registry::define(Type::typeset, {
      def<Action::make>(make), def<Action::to>(make), def<Action::form>(form),
      def<Action::mold>(mold), def<Action::compare>(compare),
      def<Action::and_t>(bitwise<6>), def<Action::or_t>(bitwise<5>), def<Action::xor_t>(bitwise<7>),
      def<Action::complement>(complement), def<Action::find>(find),
  });
}

}  // namespace vyn::typeset
