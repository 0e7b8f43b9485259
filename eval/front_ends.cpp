// eval/front_ends.cpp: turning a call's refinement integers into the arguments each datatype
// entry takes, and storing the entry's answer in the result slot. Each front end is a template
// over the action, so that rows sharing one reach their own entry and their own refinements.
#include "eval/front_ends.hpp"

#include <array>

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

void answer(const Call& c, Cell* result) {
  if (result != c.args) c.args[0] = *result;
}

// make and to dispatch on the datatype a datatype! first argument names.
template <Action A>
void make_like(const Call& c) {
  Type t = c.args[0].is(Type::datatype) ? datatype_of(c.args[0]) : c.args[0].type();
  auto fn = reinterpret_cast<typename Sig<A>::type>(get_action(t, &c.args[0], A));
  answer(c, fn(&c.args[0], &c.args[1], t));
}

// Simple entries work on the argument cells in place.
template <Action A>
void simple(const Call& c) {
  reinterpret_cast<SimpleEntry>(get_action(c.args[0].type(), c.args, A))(c.args);
}

template <Action A>
void one_arg(const Call& c) {
  answer(c, get<A>(c.args)(c.args));
}

template <Action A>
void two_args(const Call& c) {
  answer(c, get<A>(c.args)(c.args, c.args + 1));
}

template <Action A>
void logic_of(const Call& c) {
  c.args[0] = make_logic(get<A>(c.args)(c.args));
}

template <Action A>
void random(const Call& c) {
  using Ref = Refs<A>;
  answer(c, get<A>(c.args)(c.args, c.has(Ref::seed), c.has(Ref::secure), c.has(Ref::only)));
}

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

template <Action A>
void form(const Call& c) {
  into_string(c, c.ref(Refs<A>::part), [](Cell* v, Cell* b, Cell* p, int32_t l) { form_direct(v, b, p, l); });
}

template <Action A>
void mold(const Call& c) {
  using Ref = Refs<A>;
  MoldOptions o{.only = c.has(Ref::only), .all = c.has(Ref::all), .flat = c.has(Ref::flat)};
  into_string(c, c.ref(Ref::part), [&](Cell* v, Cell* b, Cell* p, int32_t l) { mold_direct(v, b, o, p, l); });
}

// The evaluator reaches paths directly; a call through the slot sets args[2] when it is used.
template <Action A>
void eval_path(const Call& c) {
  PathStep step;
  answer(c, get<A>(c.args)(c.args, c.args + 1, c.has(Refs<A>::value) ? c.args + 2 : nullptr, step));
}

template <Action>
void compare_front(const Call& c) {
  bool r = compare(c.args, c.args + 1, c.args[2].int_value());
  c.args[0] = make_logic(r);
}

// Slot 8 has no front end.
template <Action>
constexpr FrontEnd absent = nullptr;

template <Action A>
void round(const Call& c) {
  using Ref = Refs<A>;
  answer(c, get<A>(c.args)(c.args, c.ref(Ref::to), c.has(Ref::even), c.has(Ref::down), c.has(Ref::half_down),
                           c.has(Ref::floor), c.has(Ref::ceiling), c.has(Ref::half_ceiling)));
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
int32_t dup_count(const Call& c, int dup) {
  if (!c.has(dup)) return 1;
  if (!c.ref(dup)->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("dup"), *c.ref(dup)});
  return c.ref(dup)->int_value();
}

template <Action A>
void append_insert(const Call& c) {
  using Ref = Refs<A>;
  int32_t count = -1;
  int32_t dup = dup_count(c, Ref::dup);
  if (c.has(Ref::part)) {
    bool at_head = series_head(c.args[1]) == 0;
    bool negative = c.ref(Ref::part)->is(Type::integer) && c.ref(Ref::part)->int_value() < 0;
    part_count(&c.args[1], c.ref(Ref::part), &count);
    if (count == 0 || (negative && at_head)) return;
  }
  if (dup <= 0) return;
  answer(c, get<A>(c.args)(c.args, c.args + 1, count, c.has(Ref::only), dup, A == Action::append));
}

template <Action A>
void change(const Call& c) {
  using Ref = Refs<A>;
  int32_t count = -1;
  int32_t dup = dup_count(c, Ref::dup);
  bool skip_checks = c.args[0].is(Type::port) || c.args[0].is(Type::image);
  if (c.has(Ref::part) && !skip_checks) part_count(&c.args[0], c.ref(Ref::part), &count);
  if (c.has(Ref::part) && c.args[0].is(Type::image)) count = 0;  // an image's change refuses any /part
  if (dup <= 0) return;
  answer(c, get<A>(c.args)(c.args, c.args + 1, count, c.has(Ref::only), dup));
}

template <Action A>
void copy(const Call& c) {
  using Ref = Refs<A>;
  Cell* types = c.ref(Ref::types);
  if (types && !types->is(Type::datatype) && !types->is(Type::typeset))
    fire(Err::script_expect_arg, {stack::get_call(), make_datatype(types->type()), word_arg("kind")});
  Cell* v = stack::push(c.args[0]);
  Cell* result = stack::push_unset();
  c.args[0] = *copy_direct(v, result, c.ref(Ref::part), c.has(Ref::deep), types);
  stack::keep();
}

