// values/objects/context.cpp: making contexts, finding and adding words, reading and storing slots,
// binding.
#include "values/objects/context.hpp"

#include "core/error.hpp"
#include "core/gc_layout.hpp"
#include "core/hashtable.hpp"
#include "core/hashtable_symbols.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/cycles.hpp"
#include "values/objects/object.hpp"
#include "values/predefined.hpp"
#include "core/runtime_cells.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"

namespace vyn::context {
namespace {

bool collecting_words = false;

bool is_word_type(Type t) {
  return t == Type::word || t == Type::set_word || t == Type::lit_word || t == Type::get_word ||
         t == Type::refinement;
}

// An object! cell on the value stack keeps a context node alive while it is being built.
Cell* hold(NodeId ctx) {
  Cell* holder = stack::push(make_cell(Type::object));
  set_of(*holder, ctx);
  return holder;
}

// Appends an unset! value slot to a context that keeps its values in a block.
void add_value_slot(NodeId ctx) {
  NodeId values_node = values_word(ctx);
  *block::alloc_tail(make_series(Type::block, values_node)) = make_unset();
}

void keep_in_root(const Cell& word) {
  if (collecting_words) block::append_copy(runtime_cells().root, word);
}

}  // namespace

NodeId word_list(NodeId ctx) { return hashtable::record(word_table(ctx))->values; }
int32_t slot_count(NodeId ctx) {
  return static_cast<int32_t>(buffer_of(word_list(ctx))->tail / sizeof(Cell));
}
Cell* word_at(NodeId ctx, int32_t index) {
  return reinterpret_cast<Cell*>(buffer_of(word_list(ctx))->data()) + index;
}


NodeId global() { return runtime_cells().global; }

NodeId make(int32_t slots, bool stack, bool self, NodeId source, Kind kind) {
  if (slots < 1) slots = 1;
  stack::Mark mark;
  NodeId ctx = alloc::new_cells(2);
  buffer_of(ctx)->tail = 2 * sizeof(Cell);
  header_cell(ctx)[0] = make_cell(Type::context);
  header_cell(ctx)[1] = make_unset();
  hold(ctx);
  Cell from = source ? *header_cell(source) : make_none();
  NodeId words = hashtable::new_(slots, from, hashtable::Kind::symbols, source ? 2 : 0);
  set_word_table(ctx, words);
  if (!stack) set_values_word(ctx, alloc::new_cells_unset(static_cast<uint32_t>(slots)));
  header_cell(ctx)->header = make_header(kind, stack, self, 0, 0).header;
  if (source) {
    for (int32_t i = 0; i < slot_count(ctx); ++i) word::set_context(*word_at(ctx, i), ctx);
  }
  return ctx;
}

NodeId make_from_spec(const Cell& spec, bool stack, bool self, Kind kind) {
  Cell s = spec;
  stack::Mark mark;
  stack::push(s);
  NodeId ctx = make(block::vs_length(s), stack, self, 0, kind);
  hold(ctx);
  int32_t added = 0;
  for (int32_t i = 0; i < block::vs_length(s); ++i) {
    Cell item = block::vs_head(s)[i];
    Type t = item.type();
    if (t != Type::word && t != Type::get_word && t != Type::lit_word && t != Type::refinement) continue;
    int32_t fresh = -1;
    find_word_ex(ctx, word::symbol(item), true, &fresh);
    ++added;
  }
  if (!stack) buffer_of(values_word(ctx))->tail = static_cast<uint32_t>(added) * sizeof(Cell);
  return ctx;
}

NodeId clone(Cell& value, Kind kind) {
  NodeId from = of(value);
  Cell* h = header_cell(from);
  NodeId ctx = make(slot_count(from), h->header & flag_stack, h->header & flag_self, from, kind);
  set_of(value, ctx);
  if (!(header_cell(ctx)->header & flag_stack)) buffer_of(values_word(ctx))->tail = 0;
  return ctx;
}

int32_t find_word(NodeId ctx, uint32_t sym, bool fold) {
  return symbol::find_id(word_table(ctx), sym, fold, 0, nullptr);
}

int32_t find_word_ex(NodeId ctx, uint32_t sym, bool fold, int32_t* out_index) {
  return symbol::find_id(word_table(ctx), sym, fold, ctx, out_index);
}

int32_t find_or_add(NodeId ctx, const Cell& word) {
  int32_t fresh = -1;
  int32_t index = find_word_ex(ctx, word::symbol(word), true, &fresh);
  if (index >= 0) return index;
  if (!on_stack(ctx)) add_value_slot(ctx);
  return fresh;
}

Cell add_word(uint32_t sym, bool fold, bool keep_spelling) {
  NodeId g = global();
  int32_t fresh = -1;
  int32_t index = find_word_ex(g, sym, fold, &fresh);
  Cell word;
  if (index >= 0) {
    word = *word_at(g, index);
    if (fold && keep_spelling && word::symbol(word) != sym) word::set_symbol(word, sym);  // a case variant keeps its spelling
  } else {
    add_value_slot(g);
    word = *word_at(g, fresh);
    if (symbol::alias_of(sym) > 0) word::set_index(word, find_word(g, sym, true));
  }
  keep_in_root(word);
  return word;
}

void get_or_new(NodeId ctx, const Cell& word, Cell* target) {
  int32_t index = find_word(ctx, word::symbol(word), true);
  if (index >= 0) {
    *target = values(ctx)[index];
    return;
  }
  find_or_add(ctx, word);
}

void set_if_absent(NodeId ctx, const Cell& word, const Cell& value) {
  if (find_word(ctx, word::symbol(word), true) >= 0) return;
  Cell v = value;
  int32_t index = find_or_add(ctx, word);
  values(ctx)[index] = v;
}

Cell* value_cell_of(NodeId ctx, uint32_t sym) {
  if (on_stack(ctx)) ctx = global();
  int32_t index = find_word(ctx, sym, true);
  return index < 0 ? nullptr : values(ctx) + index;
}

Cell* value_cell_slow(const Cell& word, NodeId ctx) {
  int32_t index = word::index(word);
  if (index >= 0) {
    Cell* v = values(ctx);
    if (!v) fire(Err::script_not_in_context, {word});
    return v + index;
  }
  if (word::symbol(word) == predefined::symbol(predefined::S::self)) return owner(ctx);
  fire(Err::script_no_value, {word});
}

void set_in(Cell& word, const Cell& value, NodeId ctx, bool notify) {
  Cell v = value;
  int32_t index = word::index(word);
  if (index < 0) {
    index = find_word(ctx, word::symbol(word), false);
    if (index < 0) index = find_or_add(ctx, word);
    word::set_index(word, index);
  }
  Cell* slots = values(ctx);
  if (!slots) fire(Err::script_not_defined, {word});
  if (kind_of(ctx) == Kind::object) word_at(ctx, index)->header |= Cell::flag_word_set;
  Cell* self = owner(ctx);
  if (notify && kind_of(ctx) == Kind::object && object::is_object_like(self->type()) && object::events(*self)) {
    object::set_field_notify(*self, word, index, v);  // the owner's on-change* hears of it
    return;
  }
  slots[index] = v;
}

void bind_word(NodeId ctx, Cell& word) {
  int32_t index = find_word(ctx, word::symbol(word), true);
  if (index < 0) return;
  word::bind(word, ctx, index);
}

void bind_block(Cell block, NodeId ctx, bool self) {
  NodeId node = series_node(block);
  if (cycles::find(node)) return;
  cycles::push(node);
  uint32_t self_symbol = predefined::symbol(predefined::S::self);
  for (int32_t i = series_head(block) < 0 ? 0 : series_head(block); i < block::length_total(block); ++i) {
    Cell* item = block::cells(block) + i;
    Type t = item->type();
    if (is_word_type(t)) {
      if (self && t == Type::word && word::symbol(*item) == self_symbol) {
        word::bind(*item, ctx, -1);

      } else {
        bind_word(ctx, *item);
      }
    } else if (block::is_any_block(t)) {
      bind_block(*item, ctx, self);
    }
  }
  cycles::pop();
}

bool collect_set_words(NodeId ctx, Cell block) {
  int32_t before = slot_count(ctx);
  for (int32_t i = 0; i < block::vs_length(block); ++i) {
    Cell item = block::vs_head(block)[i];
    if (item.is(Type::set_word)) find_or_add(ctx, item);
  }
  return slot_count(ctx) > before;
}

void set_collecting(bool on) { collecting_words = on; }
bool collecting() { return collecting_words; }

namespace {
// The values block exists only when the values do not live on the value stack, where word 2 is
// a stack position instead.
bool values_not_on_stack(const Cell& h) { return !stack_in(h); }
}  // namespace

void install() {
  registry::define(Type::context, {});  // no actions of its own
  gc::set_layout(Type::context, gc::Layout{{gc::Holds::table, gc::Holds::cells, gc::Holds::nothing}, 1,
                                           values_not_on_stack});
}

}  // namespace vyn::context
