// eval/parse/capture.cpp: copy, set, collect and keep: what the rules take out of the input.
#include <algorithm>

#include "core/error.hpp"
#include "eval/dispatch.hpp"
#include "eval/front_ends.hpp"
#include "eval/parse/parser.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"
#include "values/series/block.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::parse {

namespace {

enum Target : int32_t { fresh = 0, set_word = 1, into = 2, after = 3 };

bool spelled(const Cell& v, predefined::S s) {
  return v.is(Type::word) && symbol::resolve(word::symbol(v)) == symbol::resolve(predefined::symbol(s));
}

// Adds the rooted value to the innermost collect target.
void add_kept(Parser& p, Cell* value) {
  int32_t n = block::length_total(*p.collects);
  Cell target = block::cells(*p.collects)[n - 2];
  int32_t kind = block::cells(*p.collects)[n - 1].int_value();
  if (kind == fresh || kind == set_word) {
    block::append_copy(target, *value);
    return;
  }
  stack::Mark mark;
  Cell* t = stack::push(target);
  Cell* moved = actions::get<Action::insert>(t)(t, value, -1, true, 1, kind == after);
  if (kind == into) set_series_head(block::cells(*p.collects)[n - 2], series_head(*moved));
}

// The value of into or after: a series other than the input, of a type it can hold.
void check_target(Parser& p, const Cell& target) {
  Type t = target.type(), in = p.input->type();
  bool series_ok = block::is_any_block(t) || series::is_char_series(t) || t == Type::binary;
  if (!series_ok || (t == Type::binary && in != Type::binary) ||
      (series::is_char_series(t) && block::is_any_block(in)))
    fire(Err::script_parse_into_type);
  if (series_node(target) == series_node(*p.input)) fire(Err::script_parse_into_bad);
}

}  // namespace

Cell value_at(Parser& p, int32_t index) {
  if (index < 0 || index >= p.tail()) return make_none();  // a paren may have cut the input
  if (p.input->is(Type::binary)) {
    Cell at = *p.input;
    set_series_head(at, index);
    return make_integer(binary::head_bytes(at)[0]);
  }
  if (series::is_char_series(p.input->type()))
    return make_char(string::char_at(series_node(*p.input), static_cast<uint32_t>(index)));
  return block::cells(*p.input)[index];
}

// Text and binary inputs copy as series::copy does with /part (start and count clamped to the
// input), straight into a new series of the input's unit: no action dispatch for every capture.
Cell part_copy(Parser& p, int32_t from, int32_t to) {
  stack::Mark mark;
  if (!block::is_any_block(p.input->type())) {
    int32_t total = p.tail();
    int32_t start = from < 0 ? 0 : from > total ? total : from;
    int64_t count = std::min<int64_t>(int64_t{to} - from, total - start);
    Cell* result = stack::push(make_none());
    return *series::push_copy_range(*p.input, start, static_cast<int32_t>(count), result);
  }
  Cell* src = stack::push(*p.input);
  set_series_head(*src, from);
  Cell* part = stack::push(make_integer(to - from));
  Cell* result = stack::push(make_none());
  return *actions::copy_direct(src, result, part, false, nullptr);
}

R copy_or_set(Parser& p, const Cell& block, int32_t& pos, bool copy) {
  Cell key = element(block, pos - 1);
  Cell w = element(block, pos);
  if (!w.is(Type::word)) fire(Err::script_parse_end, {key});
  need(block, ++pos, key);
  int32_t start = p.index();
  grow(p, state_cells);
  R r = rule(p, block, pos);
  grow(p, -state_cells);
  if (r != R::ok && r != R::brk) return r;
  int32_t end = p.index() < start ? start : p.index();
  stack::Mark mark;
  Cell* value = stack::push(make_none());
  if (copy) *value = part_copy(p, start, end);
  else if (end > start) *value = value_at(p, start);
  word::set(w, *value);
  return r;
}

R collect(Parser& p, const Cell& block, int32_t& pos) {
  Cell key = element(block, pos - 1);
  Cell first = element(block, pos);
  int32_t kind = is_word(first, Key::set) ? set_word : is_word(first, Key::into) ? into
               : spelled(first, predefined::S::after) ? after : fresh;
  stack::Mark mark;
  Cell* word_cell = stack::push(make_none());
  Cell* target = nullptr;
  if (kind != fresh) {
    *word_cell = pos + 1 < block_end(block) ? element(block, pos + 1) : make_none();
    if (!word_cell->is(Type::word)) fire(Err::script_parse_end, {key});
    pos += 2;
    need(block, pos, key);
  }
  Cell next = element(block, pos);
  if (next.is(Type::word) && keyword(next) == Key::none_word && word_value(next).is(Type::word))
    fire(Err::script_parse_rule, {next});
  if (kind == into || kind == after) {
    target = stack::push(word_value(*word_cell));
    check_target(p, *target);
  } else {
    target = block::push_only(8);
  }
  block::append_copy(*p.collects, *target);
  block::append_copy(*p.collects, make_integer(kind));
  ++p.collect_depth;
  grow(p, state_cells);
  R r = rule(p, block, pos);
  grow(p, -state_cells);
  --p.collect_depth;
  block::remove_last(*p.collects);
  block::remove_last(*p.collects);
  if (kind == set_word) word::set(*word_cell, *target);
  if (kind == fresh) {
    if (p.collect_depth == 0) *p.result = *target;
    else add_kept(p, target);
  }
  return r;
}

R keep(Parser& p, const Cell& block, int32_t& pos) {
  Cell key = element(block, pos - 1);
  if (p.collect_depth == 0) fire(Err::script_parse_keep);
  bool pick = spelled(element(block, pos), predefined::S::pick);
  if (pick) need(block, ++pos, key);
  Cell next = element(block, pos);
  stack::Mark mark;
  if (next.is(Type::paren)) {
    ++pos;
    Cell* v = stack::push(eval_paren(next));
    if (pick && block::is_any_block(v->type())) {
      for (int32_t i = series_head(*v); i < block::length_total(*v); ++i) {
        Cell* item = stack::push(block::cells(*v)[i]);
        add_kept(p, item);
      }
    } else {
      add_kept(p, v);
    }
    return R::ok;
  }
  if (next.is(Type::word) && keyword(next) == Key::none_word && word_value(next).is(Type::word))
    fire(Err::script_parse_rule, {next});
  int32_t start = p.index();
  grow(p, state_cells);
  R r = rule(p, block, pos);
  grow(p, -state_cells);
  if (r != R::ok && r != R::brk) return r;
  int32_t end = p.index();
  if (end <= start) return r;
  Cell* v = stack::push(make_none());
  if (end - start == 1) {
    *v = value_at(p, start);
    add_kept(p, v);
  } else if (pick) {
    for (int32_t i = start; i < end; ++i) {
      *v = value_at(p, i);
      add_kept(p, v);
    }
  } else {
    *v = part_copy(p, start, end);
    add_kept(p, v);
  }
  return r;
}

}  // namespace vyn::parse
