// values/ports/event.cpp: event! entries: make from a spec block, form and mold, comparison, fields by
// path and pick; and the maker the view back end calls.
#include "values/ports/event.hpp"

#include "core/compare_ops.hpp"
#include "core/error.hpp"
#include "core/gc_layout.hpp"
#include "core/stack.hpp"
#include "values/numbers/pair.hpp"
#include "values/registry.hpp"
#include "values/series/block.hpp"
#include "values/series/path.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::event {
namespace {

enum Slot { face_slot, window_slot, offset_slot, picked_slot, slot_count };

// What a spec walk gathers: the held values live on the value stack, as the walk allocates.
struct Gathered {
  Cell* held;         // slot_count cells, unset until given
  bool given = false;
  int32_t code = 0;
  uint32_t flags = 0, key = 0;
};

// A word or get-word bound to a context stands for its value, one level deep.
Cell resolve(Cell v) {
  if ((v.is(Type::word) || v.is(Type::get_word)) && word::context(v)) return *word::value_cell(v);
  return v;
}

void hold(Gathered& g, Slot s, const Cell& v) {
  g.held[s] = v;
  g.given = true;
}

void take(Gathered& g, Cell name, Cell v) {
  if (word_is(name, "type")) {
    if (v.is(Type::word) || v.is(Type::lit_word)) g.code = type_code(v);
  } else if (word_is(name, "key")) {
    // the last key given wins, so two keys never blend into a third character
    if (v.is(Type::char_)) g.key = char_of(v) & key_mask;
  } else if (word_is(name, "flags")) {
    if (!v.is(Type::block)) return;
    for (int32_t i = series_head(v), n = block::length_total(v); i < n; ++i) {
      Cell w = *block::vs_abs_at(v, i);
      if (w.is(Type::word)) g.flags |= flag_from_word(w);
    }
  } else if (word_is(name, "face") || word_is(name, "window")) {
    if (v.is(Type::object)) hold(g, word_is(name, "face") ? face_slot : window_slot, v);
  } else if (word_is(name, "offset")) {
    if (v.is(Type::pair) || v.is(Type::point2D)) hold(g, offset_slot, v);
  } else if (word_is(name, "picked")) {
    if (v.is(Type::integer)) hold(g, picked_slot, v);
  }
}

// Fills the values block from the held cells, with the defaults for those not given.
void store_values(Cell* event, const Gathered& g) {
  const Cell defaults[slot_count] = {make_none(), make_none(), pair::make(0, 0), make_integer(0)};
  Cell* b = block::push_only(slot_count);
  for (int s = 0; s < slot_count; ++s)
    block::append_copy(*b, g.held[s].is(Type::unset) ? defaults[s] : g.held[s]);
  set_values(*event, series_node(*b));
}

Cell* make_(Cell* proto, Cell* spec, Type) {
  stack::Mark mark;
  Cell* event = stack::push(make_cell(Type::event));
  if (spec->is(Type::block)) {
    Gathered g{stack::push_unset()};
    for (int s = 1; s < slot_count; ++s) stack::push_unset();
    Cell b = *spec;
    int32_t n = block::length_total(b);
    for (int32_t i = series_head(b); i + 1 < n; ++i) {
      Cell name = *block::vs_abs_at(b, i);
      if (!name.is(Type::set_word)) continue;
      Cell v = resolve(*block::vs_abs_at(b, ++i));
      take(g, name, v);
    }
    set_code(*event, g.code);
    set_bits(*event, g.flags | g.key);
    if (g.given) store_values(event, g);
  }
  *proto = *event;
  return proto;
}

int32_t form(Cell*, Cell* buffer, Cell*, int32_t limit) {
  string::append_latin1(*buffer, "event");
  return limit - 5;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return form(value, buffer, part, limit);
}

// Events carry no order: any two are equal, and ordering them cannot be done.
int compare(Cell*, Cell* b, int op) {
  if (!b->is(Type::event)) return -2;
  return is_equality_op(op) ? 0 : -2;
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  Cell path = step.path ? *step.path : make_none();
  int index = field_index(*element, make_none());
  if (index < 0) fire(Err::script_invalid_path, {path, *element});
  if (!value) return push_field(*parent, index);
  if (index != 1) fire(Err::script_bad_path_set, {path, *element});
  if (!value->is(Type::word)) fire(Err::script_bad_path_set, {path, *value});
  set_code(*parent, type_code(*value));
  path::write_back(*parent, step);
  return value;
}

Cell* pick(Cell* value, int32_t position, Cell* boxed) {
  int index = boxed->is(Type::word) ? field_index(*boxed, *value) : position;
  if (index < 1 || index > field_count) fire(Err::script_out_of_range, {*boxed});
  return push_field(*value, index);
}

}  // namespace

// An offset coordinate truncated toward zero; one that no pair can hold reads as 0.
int32_t truncated(float f) {
  if (!(f > -2147483648.0f && f < 2147483648.0f)) return 0;
  return static_cast<int32_t>(f);
}

Cell* push(const Record& r) {
  Cell* event = stack::push(make_cell(Type::event));
  set_code(*event, r.type);
  uint32_t key = r.special ? static_cast<uint32_t>(-r.key) : static_cast<uint32_t>(r.key);
  set_bits(*event, (r.flags & ~key_mask) | (key & key_mask));

  if (r.special) event->header |= special_key;
  stack::Mark mark;
  Gathered g{stack::push(r.face)};
  stack::push(make_none());
  stack::push(pair::make(truncated(r.x), truncated(r.y)));
  stack::push(r.wheel ? make_float(r.wheel_amount) : make_integer(r.picked));
  store_values(event, g);
  return event;
}

Cell* push_cell(const Cell& e) { return stack::push(e); }

namespace {
// The values block is marked only when the header says there is one.
bool holds_values(const Cell& e) { return e.header & has_values; }
}  // namespace

void install() {
  forget_flags_block();
  gc::set_layout(Type::event, gc::Layout{{gc::Holds::nothing, gc::Holds::cells, gc::Holds::nothing}, 1,
                                         holds_values});
  using registry::def;
  registry::define(Type::event, {
      def<Action::make>(make_),
      def<Action::form>(form),
      def<Action::mold>(mold),
      def<Action::eval_path>(eval_path),
      def<Action::compare>(compare),
      def<Action::pick>(pick),
  });
}

// Find-flag? and send-event-os, the routines of event!.
namespace {

bool same_symbol(const Cell& a, const Cell& b) {
  return symbol::resolve(word::symbol(a)) == symbol::resolve(word::symbol(b));
}

bool block_holds(const Cell& b, const Cell& flag) {
  for (int32_t i = series_head(b), n = block::length_total(b); i < n; ++i) {
    const Cell& w = *block::vs_abs_at(b, i);
    if ((w.is(Type::word) || w.is(Type::lit_word)) && same_symbol(w, flag)) return true;
  }
  return false;
}

}  // namespace

// Neither test allocates, so the argument cells can be read in place.
void find_flag_q(routine::Invocation& inv) {
  const Cell& facet = inv.result[0];
  const Cell& flag = inv.result[1];
  bool found = facet.is(Type::word) ? same_symbol(facet, flag)
               : facet.is(Type::block) ? block_holds(facet, flag)
                                       : false;
  *inv.result = make_logic(found);
}

void send_event_os(routine::Invocation& inv) { *inv.result = make_logic(false); }

}  // namespace vyn::event
