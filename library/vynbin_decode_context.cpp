// library/vynbin_decode_context.cpp: the Vynbin records of contexts and what holds them: objects,
// errors, functions, natives, actions and operators, and words bound to an object or a function.
// Each value is appended to its parent before its members are read, so that a word inside it
// finds its context by the path of the value being built.
#include "core/error.hpp"
#include "core/series.hpp"
#include "eval/native_table.hpp"
#include "core/stack.hpp"
#include "library/vynbin_reader.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/callables/function.hpp"
#include "values/callables/routine.hpp"
#include "values/objects/object.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::vynbin::reader {
namespace {

using namespace format::header;

constexpr uint32_t decoded_class_id = 0xFFFFFFFF;  // -1: the class of no maker
constexpr int32_t error_first_arg = 3;
constexpr int32_t error_args = 6;
constexpr int action_count = 62;

bool word_type(Type t) { return t >= Type::word && t <= Type::refinement; }

Cell& cell_at(NodeId parent, int32_t index) { return block::cells(make_series(Type::block, parent))[index]; }

// A record read as part of another one, one level deeper.
void nested(Decoder& d, NodeId parent) {
  members(d, parent, 1);
}

struct ContextHead {
  uint32_t kind;
  bool stack, self, values;
  uint32_t count;
};

// The flags and word count of a context record whose head was read.
ContextHead context_head(Decoder& d, const Head& h) {
  ContextHead c{};
  if (d.compact) {
    uint8_t f = d.byte();
    need(d, f < 32);
    c = {f & 3u, (f & 4) != 0, (f & 8) != 0, (f & 16) != 0, 0};
  } else {
    c = {(h.bits >> 26) & 3, (h.bits & hw_stack) != 0, (h.bits & hw_self) != 0, (h.bits & hw_values) != 0, 0};
  }
  need(d, c.kind <= 2 && !(c.stack && c.values));
  c.count = d.count(1);
  return c;
}

// The context part of an object or a function: a context record's head, and its flags.
ContextHead inner_context_head(Decoder& d) {
  Head h{Type::context, false, 0, false, false};
  if (d.compact) {
    need(d, d.byte() == static_cast<uint8_t>(Type::context));
  } else {
    h.bits = d.word();
    need(d, (h.bits & 0x03FFFFFF) == static_cast<uint32_t>(Type::context));
  }
  return context_head(d, h);
}

// Makes the context with its words and pushes it (as an object! cell, which holds it). A word
// named twice is corrupt data: the slots would not match the values.
NodeId make_context(Decoder& d, const ContextHead& c) {
  NodeId ctx = context::make(static_cast<int32_t>(c.count), c.stack, c.self, 0,
                             static_cast<context::Kind>(c.kind));
  stack::push(object::cell_for(ctx));
  for (uint32_t i = 0; i < c.count; ++i) {
    int32_t fresh = -1;
    context::find_word_ex(ctx, d.symbol(), true, &fresh);
    need(d, fresh == static_cast<int32_t>(i));
  }
  if (!c.stack) buffer_of(context::values_word(ctx))->tail = c.count * sizeof(Cell);
  return ctx;
}

// The values of an object's context, decoded into its values block in place.
void context_values(Decoder& d, NodeId ctx, const ContextHead& c) {
  if (!c.values) return;
  NodeId values = context::values_word(ctx);
  buffer_of(values)->tail = 0;
  members(d, values, c.count);
  need(d, buffer_of(values)->tail == c.count * sizeof(Cell));
}

// An object (or a context record standing alone, which gives one of class -1). Its context must
// be an object's: one of another kind would be read as a function's frame or the global context.
void object_body(Decoder& d, NodeId parent, const ContextHead& c, uint32_t class_id, bool events) {
  need(d, !c.stack && c.kind == static_cast<uint32_t>(context::Kind::object));
  int32_t at = next_index(parent);
  {
    stack::Mark mark;
    NodeId ctx = make_context(d, c);
    append(parent, *object::push(ctx, class_id));
  }
  NodeId ctx = object::context(cell_at(parent, at));
  context_values(d, ctx, c);
  if (!events) return;
  stack::Mark mark;
  Cell* held = stack::push(cell_at(parent, at));
  object::ensure_events(held);
  cell_at(parent, at) = *held;
}

// The global context's object (system/words), which only a boot image holds.
void global_object(NodeId parent) {
  Cell words = object::cell_for(context::global(), decoded_class_id);
  object::store_self(words);
  append(parent, words);
}

void object_record(Decoder& d, NodeId parent, const Head& h) {
  // the class id: a decoded object belongs to no maker's class, but in the boot image
  int32_t class_id = d.s();
  if (d.boot && class_id == -2 && !h.bit6) return global_object(parent);
  if (h.bit6) {
    d.s();
    d.s();
  }
  ContextHead c = inner_context_head(d);
  object_body(d, parent, c, d.boot ? static_cast<uint32_t>(class_id) : decoded_class_id, h.bit6);
}

void error_record(Decoder& d, NodeId parent) {
  int32_t at = next_index(parent);
  {
    stack::Mark mark;
    Cell* code = stack::push(make_integer(static_cast<int32_t>(d.u())));
    append(parent, *registry::entry<Action::make>(Type::error)(code, code, Type::error));
  }
  NodeId values = context::values_word(object::context(cell_at(parent, at)));
  uint32_t full = buffer_of(values)->tail;
  need(d, full >= (error_first_arg + error_args) * sizeof(Cell));
  buffer_of(values)->tail = error_first_arg * sizeof(Cell);
  members(d, values, error_args);
  need(d, buffer_of(values)->tail == (error_first_arg + error_args) * sizeof(Cell));
  buffer_of(values)->tail = full;
}

// The spec or the body of a function: a block record read into the given node, or a reference
// whose block the function takes instead. Answers the node the function keeps.
NodeId block_into(Decoder& d, NodeId node) {
  Head h{Type::block, false, 0, false, false};
  if (d.compact) {
    uint8_t b = d.byte();
    for (; b == 0xC0 || b == 0xC1; b = d.byte()) h.shared |= b == 0xC1;
    need(d, (b & 63) == static_cast<uint8_t>(Type::block));
    h.bit6 = (b & 0x40) != 0;
  } else {
    h.bits = d.word();
    need(d, (h.bits & 0xFF) == static_cast<uint32_t>(Type::block));
    h.shared = (h.bits & hw_shared) != 0;
  }
  d.head_index(h);
  if (h.shared) {
    Cell target = d.resolve();
    need(d, target.is(Type::block));
    return series_node(target);
  }
  members(d, node, d.count(1));
  return node;
}

// The function's context must be the one its spec makes, or calls would fill the wrong slots.
void check_spec(Decoder& d, NodeId ctx, const Cell& spec) {
  NodeId made = context::make_from_spec(spec, true, false, context::Kind::function);
  need(d, context::slot_count(made) == context::slot_count(ctx));
  for (int32_t i = 0; i < context::slot_count(ctx); ++i)
    need(d, symbol::resolve(word::symbol(*context::word_at(made, i))) == symbol::resolve(word::symbol(*context::word_at(ctx, i))));
}

// A boot image's function may have a C++ body (its entry index) and no language body; its spec
// was checked when the image was made, which wrote the flags the check gives. Answers them.
uint32_t boot_function_extras(Decoder& d, NodeId parent, int32_t at) {
  int32_t entry = d.s();
  uint8_t bits = d.byte();
  need(d, bits < 8 && entry >= 0 && (entry == 0 || function::compiled_body(entry) != nullptr));
  Cell* comp = function::companion(cell_at(parent, at));
  if (entry) comp[function::Companion::entry] = make_integer(entry);
  if (!(bits & 1)) comp[function::Companion::body] = make_none();
  return (bits & 2 ? function::flag_no_trace : 0) | (bits & 4 ? function::flag_trace : 0);
}

void function_record(Decoder& d, NodeId parent) {
  uint32_t spec_cells = d.count(1), body_cells = d.count(1);
  ContextHead c = inner_context_head(d);
  need(d, c.stack && c.kind == static_cast<uint32_t>(context::Kind::function));
  stack::Mark mark;
  NodeId ctx = make_context(d, c);
  NodeId comp = alloc::new_cells_unset(function::companion_cells);
  buffer_of(comp)->tail = function::companion_cells * sizeof(Cell);
  stack::push(make_series(Type::block, comp));
  Cell* spec = block::push_only(static_cast<int32_t>(spec_cells));
  Cell* body = block::push_only(static_cast<int32_t>(body_cells));
  function::companion(function::make_value(Type::function, ctx, 0, comp))[function::Companion::body] = *body;
  Cell fn = function::make_value(Type::function, ctx, series_node(*spec), comp);
  *context::owner(ctx) = fn;
  int32_t at = next_index(parent);
  append(parent, fn);
  NodeId spec_node = block_into(d, series_node(fn));
  callable::set_spec_node(cell_at(parent, at), spec_node);
  NodeId body_node = block_into(d, series_node(function::companion(fn)[function::Companion::body]));
  function::companion(fn)[function::Companion::body] = make_series(Type::block, body_node);
  Cell spec_block = make_series(Type::block, spec_node);
  if (d.boot) {
    cell_at(parent, at).header |= boot_function_extras(d, parent, at);
  } else {
    check_spec(d, ctx, spec_block);
    cell_at(parent, at).header |= function::validate_spec(spec_block);
  }
  *context::owner(ctx) = cell_at(parent, at);
}

// A native or an action from its entry index and spec, made as `make native! [spec index]` does.
void builtin_record(Decoder& d, NodeId parent, Type t) {
  uint32_t index = d.u();
  bool known = t == Type::native ? natives::entry(static_cast<int>(index)) != nullptr
                                 : index >= 1 && index <= action_count;
  need(d, known);
  int32_t at = next_index(parent);
  append(parent, make_none());
  stack::Mark mark;
  Cell* holder = block::push_only(2);
  nested(d, series_node(*holder));
  need(d, block::cells(*holder)[0].is(Type::block));
  block::cells(*holder)[0].set_new_line(false);
  block::append_copy(*holder, make_integer(static_cast<int32_t>(index)));
  Cell* made = registry::entry<Action::make>(t)(holder, holder, t);
  cell_at(parent, at) = *made;
}

// A routine of a boot image: flag, spec, entry index of its C++ body, result type id.
void routine_record(Decoder& d, NodeId parent) {
  bool flag = d.byte() != 0;
  int32_t at = next_index(parent);
  append(parent, make_none());
  stack::Mark mark;
  Cell* holder = block::push_only(1);
  nested(d, series_node(*holder));
  Cell spec = block::cells(*holder)[0];
  need(d, spec.is(Type::block));
  spec.set_new_line(false);
  int32_t entry = d.s();
  int32_t last = d.s();
  need(d, routine::body(entry) != nullptr);
  function::routine_push(spec, make_none(), entry, last, flag);
  cell_at(parent, at) = *stack::last_value();
}

void op_record(Decoder& d, NodeId parent, const Head& h) {
  int32_t at = next_index(parent);
  nested(d, parent);
  Cell& v = cell_at(parent, at);
  Type t = v.type();
  need(d, t == Type::native || t == Type::action || t == Type::function || (d.boot && t == Type::routine));
  need(d, d.compact || (h.bits & op::underlying_mask) >> op::underlying_shift == static_cast<uint32_t>(t));
  // made as make op! makes one, which refuses what does not take exactly two arguments
  stack::Mark mark;
  Cell* from = stack::push(v);
  cell_at(parent, at) = *registry::entry<Action::make>(Type::op)(from, from, Type::op);
}

// `self` in the body of an object that has one is bound to its context with no slot (index -1):
// it stands for the object.
bool self_word(NodeId ctx, uint32_t sym, int32_t index) {
  return index == -1 && sym == predefined::symbol(predefined::S::self) &&
         (context::header_cell(ctx)->header & context::flag_self);
}

// A word bound to an object or a function: by the path of its owner, or with the owner inline,
// decoded into the word's place and then replaced by the word.
void word_record(Decoder& d, NodeId parent, const Head& h) {
  uint32_t ref = d.symbol_index();
  if (!h.bit6) {
    if (!d.compact) d.s();
    return append(parent, d.global_word(ref, h.type));
  }
  uint32_t sym = d.symbol_at(ref);
  int32_t index = d.s();
  NodeId ctx;
  int32_t at = next_index(parent);
  if (h.shared) {
    ctx = owner_context(d.resolve());
    append(parent, make_none());
  } else {
    nested(d, parent);
    const Cell& owner = cell_at(parent, at);
    need(d, owner.is(Type::object) || owner.is(Type::error) || owner.is(Type::function));
    ctx = context::of(owner);
  }
  need(d, ctx != 0);
  if (!self_word(ctx, sym, index)) {
    if (index == -1) index = context::find_word(ctx, sym, true);
    need(d, index >= 0 && index < context::slot_count(ctx));
    uint32_t slot_sym = word::symbol(*context::word_at(ctx, index));
    need(d, slot_sym == sym || symbol::resolve(slot_sym) == symbol::resolve(sym));
  }
  cell_at(parent, at) = word::make(h.type, sym, ctx, index);
}

Cell shared_target(Decoder& d, Type t) {
  Cell target = d.resolve();
  if (word_type(target.type())) {
    NodeId ctx = owner_context(target);
    need(d, ctx != 0);
    target = *context::owner(ctx);
  }
  if (target.is(Type::op) && t == Type::function)
    target.header = (target.header & ~(op::underlying_mask | 0xFFu)) | static_cast<uint32_t>(t);
  need(d, target.type() == t);
  target.set_new_line(false);
  return target;
}

}  // namespace

bool context_record(Decoder& d, NodeId parent, const Head& h) {
  Type t = h.type;
  if (word_type(t)) {
    word_record(d, parent, h);
    return true;
  }
  if (t != Type::context && t != Type::object && t != Type::error && t != Type::function &&
      t != Type::native && t != Type::action && t != Type::op && t != Type::routine)
    return false;
  need(d, t != Type::routine || d.boot);
  bool shareable = t == Type::object || t == Type::error || t == Type::function || t == Type::routine;
  need(d, !h.shared || shareable);
  if (h.shared) append(parent, shared_target(d, t));
  else if (t == Type::context) object_body(d, parent, context_head(d, h), decoded_class_id, false);
  else if (t == Type::object) object_record(d, parent, h);
  else if (t == Type::error) error_record(d, parent);
  else if (t == Type::function) function_record(d, parent);
  else if (t == Type::op) op_record(d, parent, h);
  else if (t == Type::routine) routine_record(d, parent);
  else builtin_record(d, parent, t);
  return true;
}

}  // namespace vyn::vynbin::reader
