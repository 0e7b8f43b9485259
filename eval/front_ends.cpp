// eval/front_ends.cpp: turning a call's refinement integers into the arguments each datatype
// entry takes, and storing the entry's answer in the result slot.
#include "eval/front_ends.hpp"

#include "core/error.hpp"
#include "eval/dispatch.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/objects/error_args.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::actions {
namespace {

using R = Cell*;

void answer(const Call& c, Cell* result) {
  if (result != c.args) c.args[0] = *result;
}

// make and to dispatch on the datatype a datatype! first argument names.
template <Action A>
void make_like(const Call& c) {
  Type t = c.args[0].is(Type::datatype) ? static_cast<Type>(c.args[0].w1) : c.args[0].type();
  auto fn = reinterpret_cast<typename Sig<A>::type>(get_action(t, &c.args[0], A));
  answer(c, fn(&c.args[0], &c.args[1], t));
}

void random(const Call& c) { answer(c, get<Action::random>(c.args)(c.args, c.has(0), c.has(1), c.has(2))); }
void reflect(const Call& c) { answer(c, get<Action::reflect>(c.args)(c.args, c.args + 1)); }

// form and mold write into a fresh string that becomes the result, cut to the /part limit.
template <class Write>
void into_string(const Call& c, Cell* part, Write write) {
  int32_t limit = 0x7FFFFFFF;
  if (part) {
    limit = part->is(Type::integer) ? part->int_value() : 0;
    if (limit <= 0) {
      string::make_at(c.args, 1);
      stack::keep();
      return;
    }
  }
  Cell* v = stack::push(c.args[0]);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  write(v, buffer, part, limit);
  if (part && string::length(*buffer) > limit) string::truncate_at(*buffer, limit);
  c.args[0] = *buffer;
  stack::keep();
}

void form(const Call& c) {
  into_string(c, c.ref(0), [](Cell* v, Cell* b, Cell* p, int32_t l) { form_direct(v, b, p, l); });
}

void mold(const Call& c) {
  MoldOptions o;
  o.only = c.has(0);
  o.all = c.has(1);
  o.flat = c.has(2);
  into_string(c, c.ref(3), [&](Cell* v, Cell* b, Cell* p, int32_t l) { mold_direct(v, b, o, p, l); });
}

void eval_path(const Call& c) {
  PathStep step;
  answer(c, get<Action::eval_path>(c.args)(c.args, c.args + 1, c.has(0) ? c.args + 2 : nullptr, step));
}

void compare_front(const Call& c) {
  bool r = compare(c.args, c.args + 1, c.args[2].int_value());
  c.args[0] = make_logic(r);
}

template <Action A>
void simple(const Call& c) {
  reinterpret_cast<SimpleEntry>(get_action(c.args[0].type(), c.args, A))(c.args);
}

void negate(const Call& c) { answer(c, get<Action::negate>(c.args)(c.args)); }
void complement(const Call& c) { answer(c, get<Action::complement>(c.args)(c.args)); }
void even_q(const Call& c) { c.args[0] = make_logic(get<Action::even_q>(c.args)(c.args)); }
void odd_q(const Call& c) { c.args[0] = make_logic(get<Action::odd_q>(c.args)(c.args)); }

void round(const Call& c) {
  answer(c, get<Action::round>(c.args)(c.args, c.ref(0), c.has(1), c.has(2), c.has(3), c.has(4),
                                        c.has(5), c.has(6)));
}

// The /part count of append, insert and change, measured on the counted series; answers false
// when the call is to leave the series unchanged.
bool part_count(Cell* counted, Cell* part, int32_t* count) {
  Type t = counted->type();
  bool has_buffer = series::is_cell_series(t) || series::is_char_series(t) || t == Type::binary ||
                    t == Type::vector || t == Type::image || t == Type::map;
  if (!has_buffer) fire(Err::script_invalid_part, {*part});
  int32_t len = series::length_total(*counted);
  if (series_head(*counted) > len) counted->w1 = static_cast<uint32_t>(len);
  if (part->is(Type::integer)) {
    *count = part->int_value() == INT32_MIN ? -INT32_MAX : part->int_value();
  } else if (part->type() == t && series_node(*part) == series_node(*counted)) {
    *count = series_head(*part) - series_head(*counted);
  } else {
    fire(Err::script_invalid_refine_arg, {word_arg("part"), *part});
  }
  if (*count < 0) {
    int32_t back = -*count > series_head(*counted) ? series_head(*counted) : -*count;
    counted->w1 = static_cast<uint32_t>(series_head(*counted) - back);
    *count = back;
  }
  return true;
}

// The /dup count of append, insert and change: an integer!, 1 when the refinement is not used.
int32_t dup_count(const Call& c) {
  if (!c.has(2)) return 1;
  if (!c.ref(2)->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("dup"), *c.ref(2)});
  return c.ref(2)->int_value();
}

