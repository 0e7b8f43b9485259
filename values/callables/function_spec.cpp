// values/callables/function_spec.cpp: the spec dialect of functions: checking a spec, counting its locals,
// and collecting the locals of the `function` maker.
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/cycles.hpp"
#include "values/callables/function.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::function {
namespace {

using predefined::S;

uint32_t canonical(uint32_t sym) { return symbol::resolve(sym); }
bool spelled(const Cell& w, uint32_t sym) { return canonical(word::symbol(w)) == canonical(sym); }
bool is_local(const Cell& c) {
  return c.is(Type::refinement) && spelled(c, word::symbol(predefined::refinement(predefined::R::local)));
}
bool is_extern(const Cell& c) {
  return c.is(Type::refinement) && spelled(c, word::symbol(predefined::refinement(predefined::R::extern_)));
}
bool argument_word(Type t) { return t == Type::word || t == Type::lit_word || t == Type::get_word; }
bool entry_word(Type t) { return argument_word(t) || t == Type::refinement; }

// Cell i from the spec's head. Nothing in this file's checks allocates, so the address holds.
Cell at(Cell spec, int32_t i) { return block::vs_head(spec)[i]; }

// A type block: datatypes, typesets, and words whose value is a datatype!, typeset! or word!.
void check_type_block(Cell types) {
  for (int32_t i = 0; i < block::vs_length(types); ++i) {
    Cell item = at(types, i);
    if (item.is(Type::datatype) || item.is(Type::typeset)) continue;
    if (!item.is(Type::word)) fire(Err::script_invalid_type_spec, {item});
    const Cell* v = word::value_cell(item);
    if (v->is(Type::unset)) fire(Err::script_no_value, {item});
    if (!v->is(Type::datatype) && !v->is(Type::typeset) && !v->is(Type::word))
      fire(Err::script_invalid_type_spec, {item});
  }
}

// The attribute block: words only; trace and no-trace give header flags.
uint32_t attribute_flags(Cell spec, Cell attributes) {
  uint32_t flags = 0;
  for (int32_t i = 0; i < block::vs_length(attributes); ++i) {
    Cell item = at(attributes, i);
    if (!item.is(Type::word)) fire(Err::script_bad_func_def, {spec});
    if (spelled(item, predefined::symbol(S::trace))) flags |= flag_trace;
    if (spelled(item, predefined::symbol(S::no_trace))) flags |= flag_no_trace;
  }
  return flags;
}

// Every pair of word-like entries is compared; the later of a pair sharing a symbol is raised.
void check_duplicates(Cell spec, int32_t from) {
  int32_t n = block::vs_length(spec);
  for (int32_t i = from; i < n; ++i) {
    Cell a = at(spec, i);
    if (!entry_word(a.type())) continue;
    for (int32_t j = i + 1; j < n; ++j) {
      Cell b = at(spec, j);
      if (entry_word(b.type()) && spelled(b, word::symbol(a))) fire(Err::script_dup_vars, {b});
    }
  }
}

struct Walk {
  Cell spec;
  int32_t n;
  int32_t i = 0;
  bool seen_return = false;
  bool seen_local = false;

  [[noreturn]] void bad() const { fire(Err::script_bad_func_def, {spec}); }
  bool has(int32_t k) const { return k < n; }
  Type type_at(int32_t k) const { return at(spec, k).type(); }

  void argument(const Cell& item) {
    if (seen_return && !seen_local) bad();
    if (seen_local && !item.is(Type::word)) bad();
    ++i;
    if (has(i + 1) && type_at(i) == Type::string && type_at(i + 1) == Type::block) bad();
    if (has(i) && type_at(i) == Type::block) check_type_block(at(spec, i++));
  }

  void return_spec(const Cell& item) {
    if (!spelled(item, predefined::symbol(S::return_)) || seen_return || seen_local) bad();
    seen_return = true;
    ++i;
    if (!has(i) || type_at(i) != Type::block) bad();
    check_type_block(at(spec, i++));
    if (has(i) && type_at(i) != Type::refinement && type_at(i) != Type::string) bad();
  }

  void refinement(const Cell& item) {
    if (seen_local) bad();
    if (is_local(item)) {
      seen_local = true;
    } else if (seen_return) {
      bad();
    }
    ++i;
    if (!has(i)) return;
    Type next = type_at(i);
    if (!entry_word(next) && next != Type::set_word && next != Type::string) bad();
  }
};

}  // namespace

uint32_t validate_spec(Cell spec) {
  Walk w{spec, block::vs_length(spec)};
  uint32_t flags = 0;
  if (w.has(0) && w.type_at(0) == Type::block) {
    flags = attribute_flags(spec, at(spec, 0));
    w.i = 1;
  }
  int32_t first_entry = w.i;
  while (w.has(w.i)) {
    Cell item = at(spec, w.i);
    switch (item.type()) {
      case Type::string: ++w.i; break;
      case Type::word: case Type::lit_word: case Type::get_word: w.argument(item); break;
      case Type::set_word: w.return_spec(item); break;
      case Type::refinement: w.refinement(item); break;
      default: w.bad();
    }
  }
  check_duplicates(spec, first_entry);
  return flags;
}

