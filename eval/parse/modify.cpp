// eval/parse/modify.cpp: remove, insert and change: rules that edit the input as they match.
#include <utility>

#include "core/error.hpp"
#include "eval/dispatch.hpp"
#include "eval/parse/parser.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::parse {

namespace {

bool is_path(Type t) {
  return t == Type::path || t == Type::lit_path || t == Type::set_path || t == Type::get_path;
}

// The index a word or get-word holds in the input, or -1 when it holds anything else.
int32_t position_of(Parser& p, const Cell& v) {
  if (!(v.is(Type::get_word) || (v.is(Type::word) && keyword(v) == Key::none_word))) return -1;
  Cell held = word_value(v);
  if (held.type() != p.input->type() || series_node(held) != series_node(*p.input)) return -1;
  return series_head(held);
}

// The value a rule element stands for: a word's value, a paren's result, else itself.
Cell value_of(const Cell& block, int32_t pos, const Cell& key) {
  if (pos >= block_end(block)) fire(Err::script_parse_rule, {key});
  Cell v = element(block, pos);
  if (is_path(v.type())) fire(Err::script_parse_rule, {v});
  if (v.is(Type::paren)) return eval_paren(v);
  if (v.is(Type::word)) {
    Cell held = word_value(v);
    if (held.is(Type::unset)) fire(Err::script_no_value, {v});
    return held;
  }
  return v;
}

bool spelled_only(const Cell& v) {
  return v.is(Type::word) && symbol::resolve(word::symbol(v)) == symbol::resolve(predefined::symbol(predefined::S::only));
}

void remove_range(Parser& p, int32_t from, int32_t to) {
  if (to <= from) return;
  stack::Mark mark;
  Cell* s = stack::push(*p.input);
  set_series_head(*s, from);
  Cell* part = stack::push(make_integer(to - from));
  actions::get<Action::remove>(s)(s, part, nullptr);
}

// Replaces [from, to) by the rooted value; answers the index after the replacement.
int32_t replace(Parser& p, int32_t from, int32_t to, Cell* value, bool only) {
  stack::Mark mark;
  Cell* s = stack::push(*p.input);
  set_series_head(*s, from);
  Cell* moved = actions::get<Action::change>(s)(s, value, to - from, only, 1);
  return series_head(*moved);
}

}  // namespace

R remove(Parser& p, const Cell& block, int32_t& pos) {
  Cell v = element(block, pos);
  if (is_path(v.type())) fire(Err::script_parse_rule, {v});
  int32_t from = position_of(p, v);
  if (from >= 0) {
    ++pos;
    int32_t to = p.index();
    if (from > to) std::swap(from, to);
    remove_range(p, from, to);
    p.set_index(from);
    return R::ok;
  }
  int32_t start = p.index();
  grow(p, state_cells);
  R r = rule(p, block, pos);
  grow(p, -state_cells);
  if (r != R::ok && r != R::brk) return r;
  remove_range(p, start, p.index());
  p.set_index(start);
  return r;
}

R insert(Parser& p, const Cell& block, int32_t& pos) {
  Cell key = element(block, pos - 1);
  bool only = spelled_only(element(block, pos));
  if (only && ++pos >= block_end(block)) fire(Err::script_parse_end, {key});
  int32_t at = position_of(p, element(block, pos));
  if (at >= 0 && pos + 1 < block_end(block)) ++pos;
  else at = p.index();
  stack::Mark mark;
  Cell* value = stack::push(value_of(block, pos++, key));
  Cell* s = stack::push(*p.input);
  set_series_head(*s, at);
  int32_t before = p.tail();
  actions::get<Action::insert>(s)(s, value, -1, only, 1, false);
  if (at <= p.index()) p.set_index(p.index() + (p.tail() - before));
  return R::ok;
}

R change(Parser& p, const Cell& block, int32_t& pos) {
  Cell key = element(block, pos - 1);
  if (pos >= block_end(block)) fire(Err::script_parse_rule, {key});
  bool only = spelled_only(element(block, pos));
  if (only && ++pos >= block_end(block)) fire(Err::script_parse_rule, {key});
  stack::Mark mark;
  int32_t from = position_of(p, element(block, pos));
  if (from >= 0) {
    Cell* value = stack::push(value_of(block, ++pos, key));
    ++pos;
    int32_t to = p.index();
    if (from > to) std::swap(from, to);
    p.set_index(replace(p, from, to, value, only));
    return R::ok;
  }
  int32_t start = p.index();
  grow(p, state_cells);
  R r = rule(p, block, pos);
  grow(p, -state_cells);
  if (r != R::ok && r != R::brk) {
    if (pos++ >= block_end(block)) fire(Err::script_parse_rule, {key});
    return r;
  }
  Cell* value = stack::push(value_of(block, pos++, key));
  p.set_index(replace(p, start, p.index(), value, only));
  return r;
}

}  // namespace vyn::parse