template <bool Append>
void append_insert(const Call& c) {
  int32_t count = -1;
  int32_t dup = dup_count(c);
  if (c.has(0)) {
    bool at_head = series_head(c.args[1]) == 0;
    bool negative = c.ref(0)->is(Type::integer) && c.ref(0)->int_value() < 0;
    part_count(&c.args[1], c.ref(0), &count);
    if (count == 0 || (negative && at_head)) return;
  }
  if (dup <= 0) return;
  constexpr Action slot = Append ? Action::append : Action::insert;
  auto fn = get<slot>(c.args);
  answer(c, fn(c.args, c.args + 1, count, c.has(1), dup, Append));
}

void change(const Call& c) {
  int32_t count = -1;
  int32_t dup = dup_count(c);
  bool skip_checks = c.args[0].is(Type::port) || c.args[0].is(Type::image);
  if (c.has(0) && !skip_checks) part_count(&c.args[0], c.ref(0), &count);
  if (c.has(0) && c.args[0].is(Type::image)) count = 0;  // an image's change refuses any /part
  if (dup <= 0) return;
  answer(c, get<Action::change>(c.args)(c.args, c.args + 1, count, c.has(1), dup));
}

void clear(const Call& c) { answer(c, get<Action::clear>(c.args)(c.args)); }

void copy(const Call& c) {
  Cell* types = c.ref(2);
  if (types && !types->is(Type::datatype) && !types->is(Type::typeset))
    fire(Err::script_expect_arg, {stack::get_call(), make_datatype(types->type()), word_arg("kind")});
  Cell* v = stack::push(c.args[0]);
  Cell* result = stack::push_unset();
  c.args[0] = *copy_direct(v, result, c.ref(0), c.has(1), types);
  stack::keep();
}

FindOptions find_options(const Call& c, bool find) {
  FindOptions o;
  o.part = c.ref(0);
  o.only = c.has(1);
  o.case_ = c.has(2);
  o.same = c.has(3);
  o.any = c.has(4);
  o.with = c.ref(5);
  o.skip = c.ref(6);
  o.last = c.has(7);
  o.reverse = c.has(8);
  if (find) {
    o.tail = c.has(9);
    o.match = c.has(10);
  }
  return o;
}

void find(const Call& c) { answer(c, get<Action::find>(c.args)(c.args, c.args + 1, find_options(c, true))); }
void select(const Call& c) { answer(c, get<Action::select>(c.args)(c.args, c.args + 1, find_options(c, false))); }

void length_q(const Call& c) {
  int32_t n = get<Action::length_q>(c.args)(c.args);
  c.args[0] = n < 0 ? make_none() : make_integer(n);
}

void move(const Call& c) { answer(c, get<Action::move>(c.args)(c.args, c.args + 1, c.ref(0))); }

void pick(const Call& c) {
  answer(c, get<Action::pick>(c.args)(c.args, pick_index(c.args[1]), c.args + 1));
}

void poke(const Call& c) {
  answer(c, get<Action::poke>(c.args)(c.args, pick_index(c.args[1]), c.args + 1, c.args + 2));
}

