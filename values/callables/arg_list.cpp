// values/callables/arg_list.cpp: building and caching argument lists.
#include "values/callables/arg_list.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/words/typeset.hpp"

namespace vyn::args {
namespace {

Cell* cached_slot(const Cell& callable) {
  return reinterpret_cast<Cell*>(buffer_of(cache_node(callable))->data()) + 1;
}

bool is_return(const Cell& item) {
  return item.is(Type::set_word) &&
         symbol::resolve(word::symbol(item)) == symbol::resolve(predefined::symbol(predefined::S::return_));
}

bool is_local(const Cell& item) {
  return item.is(Type::refinement) &&
         symbol::resolve(word::symbol(item)) == symbol::resolve(word::symbol(predefined::refinement(predefined::R::local)));
}

// The typeset of an argument: its type block's types when one follows, else the default.
Cell argument_types(Cell spec, int32_t i) {
  int32_t n = block::length_total(spec);
  if (i + 1 < n) {
    Cell next = block::cells(spec)[i + 1];
    if (next.is(Type::block) && block::vs_length(next) > 0) {
      stack::Mark mark;
      Cell* holder = block::push_only(1);
      typeset::make_in_from_spec(*holder, next);
      return block::cells(*holder)[0];
    }
  }
  return typeset::make_default();
}

// Builds the list into the block on the stack top; answers nothing, the block holds it.
void build(Cell list_block, Cell spec, bool function_like) {
  int32_t refinements = 0;
  int32_t locals = -1;
  int32_t n = block::length_total(spec);
  for (int32_t i = 0; i < n; ++i) {
    Cell item = block::cells(spec)[i];
    if (locals >= 0) {
      if (item.is(Type::set_word)) break;
      ++locals;
      continue;
    }
    Kind kind;
    switch (item.type()) {
      case Type::word: kind = evaluated; break;
      case Type::get_word: kind = literal; break;
      case Type::lit_word: kind = quoted; break;
      case Type::set_word:
        if (!is_return(item)) fire(Err::script_bad_func_def, {item});
        continue;  // the return type: no slot of the context, so no entry
      case Type::refinement:
        if (function_like && is_local(item)) {
          locals = 1;
          continue;
        }
        ++refinements;
        if (!function_like) word::set_index(item, refinements);
        block::append_copy(list_block, item);
        continue;
      default: continue;
    }
    Cell types = argument_types(spec, i);
    types.header = (types.header & ~(3u << 20)) | (kind << 20);
    block::append_copy(list_block, types);
  }
  if (function_like && locals >= 0) block::append_copy(list_block, make_integer(locals));
  if (!function_like && refinements > 0) block::append_copy(list_block, make_integer(refinements));
}

}  // namespace

NodeId cache_node(const Cell& callable) { return callable.w3; }

Cell spec_of(const Cell& callable) { return make_series(Type::block, callable.w2); }

Cell build_list(const Cell& callable) {
  Cell c = callable;
  Type t = c.is(Type::op) ? static_cast<Type>((c.header >> 16) & 0xFF) : c.type();
  stack::Mark mark;
  stack::push(c);
  Cell* list_block = block::push_only(8);
  build(*list_block, spec_of(c), is_function_like(t));
  *cached_slot(c) = *list_block;
  return *list_block;
}

}  // namespace vyn::args