// find and select share their refinements; find has /tail and /match besides.
template <Action A>
void find_select(const Call& c) {
  using Ref = Refs<A>;
  FindOptions o{.part = c.ref(Ref::part), .only = c.has(Ref::only), .case_ = c.has(Ref::case_),
                .same = c.has(Ref::same), .any = c.has(Ref::any), .with = c.ref(Ref::with),
                .skip = c.ref(Ref::skip), .last = c.has(Ref::last), .reverse = c.has(Ref::reverse)};
  if constexpr (A == Action::find) {
    o.tail = c.has(Ref::tail);
    o.match = c.has(Ref::match);
  }
  answer(c, get<A>(c.args)(c.args, c.args + 1, o));
}

template <Action A>
void length_q(const Call& c) {
  int32_t n = get<A>(c.args)(c.args);
  c.args[0] = n < 0 ? make_none() : make_integer(n);
}

template <Action A>
void move(const Call& c) {
  answer(c, get<A>(c.args)(c.args, c.args + 1, c.ref(Refs<A>::part)));
}

template <Action A>
void pick(const Call& c) {
  answer(c, get<A>(c.args)(c.args, pick_index(c.args[1]), c.args + 1));
}

template <Action A>
void poke(const Call& c) {
  answer(c, get<A>(c.args)(c.args, pick_index(c.args[1]), c.args + 1, c.args + 2));
}

// put and modify: three arguments and /case.
template <Action A>
void put_like(const Call& c) {
  answer(c, get<A>(c.args)(c.args, c.args + 1, c.args + 2, c.has(Refs<A>::case_)));
}

template <Action A>
void remove(const Call& c) {
  answer(c, get<A>(c.args)(c.args, c.ref(Refs<A>::part), c.ref(Refs<A>::key)));
}

template <Action A>
void reverse(const Call& c) {
  answer(c, get<A>(c.args)(c.args, c.ref(Refs<A>::part), c.ref(Refs<A>::skip)));
}

template <Action A>
void sort(const Call& c) {
  using Ref = Refs<A>;
  SortOptions o{.case_ = c.has(Ref::case_), .skip = c.ref(Ref::skip), .compare = c.ref(Ref::compare),
                .part = c.ref(Ref::part), .all = c.has(Ref::all), .reverse = c.has(Ref::reverse),
                .stable = c.has(Ref::stable)};
  answer(c, get<A>(c.args)(c.args, o));
}

template <Action A>
void take(const Call& c) {
  using Ref = Refs<A>;
  answer(c, get<A>(c.args)(c.args, c.ref(Ref::part), c.has(Ref::deep), c.has(Ref::last)));
}

template <Action A>
void trim(const Call& c) {
  using Ref = Refs<A>;
  answer(c, get<A>(c.args)(c.args, c.has(Ref::head), c.has(Ref::tail), c.has(Ref::auto_), c.has(Ref::lines),
                           c.has(Ref::all), c.ref(Ref::with)));
}

template <Action A>
void open(const Call& c) {
  using Ref = Refs<A>;
  answer(c, get<A>(c.args)(c.args, c.has(Ref::new_), c.has(Ref::read), c.has(Ref::write), c.has(Ref::seek),
                           c.ref(Ref::allow)));
}

template <Action A>
void read(const Call& c) {
  using Ref = Refs<A>;
  ReadOptions o{.part = c.ref(Ref::part), .seek = c.ref(Ref::seek), .binary = c.has(Ref::binary),
                .lines = c.has(Ref::lines), .info = c.has(Ref::info), .as = c.ref(Ref::as)};
  answer(c, get<A>(c.args)(c.args, o));
}

template <Action A>
void write(const Call& c) {
  using Ref = Refs<A>;
  WriteOptions o{.binary = c.has(Ref::binary), .lines = c.has(Ref::lines), .info = c.has(Ref::info),
                 .append = c.has(Ref::append), .part = c.ref(Ref::part), .seek = c.ref(Ref::seek),
                 .allow = c.ref(Ref::allow), .as = c.ref(Ref::as)};
  answer(c, get<A>(c.args)(c.args, c.args + 1, o));
}

struct Row {
  FrontEnd front_end;
  const char* spec;
};

// The rows run in slot order (values/action_sigs.hpp checks it), so row k is slot k + 1.
constexpr Row rows[action_count] = {
#define VYN_ACTION(slot, name, word, front_end, spec, ...) {front_end<Action::name>, spec},
#include "values/actions.def"
#undef VYN_ACTION
};

}  // namespace

FrontEnd front_end(int slot) { return slot >= 1 && slot <= action_count ? rows[slot - 1].front_end : nullptr; }
const char* spec_of(int slot) { return slot >= 1 && slot <= action_count ? rows[slot - 1].spec : ""; }

}  // namespace vyn::actions