int32_t count_refinements(const Cell& spec, int32_t start, bool require) {
  Cell s = spec;
  int32_t n = block::vs_length(s);
  for (int32_t i = start < 0 ? 0 : start; i < n; ++i) {
    if (!is_local(at(s, i))) continue;
    int32_t count = 1;
    for (int32_t j = i + 1; j < n; ++j)
      if (at(s, j).is(Type::word)) ++count;
    return count;
  }
  return require ? -1 : 0;
}

namespace {

// The words the body may not make local: the spec's words (of any kind, as plain words), and the
// words collected so far.
struct Locals {
  Cell* collected;
  Cell* ignore;

  bool ignored(const Cell& w) const {
    Cell list = *ignore;
    for (int32_t i = 0; i < block::length_total(list); ++i) {
      const Cell& item = block::cells(list)[i];
      if (item.is(Type::word) && spelled(item, word::symbol(w))) return true;
    }
    return false;
  }

  void collect(Cell w) {
    w.header = static_cast<uint32_t>(Type::word);
    if (ignored(w)) return;
    block::append_copy(*collected, w);
    block::append_copy(*ignore, w);
  }

  // Words, lit-words and get-words of a loop's word block, or the one word after the loop word.
  void loop_words(Cell next) {
    if (next.is(Type::word) || next.is(Type::set_word)) {
      collect(next);
      return;
    }
    if (!next.is(Type::block)) return;
    for (int32_t i = 0; i < block::vs_length(next); ++i) {
      Cell item = at(next, i);
      if (argument_word(item.type())) collect(item);
    }
  }

  bool loop_word(const Cell& w) const {
    return w.is(Type::word) && (spelled(w, predefined::symbol(S::repeat)) ||
                                spelled(w, predefined::symbol(S::foreach)) ||
                                spelled(w, predefined::symbol(S::remove_each)));
  }

  void walk(Cell code) {
    NodeId node = series_node(code);
    if (cycles::find(node)) return;
    cycles::push(node);
    for (int32_t i = 0; i < block::vs_length(code); ++i) {
      Cell item = at(code, i);
      if (item.is(Type::set_word)) {
        collect(item);
      } else if (loop_word(item) && i + 1 < block::vs_length(code)) {
        loop_words(at(code, i + 1));
      } else if (item.is(Type::block) || item.is(Type::paren)) {
        walk(item);
      }
    }
    cycles::pop();
  }
};

// Turns the ignore list's entries into plain words; with /extern any other kind of value is an
// error.
void normalise_ignore_list(Cell list, bool has_extern) {
  for (int32_t i = 0; i < block::length_total(list); ++i) {
    Cell* item = block::cells(list) + i;
    switch (item->type()) {
      case Type::set_word: case Type::lit_word: case Type::get_word: case Type::refinement:
        item->header = static_cast<uint32_t>(Type::word);
        break;
      case Type::word: case Type::block: case Type::string: break;
      default:
        if (has_extern) fire(Err::script_bad_func_extern, {*item});
    }
  }
}

int32_t find_refinement(Cell spec, bool (*which)(const Cell&), int32_t from) {
  for (int32_t i = from; i < block::vs_length(spec); ++i)
    if (which(at(spec, i))) return i;
  return -1;
}

}  // namespace

Cell* split_spec(Cell spec, Cell body) {
  Cell* held = stack::push(spec);
  stack::push(body);
  Cell* collected = block::push_only(8);
  Cell* ignore = block::clone(spec, false, false);
  Locals locals{collected, ignore};
  int32_t ext = find_refinement(*held, is_extern, 0);
  if (ext >= 0) {
    int32_t local = find_refinement(*held, is_local, ext + 1);
    for (int32_t i = local < 0 ? block::vs_length(*held) : local + 1; i < block::vs_length(*held); ++i) {
      Cell item = at(*held, i);
      if (item.is(Type::word)) block::append_copy(*collected, item);
    }
    block::truncate_at(*held, series_head(*held) + ext);
  }
  normalise_ignore_list(*ignore, ext >= 0);
  locals.walk(held[1]);
  if (block::length_total(*collected) > 0) {
    if (find_refinement(*held, is_local, 0) < 0)
      block::append_copy(*held, predefined::refinement(predefined::R::local));
    Cell local_word = word::make(Type::word, word::symbol(predefined::word(predefined::W::local)), 0, 0);
    block::find_compare_from(*collected, local_word, true);
    block::append_from(*held, *collected);
  }
  Cell result = *collected;
  stack::set_top(held);
  return stack::push(result);
}

}  // namespace vyn::function
