// eval/natives/iteration.cpp: foreach, forall and remove-each.
#include "core/error.hpp"
#include "eval/dispatch.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/set_many.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/numbers/logic.hpp"
#include "values/maps/map.hpp"
#include "values/series/series.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::natives {
namespace {

bool iterable(Type t) {
  return series::is_cell_series(t) || series::is_char_series(t) || t == Type::binary ||
         t == Type::vector || t == Type::image;
}

// The value at absolute index i of the series, as pick gives it; none past the tail.
Cell value_at(const Cell& s, int32_t i) {
  if (i >= series::length_total(s)) return make_none();
  if (series::is_cell_series(s.type())) return block::cells(s)[i];
  stack::Mark mark;
  Cell* at = stack::push(s);
  set_series_head(*at, i);
  return *actions::get<Action::pick>(at)(at, 1, at);
}

int32_t word_count(const Cell& words) {
  if (!words.is(Type::block)) return 1;
  Cell list = words;
  int32_t n = block::vs_length(list);
  for (int32_t k = 0; k < n; ++k) {
    Cell w = block::vs_head(list)[k];
    Type t = w.type();
    if (t != Type::word && t != Type::set_word && t != Type::get_word && t != Type::lit_word)
      fire(Err::script_invalid_arg, {w});
  }
  return n;
}

// Sets the word, or each word of the block, from the values at the position; answers false at
// the tail.
bool step(const Cell& words, const Cell& series, int32_t position) {
  if (position >= series::length_total(series)) return false;
  if (!words.is(Type::block)) {
    Cell w = words;
    word::set(w, value_at(series, position));
    return true;
  }
  if (series::is_cell_series(series.type())) {
    Cell at = series;
    set_series_head(at, position);
    set_many(words, at, true, false, false);
    return true;
  }
  Cell list = words;
  for (int32_t k = 0; k < block::vs_length(list); ++k) {
    Cell w = block::vs_head(list)[k];
    w.header = static_cast<uint32_t>(Type::word);
    word::set(w, value_at(series, position + k));
  }
  return true;
}

// A map! is walked a key and its value at a time, into a block of exactly two words.
Flow foreach_map(const Cell& words, const Cell& data, const Cell& body) {
  if (!words.is(Type::block) || block::vs_length(words) != 2) fire(Err::script_invalid_arg, {words});
  word_count(words);
  Cell* map = stack::push(data);
  open_loop(make_unset());
  int32_t position = 0;
  while (map::foreach_step(words, *map, position)) {
    Flow f = body_pass(body);
    if (f == Flow::break_) break;
    if (!goes_on(f)) return f;
  }
  close_loop();
  return Flow::normal;
}

// Removes n values at index from the series (by the remove action with /part).
void remove_at(Cell series, int32_t index, int32_t n) {
  stack::Mark mark;
  Cell* s = stack::push(series);
  set_series_head(*s, index);
  Cell* part = stack::push(make_integer(n));
  actions::get<Action::remove>(s)(s, part, nullptr);
}

}  // namespace

Flow foreach_(const Call& c) {
  Cell words = c.args[0], data = c.args[1], body = c.args[2];
  if (words.is(Type::block) && block::vs_length(words) == 0) fire(Err::script_invalid_arg, {words});
  if (data.is(Type::map)) return foreach_map(words, data, body);
  if (!iterable(data.type())) fire(Err::script_invalid_arg, {data});
  int32_t n = word_count(words);
  Cell* position = stack::push(data);  // the iteration position, kept on the stack
  open_loop(make_unset());
  int32_t i = series_head(*position) < 0 ? 0 : series_head(*position);
  while (step(words, *position, i)) {
    Flow f = body_pass(body);
    if (f == Flow::break_) break;
    if (!goes_on(f)) return f;
    i += n;
  }
  close_loop();
  return Flow::normal;
}

Flow forall_(const Call& c) {
  Cell w = c.args[0], body = c.args[1];
  Cell start = *word::value_cell(w);
  if (!iterable(start.type()))
    fire(Err::script_expect_arg, {predefined::word(predefined::W::forall), make_datatype(start.type()), w});
  stack::push(start);
  open_loop(make_unset());
  bool broke = false;
  for (;;) {
    Cell current = *word::value_cell(w);
    if (series_head(current) >= series::length_total(current)) break;
    Flow f = body_pass(body);
    if (f == Flow::break_) {
      broke = true;
      break;
    }
    if (!goes_on(f)) return f;
    current = *word::value_cell(w);
    if (current.type() != start.type() || series_node(current) != series_node(start))
      fire(Err::script_bad_loop_series, {current});
    set_series_head(current, series_head(current) + 1);
    word::set(w, current);
  }
  close_loop();
  if (!broke) word::set(w, start);
  return Flow::normal;
}

Flow remove_each_(const Call& c) {
  Cell words = c.args[0], data = c.args[1], body = c.args[2];
  if (!iterable(data.type())) fire(Err::script_invalid_arg, {data});
  int32_t n = words.is(Type::block) ? word_count(words) : 1;
  open_loop(make_unset());
  int32_t i = series_head(data) < 0 ? 0 : series_head(data);
  while (n > 0 && step(words, data, i)) {
    Flow f = body_pass(body);
    if (f == Flow::break_) break;
    if (!goes_on(f)) return f;
    if (f == Flow::normal && logic::truthy(*stack::arguments())) remove_at(data, i, n);
    else i += n;
  }
  close_loop();
  c.args[0] = data;
  return Flow::normal;
}

}  // namespace vyn::natives
