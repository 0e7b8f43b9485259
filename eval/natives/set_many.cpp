// eval/natives/set_many.cpp: setting the words of a block from one value.
#include "eval/natives/set_many.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/maps/map.hpp"
#include "values/series/block.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

bool settable(Type t) {
  return t == Type::word || t == Type::set_word || t == Type::get_word || t == Type::lit_word;
}

// The value word i takes: the i-th value from value's position, or value itself. A map! is read
// as pick reads it: its entry block of keys and values in turn, a removed pair's value as none.
Cell value_for(const Cell& value, int32_t i, bool spread) {
  if (!spread) return value;
  Cell cells = value.is(Type::map) ? make_series(Type::block, map::block_node(value)) : value;
  int32_t at = (series_head(cells) < 0 ? 0 : series_head(cells)) + i;
  if (at >= block::length_total(cells)) return make_none();
  Cell v = block::cells(cells)[at];
  return v.header ? v : make_none();
}

Cell word_at(Cell words, int32_t i) {
  Cell w = block::vs_head(words)[i];
  w.header = static_cast<uint32_t>(Type::word);
  return w;
}

}  // namespace

void set_many(Cell words, Cell value, bool any, bool only, bool some) {
  int32_t n = block::vs_length(words);
  for (int32_t i = 0; i < n; ++i) {
    Cell w = block::vs_head(words)[i];
    if (!settable(w.type())) fire(Err::script_invalid_arg, {w});
  }
  bool spread = !only && (block::is_any_block(value.type()) || value.is(Type::map));
  if (!any) {
    for (int32_t i = 0; i < n; ++i)
      if (value_for(value, i, spread).is(Type::unset)) fire(Err::script_need_value, {word_at(words, i)});
  }
  for (int32_t i = 0; i < n; ++i) {
    stack::Mark mark;
    Cell* v = stack::push(value_for(value, i, spread));  // rooted: on-change* may run
    if (some && v->is(Type::none_)) continue;
    Cell w = word_at(words, i);
    word::set(w, *v);
  }
}

}  // namespace vyn::natives
