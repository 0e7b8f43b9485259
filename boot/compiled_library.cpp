// boot/compiled_library.cpp: base-library functions that run C++ bodies. Each keeps its language
// body (what `body-of` and `source` show) and evaluates it for every case its C++ body leaves out,
// so both give the same results. A function made anew under the same word runs as written.
#include <algorithm>
#include <array>
#include <initializer_list>

#include "boot/base_library.hpp"
#include "eval/fast_ops.hpp"
#include "values/frames.hpp"
#include "eval/front_ends.hpp"
#include "eval/interp.hpp"
#include "eval/native_table.hpp"
#include "core/stack.hpp"
#include "values/action_sigs.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/callables/function.hpp"
#include "values/registry.hpp"
#include "values/text/string_split.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::boot {
namespace {

// Evaluates the running function's language body, as a call without a C++ body does.
Flow language_body() {
  NodeId ctx = (stack::frames_top() - 1)->func_context;
  Cell fn = *context::owner(ctx);
  Cell body = function::companion(fn)[function::Companion::body];
  return body.is(Type::block) ? interp::eval_block(body, true) : Flow::normal;
}

// ---- split: a string! cut at each delimiter; other texts take the language body

// The characters of text from its head, count of them, as a new string!.
Cell* piece(Cell* text, int32_t count) {
  Cell* part = stack::push(make_integer(count));
  Cell* result = stack::push_unset();
  registry::entry<Action::copy>(Type::series)(text, result, part, false, nullptr);
  return result;
}

Flow split_body(Cell* args, NodeId) {
  if (!args[0].is(Type::string)) return language_body();
  stack::Mark mark;
  Cell* out = block::make_at(stack::push_unset(), 8);
  Cell* text = stack::push(args[0]);
  Cell* dlm = stack::push(args[1]);
  if (dlm->is(Type::bitset)) {
    string::split_at_bitset(text, dlm, out);
    args[0] = *out;
    return Flow::normal;
  }
  int32_t size = dlm->is(Type::string) ? string::length_q(*dlm) : 1;
  if (size == 0) {
    block::append_copy(*out, *piece(text, string::length_q(*text)));
    args[0] = *out;
    return Flow::normal;
  }
  auto find = registry::entry<Action::find>(Type::string);
  Cell* at = stack::push_unset();
  for (;;) {
    int32_t left = string::length_q(*text);
    if (left <= 0) {
      block::append_copy(*out, *piece(text, 0));
      break;
    }
    *at = *text;
    find(at, dlm, FindOptions{});
    bool found = !at->is(Type::none_);
    int32_t head = std::max(series_head(*text), 0);
    Cell* p = piece(text, found ? series_head(*at) - head : left);
    block::append_copy(*out, *p);
    stack::pop(2);
    if (!found) break;
    int32_t next = series_head(*at) + size;  // skip clamps at the tail
    set_series_head(*text, std::min(next, string::length_total(*text)));
  }
  args[0] = *out;
  return Flow::normal;
}

// ---- sum: blocks of integers and floats added as the + operator adds them; any other value
// (or a vector) takes the language body, which nothing has changed yet

bool add_number(Cell* total, const Cell& v) {
  if (total->is(Type::integer) && v.is(Type::integer)) {
    int32_t r;
    if (!__builtin_add_overflow(total->int_value(), v.int_value(), &r)) {
      *total = make_integer(r);
    } else {
      *total = make_float(static_cast<double>(total->int_value()) + static_cast<double>(v.int_value()));
    }
    return true;
  }
  if (!v.is(Type::integer) && !v.is(Type::float_)) return false;
  return interp::float_op(interp::Fast::add, interp::number_of(*total), interp::number_of(v), total);
}

Flow sum_body(Cell* args, NodeId) {
  Cell values = args[0];
  if (!values.is(Type::block) && !values.is(Type::paren) && !values.is(Type::hash)) return language_body();
  int32_t head = std::max(series_head(values), 0);
  int32_t end = block::length_total(values);
  if (head >= end) {
    args[0] = make_integer(0);
    return Flow::normal;
  }
  const Cell* cells = block::cells(values);  // nothing allocates below
  Cell total = cells[head].is(Type::float_) ? make_float(0.0) : make_integer(0);
  if (!cells[head].is(Type::integer) && !cells[head].is(Type::float_)) return language_body();
  int32_t i = head;
  if (total.is(Type::integer)) {  // integers in 32 bits while they stay there
    int32_t n = 0;
    for (; i < end && cells[i].is(Type::integer); ++i) {
      int32_t r;
      if (__builtin_add_overflow(n, cells[i].int_value(), &r)) break;
      n = r;
    }
    total = make_integer(n);
    if (i < end && !add_number(&total, cells[i++])) return language_body();  // to a float, or not a number
  }
  if (i < end && total.is(Type::float_)) {  // then floats, as + adds them, in a register
    double d = total.float_value();
    for (; i < end; ++i) {
      if (cells[i].is(Type::integer)) d += static_cast<double>(cells[i].int_value());
      else if (cells[i].is(Type::float_)) d += cells[i].float_value();
      else break;
    }
    total = make_float(d);
  }
  for (; i < end; ++i)
    if (!add_number(&total, cells[i])) return language_body();
  args[0] = total;
  return Flow::normal;
}

// ---- first .. fifth, last, empty?, last?, also: one action on the argument, as their bodies do

constexpr int32_t no_refinements[32] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

// Runs an action's front end on the cells from args (its first argument and result slot).
void act(Action a, Cell* args) { actions::front_end(static_cast<int>(a))(Call{args, no_refinements, false}); }

// args[1] := length? args[0] (none where the value has no length)
void length_into_second(Cell* args) {
  stack::set_top(args + 1);
  stack::push(args[0]);
  act(Action::length_q, args + 1);
}

template <int N>
Flow nth_body(Cell* args, NodeId) {
  stack::set_top(args + 1);
  stack::push(make_integer(N));
  act(Action::pick, args);
  return Flow::normal;
}

Flow last_body(Cell* args, NodeId) {
  length_into_second(args);
  act(Action::pick, args);
  return Flow::normal;
}

// 0 = length? data, or true for none
Flow empty_q_body(Cell* args, NodeId) {
  if (args[0].is(Type::none_)) {
    args[0] = make_logic(true);
    return Flow::normal;
  }
  length_into_second(args);
  args[0] = make_logic(args[1].is(Type::integer) && args[1].int_value() == 0);
  return Flow::normal;
}

// 1 = length? series
Flow last_q_body(Cell* args, NodeId) {
  length_into_second(args);
  args[0] = make_logic(args[1].is(Type::integer) && args[1].int_value() == 1);
  return Flow::normal;
}

// the first value, already in the result slot (also; quote, whose argument came as it stands)
Flow first_value_body(Cell*, NodeId) { return Flow::normal; }

// ---- the converters (to-integer .. to-url: [to X! :value]) and charset ([make bitset! spec]):
// the action with the datatype the body's word holds at the call, as the body reads it. The body
// `body-of` hands out can be changed in place, so its shape is checked at each call too.

uint32_t to_symbol = 0, make_symbol = 0;  // set when the bodies are bound

// The datatype cell a body reading [action X! argument] names now, or nullptr.
const Cell* datatype_named(const Cell& body, uint32_t action) {
  if (!body.is(Type::block) || block::length_total(body) != 3 || series_head(body) > 0) return nullptr;
  const Cell* c = block::cells(body);
  if (!c[0].is(Type::word) || word::symbol(c[0]) != action || !c[1].is(Type::word)) return nullptr;
  if (!c[2].is(Type::get_word) && !c[2].is(Type::word)) return nullptr;
  const Cell* type = word::value_cell(c[1]);
  return type->is(Type::datatype) ? type : nullptr;
}

template <Action A>
Flow datatype_body(Cell* args, NodeId) {
  NodeId ctx = (stack::frames_top() - 1)->func_context;
  Cell body = function::companion(*context::owner(ctx))[function::Companion::body];
  const Cell* type = datatype_named(body, A == Action::to ? to_symbol : make_symbol);
  if (!type) return language_body();
  Cell datatype = *type;
  stack::set_top(args + 1);
  stack::push(args[0]);
  args[0] = datatype;
  act(A, args);
  return Flow::normal;
}

// Gives each named function whose body reads [action X! argument] the action's C++ body.
template <Action A>
void bind_datatype_bodies(std::initializer_list<const char*> names) {
  static const int32_t entry = function::register_body(datatype_body<A>);
  uint32_t action = A == Action::to ? to_symbol : make_symbol;
  for (const char* name : names) {
    Cell fn = *word::value_cell(word::load(name));
    if (fn.is(Type::function) && datatype_named(function::companion(fn)[function::Companion::body], action))
      function::companion(fn)[function::Companion::entry] = make_integer(entry);
  }
}

// ---- cos .. atan2, sqrt: the native their body calls, on the same arguments (with /radians for
// the trigonometric ones)

static_assert(natives::Refs<natives::Native::sine>::radians == 0, "radians_on turns on the first refinement");
constexpr int32_t radians_on[32] = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

template <natives::Native N, bool Radians>
Flow native_body(Cell* args, NodeId) {
  return natives::entry(static_cast<int>(N))(Call{args, Radians ? radians_on : no_refinements, false});
}

// ---- mod and modulo (and the // operator, made from modulo): integers small enough that no step of
// their bodies leaves 32 bits; anything else takes the language body

constexpr int32_t small_limit = 1 << 29;

bool small_integer(const Cell& c) {
  return c.is(Type::integer) && c.int_value() > -small_limit && c.int_value() < small_limit;
}

// r: a % b, plus b when negative; r - b when |a| + r = |a| + b and r + r - b > 0
int32_t mod_of(int32_t a, int32_t b) {
  int32_t r = a % b;
  if (r < 0) r += b;
  int32_t size = a < 0 ? -a : a;
  return size + r == size + b && r + r - b > 0 ? r - b : r;
}

bool small_pair(const Cell* args) {
  return small_integer(args[0]) && small_integer(args[1]) && args[1].int_value() != 0;
}

Flow mod_body(Cell* args, NodeId) {
  if (!small_pair(args)) return language_body();
  args[0] = make_integer(mod_of(args[0].int_value(), args[1].int_value()));
  return Flow::normal;
}

// r: mod a |b|; 0 when a - r = a or r + b = b
Flow modulo_body(Cell* args, NodeId) {
  if (!small_pair(args)) return language_body();
  int32_t a = args[0].int_value(), b = args[1].int_value();
  int32_t r = mod_of(a, b < 0 ? -b : b);
  args[0] = make_integer(a - r == a || r + b == b ? 0 : r);
  return Flow::normal;
}

// ---- rejoin: the block reduced, its first value copied (a series) or formed, the rest appended

Cell series_types = make_none();  // the series! typeset, set when the bodies are bound

Flow rejoin_body(Cell* args, NodeId) {
  Flow f = natives::entry(static_cast<int>(natives::Native::reduce))(Call{args, no_refinements, false});
  if (f != Flow::normal) return f;
  Cell block = args[0];
  int32_t head = std::max(series_head(block), 0);
  if (head >= block::length_total(block)) return Flow::normal;
  stack::set_top(args + 1);
  Cell* first = stack::push(block::cells(block)[head]);
  Cell* base = stack::push_unset();
  if (typeset::has(series_types, first->type())) {
    base = actions::copy_direct(first, base, nullptr, false, nullptr);
  } else {
    string::make_at(base, 16);
    actions::form_direct(first, base, nullptr, 0x7FFFFFFF);
  }
  args[0] = *base;
  args[1] = block;
  set_series_head(args[1], head + 1);
  stack::set_top(args + 2);
  act(Action::append, args);
  set_series_head(args[0], 0);
  return Flow::normal;
}

struct Compiled {
  const char* name;
  function::CompiledBody body;
};

const Compiled compiled[] = {
    {"split", split_body},
    {"sum", sum_body},
    {"first", nth_body<1>},
    {"second", nth_body<2>},
    {"third", nth_body<3>},
    {"fourth", nth_body<4>},
    {"fifth", nth_body<5>},
    {"last", last_body},
    {"empty?", empty_q_body},
    {"last?", last_q_body},
    {"also", first_value_body},
    {"quote", first_value_body},
    {"rejoin", rejoin_body},
    {"mod", mod_body},
    {"modulo", modulo_body},
    {"cos", native_body<natives::Native::cosine, true>},
    {"sin", native_body<natives::Native::sine, true>},
    {"tan", native_body<natives::Native::tangent, true>},
    {"acos", native_body<natives::Native::arccosine, true>},
    {"asin", native_body<natives::Native::arcsine, true>},
    {"atan", native_body<natives::Native::arctangent, true>},
    {"atan2", native_body<natives::Native::arctangent2, true>},
    {"sqrt", native_body<natives::Native::square_root, false>},
};

}  // namespace

