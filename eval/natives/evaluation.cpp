// eval/natives/evaluation.cpp: do (of every kind of value, with /next, /expand, /args and /trace),
// reduce, compose and apply.
#include "core/error.hpp"
#include "values/frames.hpp"
#include "eval/front_ends.hpp"
#include "eval/interp.hpp"
#include "eval/exits.hpp"
#include "eval/interp_internal.hpp"
#include "values/lexer/lexer.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/do_file.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "values/series/block.hpp"
#include "values/objects/error.hpp"
#include "values/predefined.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

bool is_function_value(Type t) {
  return t == Type::function || t == Type::native || t == Type::action || t == Type::op || t == Type::routine;
}

// One expression over a single value, with function values kept as they are.
[[nodiscard]] Flow eval_value(const Cell& v) {
  Cell* holder = block::push_only(1);
  block::append_copy(*holder, v);
  Cell code = *holder;  // stays pushed: it holds the value while it is evaluated
  int32_t position = 0;
  return interp::eval_expression(code, position, 1, false, false, true);
}

// do of a string: its text scanned into a block.
Cell scan_text(const Cell& text) {
  Cell* scanned = stack::push_unset();
  Cell* held = stack::push(text);
  lexer::scan_string(scanned, held, string::length(*held), lexer::ScanArgs{});
  Cell block = *scanned;
  stack::set_top(scanned + 1);  // the block stays held below the top
  return block;
}

// do reads its refinements in helpers as well.
using DoRef = Refs<Native::do_>;

[[nodiscard]] Flow do_any_block(const Call& c, Cell value) {
  Cell* next_word = c.ref(DoRef::next);
  int32_t len = block::length_total(value);
  if (series_head(value) > len) value.w1 = static_cast<uint32_t>(len);
  if (c.has(DoRef::expand)) {
    Flow f = expand_block(value);
    if (f != Flow::normal) return f;
  }
  if (!next_word) return do_block(value);
  Cell where = *next_word;
  int32_t after = 0;
  Flow f = interp::eval_single(value, after);
  if (f != Flow::normal) return f;
  Cell position = value;
  position.w1 = static_cast<uint32_t>(after);
  word::set(where, position);
  return Flow::normal;
}

[[nodiscard]] Flow do_value(const Call& c, Cell value) {
  switch (value.type()) {
    case Type::block: case Type::paren: case Type::hash: return do_any_block(c, value);
    case Type::string: return do_any_block(c, scan_text(value));
    case Type::path: {
      Cell* holder = block::push_only(1);
      block::append_copy(*holder, value);
      int32_t position = 0;
      Cell code = *holder;
      return interp::eval_path_at(value, code, position, 1, false, false, false);
    }
    case Type::file: case Type::url: {
      Cell args = c.has(DoRef::args) ? *c.ref(DoRef::args) : make_none();
      return do_file(c.args, args, c.has(DoRef::expand));
    }
    default: return eval_value(value);
  }
}

// A return or exit that ended at the frame do/trace claimed goes on from there to the frame it
// was meant for (or raises throw/return when there is none).
[[nodiscard]] Flow return_onwards(Flow f) {
  Cell value = *stack::arguments();
  stack::mark_native(nullptr);
  stack::push(value);
  return stack::throw_return(f == Flow::return_);
}

// Whether values go at the output's tail: decided once, when the output is first taken.
bool appends(const Cell& out) { return series_head(out) >= block::length_total(out); }

// Adds a value to the output: appended at the tail, or inserted as one value at its position
// (which then moves past it).
// The value is pushed first: it may be held by nothing else while the output grows.
void add(Cell* out, const Cell& value, bool splice_block, bool at_tail) {
  Cell* v = stack::push(value);
  v->set_new_line(false);
  if (splice_block && v->is(Type::block)) {
    if (at_tail) block::append_from(*out, *v);
    else *out = block::insert_all(*out, *v);
  } else if (at_tail) {
    block::append_copy(*out, *v);
  } else {
    *out = block::insert_cell(*out, *v, true, false);
  }
  stack::pop(1);
}