void put(const Call& c) { answer(c, get<Action::put>(c.args)(c.args, c.args + 1, c.args + 2, c.has(0))); }
void remove(const Call& c) { answer(c, get<Action::remove>(c.args)(c.args, c.ref(0), c.ref(1))); }
void reverse(const Call& c) { answer(c, get<Action::reverse>(c.args)(c.args, c.ref(0), c.ref(1))); }

void sort(const Call& c) {
  SortOptions o;
  o.case_ = c.has(0);
  o.skip = c.ref(1);
  o.compare = c.ref(2);
  o.part = c.ref(3);
  o.all = c.has(4);
  o.reverse = c.has(5);
  o.stable = c.has(6);
  answer(c, get<Action::sort>(c.args)(c.args, o));
}

void swap(const Call& c) { answer(c, get<Action::swap>(c.args)(c.args, c.args + 1)); }
void take(const Call& c) { answer(c, get<Action::take>(c.args)(c.args, c.ref(0), c.has(1), c.has(2))); }

void trim(const Call& c) {
  answer(c, get<Action::trim>(c.args)(c.args, c.has(0), c.has(1), c.has(2), c.has(3), c.has(4), c.ref(5)));
}

template <Action A>
void one_arg(const Call& c) {
  answer(c, get<A>(c.args)(c.args));
}

void modify(const Call& c) { answer(c, get<Action::modify>(c.args)(c.args, c.args + 1, c.args + 2, c.has(0))); }

void open(const Call& c) {
  answer(c, get<Action::open>(c.args)(c.args, c.has(0), c.has(1), c.has(2), c.has(3), c.ref(4)));
}

void read(const Call& c) {
  ReadOptions o;
  o.part = c.ref(0);
  o.seek = c.ref(1);
  o.binary = c.has(2);
  o.lines = c.has(3);
  o.info = c.has(4);
  o.as = c.ref(5);
  answer(c, get<Action::read>(c.args)(c.args, o));
}

void rename(const Call& c) { answer(c, get<Action::rename>(c.args)(c.args, c.args + 1)); }

void write(const Call& c) {
  WriteOptions o;
  o.binary = c.has(0);
  o.lines = c.has(1);
  o.info = c.has(2);
  o.append = c.has(3);
  o.part = c.ref(4);
  o.seek = c.ref(5);
  o.allow = c.ref(6);
  o.as = c.ref(7);
  answer(c, get<Action::write>(c.args)(c.args, c.args + 1, o));
}

FrontEnd table[action_count + 1];

}  // namespace

void init() {
  const FrontEnd entries[action_count] = {
      make_like<Action::make>, random, reflect, make_like<Action::to>, form, mold, eval_path,
      nullptr, compare_front, simple<Action::absolute>, simple<Action::add>,
      simple<Action::divide>, simple<Action::multiply>, negate, simple<Action::power>,
      simple<Action::remainder>, round, simple<Action::subtract>, even_q, odd_q,
      simple<Action::and_t>, complement, simple<Action::or_t>, simple<Action::xor_t>,
      append_insert<true>, simple<Action::at>, simple<Action::back>, change, clear, copy, find,
      simple<Action::head>, simple<Action::head_q>, simple<Action::index_q>, append_insert<false>,
      length_q, move, simple<Action::next>, pick, poke, put, remove, reverse, select, sort,
      simple<Action::skip>, swap, simple<Action::tail>, simple<Action::tail_q>, take, trim,
      one_arg<Action::create>, one_arg<Action::close>, one_arg<Action::delete_>, modify, open,
      one_arg<Action::open_q>, one_arg<Action::query>, read, rename, one_arg<Action::update>, write,
  };
  for (int slot = 1; slot <= action_count; ++slot) table[slot] = entries[slot - 1];
}

FrontEnd front_end(int slot) { return slot >= 1 && slot <= action_count ? table[slot] : nullptr; }

}  // namespace vyn::actions