void bind_compiled_bodies() {
  series_types = *word::value_cell(predefined::word(predefined::W::series_type));
  to_symbol = word::symbol(predefined::word(predefined::W::to));
  make_symbol = word::symbol(predefined::word(predefined::W::make));
  constexpr size_t count = sizeof compiled / sizeof compiled[0];
  static const auto entries = [] {
    std::array<int32_t, count> e{};
    for (size_t i = 0; i < count; ++i) e[i] = function::register_body(compiled[i].body);
    return e;
  }();
  for (size_t i = 0; i < count; ++i) {
    Cell* value = word::value_cell(word::load(compiled[i].name));
    if (value->is(Type::function)) function::companion(*value)[function::Companion::entry] = make_integer(entries[i]);
  }
  bind_datatype_bodies<Action::to>({
      "to-bitset", "to-binary", "to-block", "to-char", "to-email", "to-file", "to-float",
      "to-get-path", "to-get-word", "to-hash", "to-integer", "to-issue", "to-lit-path", "to-lit-word",
      "to-logic", "to-map", "to-none", "to-pair", "to-paren", "to-path", "to-percent",
      "to-refinement", "to-set-path", "to-set-word", "to-string", "to-tag", "to-time", "to-typeset",
      "to-tuple", "to-unset", "to-url", "to-word", "to-image", "to-date", "to-money", "to-ref",
      "to-point2D", "to-point3D"});
  bind_datatype_bodies<Action::make>({"charset"});
}

}  // namespace vyn::boot
