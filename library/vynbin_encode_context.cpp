// library/vynbin_encode_context.cpp: the Vynbin records of words, objects, errors and the
// callables. A context is written once, with the first value that owns it; a word bound to it
// (or the same object met again) then refers to that value by its path. A word whose owner has
// not been written yet carries the owner inline.
#include "core/series.hpp"
#include "library/vynbin_writer.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/error.hpp"
#include "values/objects/object.hpp"
#include "values/callables/function.hpp"

namespace vyn::vynbin::writer {
namespace {

bool word_type(Type t) { return t >= Type::word && t <= Type::refinement; }

// Words of the global context, of none, or of a context owned by nothing that can be written
// (a loop's, say) are written by name alone.
bool bound_globally(NodeId ctx) {
  if (ctx == 0 || ctx == context::global()) return true;
  Type owner = context::owner(ctx)->type();
  return owner == Type::unset || owner == Type::none_ || owner == Type::block;
}

void context_record(Writer& w, NodeId ctx) {
  const Cell* h = context::header_cell(ctx);
  uint32_t kind = static_cast<uint32_t>(context::kind_in(*h));
  bool stack = (h->header & context::flag_stack) != 0;
  bool self = (h->header & context::flag_self) != 0;
  int32_t n = context::slot_count(ctx);
  const Cell* values = stack ? nullptr : context::values(ctx);
  int32_t stored = stack ? 0 : static_cast<int32_t>(buffer_of(context::values_in(*h))->tail / sizeof(Cell));
  bool kept = false;
  for (int32_t i = 0; i < n && i < stored; ++i) kept |= !values[i].is(Type::unset);
  if (w.compact) {
    w.head(Type::context, false, 0, false, false);
    w.rec.byte(static_cast<uint8_t>(kind | (stack ? 4 : 0) | (self ? 8 : 0) | (kept ? 16 : 0)));
  } else {
    w.word(static_cast<uint32_t>(Type::context) | kind << 26 | (self ? hw_self : 0) |
           (stack ? hw_stack : 0) | (kept ? hw_values : 0));
  }
  w.u(static_cast<uint32_t>(n));
  for (int32_t i = 0; i < n; ++i) w.u(w.symbol_index(word::symbol(*context::word_at(ctx, i))));
  if (!kept) return;
  for (int32_t i = 0; i < n; ++i) value(w, i < stored ? context::values(ctx)[i] : make_unset());
}

void word(Writer& w, const Cell& v) {
  NodeId ctx = word::context(v);
  uint32_t sym = w.symbol_index(word::symbol(v));
  if (bound_globally(ctx)) {
    w.head(v.type(), false, hw_global, false, v.new_line());
    w.u(sym);
    if (!w.compact) w.s(-1);
    return;
  }
  const Cell owner = *context::owner(ctx);
  Type ot = owner.type();
  if (ot != Type::object && ot != Type::error && ot != Type::function) no_codec(v);
  auto found = w.seen.find(ctx);
  bool shared = found != w.seen.end();
  w.head(v.type(), true, 0, shared, v.new_line());
  w.u(sym);
  w.s(word::index(v));
  if (shared) return w.path(found->second);
  value(w, owner);  // inline, counted with the word
  --w.counter;
}

void object_like(Writer& w, const Cell& v) {
  NodeId ctx = object::context(v);
  if (ctx == context::global()) {
    if (!w.boot) no_codec(v);
    w.head(Type::object, false, 0, false, v.new_line());
    return w.s(global_class_mark);
  }
  if (const std::vector<uint32_t>* p = open_or_find(w, ctx)) {
    w.head(v.type(), false, 0, true, v.new_line());
    return w.path(*p);
  }
  if (v.is(Type::error)) {
    w.head(Type::error, false, 0, false, v.new_line());
    const Cell* code = error::field(v, error::Field::code);
    w.u(code->is(Type::integer) ? static_cast<uint32_t>(code->int_value()) : 0);
    for (int i = 0; i < 6; ++i)
      value(w, *error::field(v, static_cast<error::Field>(static_cast<int>(error::Field::arg1) + i)));
    return close_level(w);
  }
  bool events = object::events(v) != 0;
  w.head(Type::object, events, events ? hw_owner_numbers : 0, false, v.new_line());
  w.s(static_cast<int32_t>(object::class_id(v)));
  if (events) {
    const Cell* ev = reinterpret_cast<const Cell*>(buffer_of(object::events(v))->data());
    w.s(static_cast<int32_t>(object::entry_packed(ev[0])));
    w.s(static_cast<int32_t>(object::entry_packed(ev[1])));
  }
  context_record(w, ctx);
  close_level(w);
}

// Functions made from source only: a body of C++ code has no record but in a boot image, which
// adds the C++ body's entry index, and a byte: bit 0 set when there is a language body, bits 1
// and 2 the no-trace and trace flags that checking the spec gives (start-up need not check it).
void function_(Writer& w, const Cell& v) {
  const Cell body = function::companion(v)[function::Companion::body];
  bool coded = !body.is(Type::block) || function::entry_of(v) != 0;
  if (coded && !w.boot) no_codec(v);
  NodeId ctx = function::context_of(v);
  if (const std::vector<uint32_t>* p = open_or_find(w, ctx)) {
    w.head(Type::function, false, 0, true, v.new_line());
    return w.path(*p);
  }
  w.head(Type::function, false, 0, false, v.new_line());
  w.u(buffer_of(callable::spec_node(v))->tail / sizeof(Cell));
  w.u(body.is(Type::block) ? buffer_of(series_node(body))->tail / sizeof(Cell) : 0);
  context_record(w, ctx);
  w.counter = 0;
  value(w, callable::spec(v));
  value(w, body.is(Type::block) ? body : callable::spec(v));
  if (w.boot) {
    w.s(function::entry_of(v));
    uint32_t flags = function::validate_spec(callable::spec(v));
    w.rec.byte(static_cast<uint8_t>((body.is(Type::block) ? 1 : 0) | (flags & function::flag_no_trace ? 2 : 0) |
                                    (flags & function::flag_trace ? 4 : 0)));
  }
  close_level(w);
}

// A routine, in a boot image only: its flag, its spec, the entry index of its C++ body and the
// type id of its result. Its body is always C++ code.
void routine_(Writer& w, const Cell& v) {
  if (!w.boot) no_codec(v);
  if (const std::vector<uint32_t>* p = open_or_find(w, function::context_of(v))) {
    w.head(Type::routine, false, 0, true, v.new_line());
    return w.path(*p);
  }
  w.head(Type::routine, false, 0, false, v.new_line());
  w.rec.byte((v.header & function::routine_flag) ? 1 : 0);
  value(w, callable::spec(v));
  const Cell* comp = function::companion(v);
  w.s(comp[function::Companion::entry].int_value());
  w.s(comp[function::Companion::owner].int_value());
  close_level(w);
}

// A native or an action: its entry index and its spec, counted as one record.
void builtin(Writer& w, const Cell& v) {
  w.head(v.type(), false, 0, false, v.new_line());
  w.u(static_cast<uint32_t>(native::index(v)));
  value(w, callable::spec(v));
  --w.counter;
}

void op(Writer& w, const Cell& v) {
  if (op::underlying(v) == Type::routine && !w.boot) no_codec(v);
  w.head(Type::op, false, v.header & op::underlying_mask, false, v.new_line());
  Cell inner = op::callee(v);
  inner.set_new_line(false);
  value(w, inner);
  --w.counter;
}

}  // namespace

bool context_value(Writer& w, const Cell& v) {
  Type t = v.type();
  if (word_type(t)) word(w, v);
  else if (t == Type::object || t == Type::error) object_like(w, v);
  else if (t == Type::function) function_(w, v);
  else if (t == Type::native || t == Type::action) builtin(w, v);
  else if (t == Type::op) op(w, v);
  else if (t == Type::routine) routine_(w, v);
  else return false;
  return true;
}

}  // namespace vyn::vynbin::writer
