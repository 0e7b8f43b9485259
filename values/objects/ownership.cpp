// values/objects/ownership.cpp: the owners table, binding series to their owner objects, and the
// notices that reach an owner's on-deep-change*.
#include "values/objects/ownership.hpp"

#include "core/error.hpp"
#include "core/gc.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/cycles.hpp"
#include "values/objects/object.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::ownership {
namespace {

NodeId owners = 0;
constexpr int32_t record_cells = 3;  // the owned value, the owner, the field word

// Series (image! included) and bitset! values are keyed by their node.
bool keyed_by_node(Type t) {
  return series::is_cell_series(t) || series::is_char_series(t) || t == Type::binary ||
         t == Type::vector || t == Type::bitset || t == Type::image;
}
bool walked_block(Type t) { return block::is_any_block(t); }

NodeId key_of(const Cell& v) {
  if (object::is_object_like(v.type())) return object::context(v);
  return keyed_by_node(v.type()) ? series_node(v) : 0;
}

bool is_owner(NodeId ctx) { return context::header_cell(ctx)->header & object::owner_mark; }

Cell plain_word(Cell w) {
  w.header = static_cast<uint32_t>(Type::word);
  return w;
}

// Walks the cells of a block from its head, calling f with each value. The block is read again
// after each call, which may allocate.
template <class F>
void each_cell(Cell b, F f) {
  NodeId node = series_node(b);
  if (cycles::find(node)) return;
  cycles::push(node);
  int32_t head = series_head(b) < 0 ? 0 : series_head(b);
  for (int32_t i = head; i < block::length_total(b); ++i) f(block::cells(b)[i]);
  cycles::pop();
}

template <class F>
void each_field(NodeId ctx, F f) {
  if (is_owner(ctx) || cycles::find(ctx)) return;
  cycles::push(ctx);
  for (int32_t i = 0; i < context::slot_count(ctx); ++i)
    f(context::values(ctx)[i], plain_word(*context::word_at(ctx, i)));
  cycles::pop();
}

// The table is a root of the collector, but a weak one: its records live only as long as what
// they name.
void mark_table(void*) { mark(gc::marker()); }
void sweep_table(void*) { sweep(gc::marker()); }

}  // namespace

void init() {
  gc::add_mark_callback(mark_table, nullptr);
  gc::add_sweep_callback(sweep_table, nullptr);
  owners = hashtable::new_(1000, make_none(), hashtable::Kind::weak_records, record_cells);
}
NodeId table() { return owners; }

void bind(Cell v, Cell owner, Cell word) {
  Type t = v.type();
  if (keyed_by_node(t)) {
    SeriesBuffer* b = buffer_of(series_node(v));
    if (!(b->flags & SeriesBuffer::owned)) {
      b->flags |= SeriesBuffer::owned;
      Cell* record = hashtable::put_key(owners, series_node(v));
      record[0] = v;
      record[1] = owner;
      record[2] = word;
    }
    if (walked_block(t)) each_cell(v, [&](Cell item) { bind(item, owner, word); });
  } else if (object::is_object_like(t)) {
    each_field(object::context(v), [&](Cell value, Cell field) {
      if (!(object::is_object_like(value.type()) && object::context(value) == object::context(owner))) bind(value, owner, field);
    });
  }
}

void set_owner(Cell value, Cell owner, Cell word) {
  bind(value, owner, word);
  context::header_cell(object::context(owner))->header |= object::owner_mark;
}

void unbind(Cell v) {
  Type t = v.type();
  if (keyed_by_node(t)) {
    NodeId node = series_node(v);
    buffer_of(node)->flags &= ~SeriesBuffer::owned;
    if (Cell* record = hashtable::get_key(owners, node)) {
      for (int32_t i = 0; i < record_cells; ++i) record[i] = make_unset();
      hashtable::remove_key(owners, node);
    }
    if (walked_block(t)) each_cell(v, [](Cell item) { unbind(item); });
  } else if (object::is_object_like(t)) {
    each_field(object::context(v), [](Cell value, Cell) { unbind(value); });
  }
}

void unbind_range(Cell s, int32_t index, int32_t n) {
  for (int32_t i = index; i < index + n && i < block::length_total(s); ++i)
    unbind(block::cells(s)[i]);
}

Cell* get(NodeId key) {
  Cell* record = hashtable::get_key(owners, key);
  return record ? record + 1 : nullptr;
}

bool check(Cell value, Cell action, const Cell* new_value, int32_t index, int32_t part) {
  NodeId key = key_of(value);
  Cell* record = key ? hashtable::get_key(owners, key) : nullptr;
  if (!record || !object::events(record[1])) return false;

  Cell owner = record[1];
  Cell word = record[2];
  object::fire_on_deep_set(owner, word, value, action, new_value, index, part);
  return true;
}

Cell action_word(Action a, bool past) {
  using predefined::S;
  using predefined::W;
  auto pair = [&](W now, W then) { return predefined::word(past ? then : now); };
  auto by_symbol = [&](S now, W then) {
    if (past) return predefined::word(then);
    Cell w;
    return *word::make_at(predefined::symbol(now), &w);
  };
  switch (a) {
    case Action::clear: return pair(W::clear, W::cleared);
    case Action::poke: return pair(W::poke, W::poked);
    case Action::remove: return by_symbol(S::remove, W::removed);
    case Action::reverse: return pair(W::reverse, W::reversed);
    case Action::random: return pair(W::random, W::randomized);
    case Action::take: return pair(W::take, W::taken);
    case Action::move: return pair(W::move, W::moved);
    case Action::append: return pair(W::append, W::appended);
    case Action::insert: return by_symbol(S::insert, W::inserted);
    case Action::change: return pair(W::change, W::changed);
    case Action::put: return pair(W::put, W::put_ed);
    case Action::sort: return pair(W::sort, W::sorted);
    case Action::swap: return pair(W::swap, W::swaped);
    case Action::trim: return pair(W::trim, W::trimmed);
    default: return word::load(registry::action_word(a));
  }
}

bool notify(const Cell& series, Action a, bool past, int32_t index, int32_t count, const Cell* value) {
  Cell s = series;
  NodeId key = key_of(s);
  Cell* record = key ? hashtable::get_key(owners, key) : nullptr;
  if (!record || !object::events(record[1])) return false;

  Cell added = value ? *value : make_none();
  Cell word = action_word(a, past);
  return check(s, word, value ? &added : nullptr, index, count);
}

void mark(hashtable::Marker& m) {
  if (owners) hashtable::mark(owners, m);
}

void sweep(hashtable::Marker& m) {
  if (owners) hashtable::sweep_weak(owners, m);
}

}  // namespace vyn::ownership