Cell* output(const Call& c, int into_ref, const Cell& source) {
  if (c.has(into_ref)) return c.ref(into_ref);
  int32_t n = source.is(Type::block) ? block::vs_length(source) : 1;
  return block::push_only(n < 1 ? 1 : n);
}

}  // namespace

Flow reduce_into(Cell source, Cell* out) {
  bool at_tail = appends(*out);
  int32_t end = block::length_total(source);
  int32_t position = series_head(source) < 0 ? 0 : series_head(source);
  while (position < end) {
    Flow f = interp::eval_next(source, position, end, true);
    if (f != Flow::normal) return f;
    Cell v = *stack::last_value();
    stack::pop(1);
    add(out, v, false, at_tail);
  }
  return Flow::normal;
}

namespace {

[[nodiscard]] Flow compose_into(Cell source, Cell* out, bool deep, bool only, bool at_tail);

[[nodiscard]] Flow compose_paren(const Cell& p, Cell* out, bool only, bool at_tail) {
  if (block::vs_length(p) == 0) return Flow::normal;
  Cell* held = stack::top();  // the output and what the caller pushed stay below
  stack::mark_native(&body_word());
  stack::push_unset();
  Flow f = interp::eval_block(p, true);
  if (f != Flow::normal) return f;
  Cell r = *stack::arguments();
  stack::unwind_drop();  // cuts back to the caller's arguments, below the output
  stack::set_top(held);
  if (r.is(Type::unset)) return Flow::normal;
  if (!only && r.is(Type::block)) {
    if (block::vs_length(r) == 0) return Flow::normal;
    add(out, r, true, at_tail);
  } else {
    add(out, r, false, at_tail);
  }
  return Flow::normal;
}

Flow compose_into(Cell source, Cell* out, bool deep, bool only, bool at_tail) {
  int32_t end = block::length_total(source);
  for (int32_t i = series_head(source) < 0 ? 0 : series_head(source); i < end; ++i) {
    Cell v = block::cells(source)[i];
    if (v.is(Type::paren)) {
      Flow f = compose_paren(v, out, only, at_tail);
      if (f != Flow::normal) return f;
    } else if (deep && v.is(Type::block)) {
      Cell* inner = block::push_only(block::vs_length(v));
      Flow f = compose_into(v, inner, true, only, true);
      if (f != Flow::normal) return f;
      Cell made = *inner;
      made.header = (made.header & 0xFF) | (v.header & ~0xFFu);
      Cell* kept = stack::push(made);
      if (at_tail) block::append_copy(*out, *kept);
      else *out = block::insert_cell(*out, *kept, true, false);
      stack::pop(2);
    } else {
      Cell* pushed = stack::push(v);
      if (at_tail) block::append_copy(*out, *pushed);
      else *out = block::insert_cell(*out, *pushed, true, false);
      stack::pop(1);
    }
  }
  return Flow::normal;
}

}  // namespace

// With /trace the frame below is claimed as the target of return and exit, and the callback
// becomes the tracer unless one runs already; both are undone however the evaluation ends.
Flow do_(const Call& c) {
  Cell value = c.args[0];
  bool traced = c.has(DoRef::trace);
  stack::CallFrame* claimed = traced ? stack::claim_caller_frame() : nullptr;
  if (value.is(Type::error)) {
    if (claimed) stack::clear_frame_flag(claimed);
    error::raise(value);
  }
  if (!traced) return do_value(c, value);
  bool started = !trace::enabled;
  Flow f;
  try {
    if (started) trace::start(*c.ref(DoRef::trace), value);
    f = do_value(c, value);
  } catch (const Raised&) {
    if (claimed) stack::clear_frame_flag(claimed);
    if (started) trace::finish_raising();
    throw;
  } catch (const Exit&) {  // an exit out of a handler (on-change*, a port actor): its frames are cut already
    if (claimed && claimed < stack::frames_top()) stack::clear_frame_flag(claimed);
    if (started) trace::stop();
    throw;
  }
  if (claimed) stack::clear_frame_flag(claimed);
  if (started) trace::finish(f == Flow::normal ? c.args[0] : make_unset());
  if ((f == Flow::return_ || f == Flow::exit) && claimed) return return_onwards(f);
  return f;
}

