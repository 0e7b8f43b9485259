// eval/natives/words.cpp: get, set, unset, value?, context?, bind, in, construct and extend.
#include <optional>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "eval/interp_internal.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/set_many.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/maps/map.hpp"
#include "values/objects/object.hpp"
#include "values/objects/object_entries.hpp"
#include "values/predefined.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

bool is_path(Type t) {
  return t == Type::path || t == Type::lit_path || t == Type::set_path || t == Type::get_path;
}

// A path read: the value lands in the call's result slot. With /case the steps into maps match
// keys case-sensitively.
Flow get_path(const Cell& path, bool case_) {
  std::optional<map::CasePaths> strict;
  if (case_) strict.emplace();
  int32_t position = 0;
  return interp::eval_path_at(path, make_none(), position, 0, false, true, false);
}

// A path write: the path evaluator stores the first cell of the current frame, so the value goes
// into a frame of its own. /case as for get.
Flow set_path(const Cell& path, const Cell& value, bool case_) {
  std::optional<map::CasePaths> strict;
  if (case_) strict.emplace();
  stack::mark_native(&body_word());
  stack::push(value);
  int32_t position = 0;
  Flow f = interp::eval_path_at(path, make_none(), position, 0, true, false, false);
  if (f != Flow::normal) return f;
  stack::unwind();
  return Flow::normal;
}

// The context a bind names: a word's, an object's or a function's; a word bound nowhere names
// none and raises script/not-defined.
NodeId context_from(const Cell& v) {
  if (!context::of(v)) fire(Err::script_not_defined, {v});
  return context::of(v);
}

bool has_self(NodeId ctx) { return context::header_cell(ctx)->header & context::flag_self; }

}  // namespace

Flow get_(const Call& c) {
  using Ref = Refs<Native::get_>;
  Cell target = c.args[0];
  if (is_path(target.type())) return get_path(target, c.has(Ref::case_));
  if (target.is(Type::object)) {
    stack::Mark mark;
    Cell field = word::make(Type::word, predefined::symbol(predefined::S::values), 0, 0);
    c.args[0] = *object::reflect(&c.args[0], &field);
    return Flow::normal;
  }
  Cell value = *word::value_cell(target);
  if (value.is(Type::unset) && !c.has(Ref::any)) fire(Err::script_no_value, {target});
  c.args[0] = value;
  return Flow::normal;
}

// /any /case /only /some
Flow set_(const Call& c) {
  using Ref = Refs<Native::set_>;
  Cell target = c.args[0];
  bool any = c.has(Ref::any), only = c.has(Ref::only), some = c.has(Ref::some);
  if (!any && c.args[1].is(Type::unset)) fire(Err::script_need_value, {target});
  if (is_path(target.type())) {
    Flow f = set_path(target, c.args[1], c.has(Ref::case_));
    if (f != Flow::normal) return f;
  } else if (target.is(Type::object)) {
    object::transfer(&c.args[0], &c.args[1], any, only, some);
  } else if (target.is(Type::block)) {
    set_many(target, c.args[1], any, only, some);
  } else {
    word::set(target, c.args[1]);
  }
  c.args[0] = c.args[1];
  return Flow::normal;
}

Flow unset_(const Call& c) {
  Cell target = c.args[0];
  if (target.is(Type::block)) {
    for (int32_t i = 0; i < block::vs_length(target); ++i) {
      Cell w = block::vs_head(target)[i];
      if (w.is(Type::word)) word::set(w, make_unset());
    }
  } else {
    word::set(target, make_unset());
  }
  c.args[0] = make_unset();
  return Flow::normal;
}

// A word bound nowhere has no value rather than an error.
Flow value_q(const Call& c) {
  const Cell& v = c.args[0];
  Type t = v.type();
  bool has = !v.is(Type::unset);
  if (t == Type::word || t == Type::set_word || t == Type::get_word || t == Type::lit_word)
    has = word::context(v) != 0 && !word::value_cell(v)->is(Type::unset);
  c.args[0] = make_logic(has);
  return Flow::normal;
}

// The owner of the word's context; none for a word bound nowhere or to the global context,
// which no value stands for.
Flow context_q(const Call& c) {
  NodeId ctx = word::context(c.args[0]);
  Cell owner = ctx ? *context::owner(ctx) : make_none();
  c.args[0] = owner.is(Type::unset) ? make_none() : owner;
  return Flow::normal;
}

// /copy
Flow bind_(const Call& c) {
  using Ref = Refs<Native::bind>;
  NodeId ctx = context_from(c.args[1]);
  Cell target = c.args[0];
  if (word::any_word_q(target.type())) {
    context::bind_word(ctx, target);
    c.args[0] = target;
    return Flow::normal;
  }
  if (c.has(Ref::copy)) c.args[0] = *object::copy_series_deep(target);
  context::bind_block(c.args[0], ctx, has_self(ctx));
  return Flow::normal;
}

Flow in_(const Call& c) {
  Cell source = c.args[0];
  Type t = source.type();
  if (!object::is_object_like(t) && t != Type::function && t != Type::routine)
    fire(Err::script_invalid_arg, {source});
  NodeId ctx = context::of(source);
  Cell w = c.args[1];
  if (w.is(Type::refinement)) w.set_type(Type::word);
  int32_t index = context::find_word(ctx, word::symbol(w), true);
  if (index < 0) {
    c.args[0] = make_none();
    return Flow::normal;
  }
  context::bind_word(ctx, w);
  c.args[0] = w;
  return Flow::normal;
}

// /with object /only
Flow construct_(const Call& c) {
  using Ref = Refs<Native::construct>;
  const Cell* proto = c.has(Ref::with) ? c.ref(Ref::with) : nullptr;
  c.args[0] = *object::make_push(c.args[0], proto, c.has(Ref::only));
  return Flow::normal;
}

// A map! takes the spec's key/value pairs (case-sensitive keys with /case). An object!'s words
// are fixed when it is made, so extending one answers internal/not-done.
Flow extend_(const Call& c) {
  using Ref = Refs<Native::extend>;
  if (!c.args[0].is(Type::map)) fire(Err::internal_not_done);
  c.args[0] = *map::extend(&c.args[0], &c.args[1], c.has(Ref::case_));
  return Flow::normal;
}

}  // namespace vyn::natives