Flow reduce_(const Call& c) {
  using Ref = Refs<Native::reduce>;
  Cell value = c.args[0];
  Cell* out = c.has(Ref::into) ? c.ref(Ref::into) : nullptr;
  if (!value.is(Type::block)) {
    if (is_function_value(value.type()) && !out) return Flow::normal;
    Flow f = is_function_value(value.type()) ? Flow::normal : eval_value(value);
    if (f != Flow::normal || !out) return f;
    add(out, c.args[0], false, appends(*out));
    c.args[0] = *out;
    return Flow::normal;
  }
  Cell* result = output(c, Ref::into, value);
  Flow f = reduce_into(value, result);
  if (f != Flow::normal) return f;
  c.args[0] = *result;
  if (!out) c.args[0].w1 = 0;
  stack::keep();
  return Flow::normal;
}

Flow compose_(const Call& c) {
  using Ref = Refs<Native::compose>;
  Cell value = c.args[0];
  if (!value.is(Type::block)) fire(Err::script_expect_val, {make_datatype(Type::block), make_datatype(value.type())});
  Cell* out = output(c, Ref::into, value);
  Flow f = compose_into(value, out, c.has(Ref::deep), c.has(Ref::only), appends(*out));
  if (f != Flow::normal) return f;
  c.args[0] = *out;
  if (!c.has(Ref::into)) c.args[0].w1 = 0;
  stack::keep();
  return Flow::normal;
}

// apply: func is a word (any of the four kinds), a path, or a function value; args gives the
// arguments, positionally with /all, else with refinements named; /safer takes one value each.
Flow apply_(const Call& c) {
  using Ref = Refs<Native::apply>;
  Cell func = c.args[0];
  Cell args = c.args[1];
  Cell name = predefined::word(predefined::W::applied);
  Cell path = make_none();
  Cell fn = func;
  Type t = func.type();
  if (t == Type::word || t == Type::lit_word || t == Type::get_word || t == Type::set_word || t == Type::path) {
    Cell head = func;
    if (t == Type::path) {
      // the interpreter reads the refinements from the path's second cell: its first must be a word
      if (block::length_total(func) < 1) fire(Err::script_invalid_arg, {func});
      head = block::cells(func)[0];
      Type h = head.type();
      if (h != Type::word && h != Type::lit_word && h != Type::get_word && h != Type::set_word)
        fire(Err::script_invalid_arg, {func});
      path = func;
    }
    head.header = static_cast<uint32_t>(Type::word);
    fn = *word::value_cell(head);
    name = head;
  }
  if (!is_function_value(fn.type())) fire(Err::script_invalid_arg, {func});
  if (fn.is(Type::op)) fn.header = (fn.header & ~0x00FF00FFu) | ((fn.header >> 16) & 0xFF);
  int mode = c.has(Ref::all) ? interp::apply_positional : interp::apply_named;
  if (c.has(Ref::safer)) mode |= interp::apply_single;
  stack::set_top_frame_mark();
  int32_t position = series_head(args) < 0 ? 0 : series_head(args);
  int32_t end = block::length_total(args);
  interp::CallSite site{name, path, 1, make_none(), false, false, mode};
  stack::keep();
  Cell* held = stack::push(args);
  (void)held;
  return interp::eval_code(fn, args, position, end, false, site);
}

}  // namespace vyn::natives
