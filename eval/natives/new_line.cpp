// eval/natives/new_line.cpp: new-line and new-line?, the markers that make a molded block break
// its line before a value.
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "values/series/block.hpp"
#include "values/series/series.hpp"

namespace vyn::natives {
namespace {

bool is_list(Type t) { return t == Type::block || t == Type::paren || t == Type::hash; }

void check_list(const Cell& position) {
  if (!is_list(position.type())) fire(Err::script_invalid_arg, {position});
}

}  // namespace

// Counting from position (the first value is 0), a value whose count is a multiple of step gets
// the marker `on`, the others the opposite. Without /all or /skip only the first value changes.
Flow new_line(const Call& c) {
  using Ref = Refs<Native::new_line>;
  const Cell& position = c.args[0];
  check_list(position);
  bool on = c.args[1].is(Type::logic) && logic_of(c.args[1]) != 0;
  bool all = c.has(Ref::all);
  Cell* skip = c.ref(Ref::skip);
  int32_t step = 1;
  if (skip) {
    if (!skip->is(Type::integer) || skip->int_value() < 1) fire(Err::script_out_of_range, {*skip});
    step = skip->int_value();
  }
  if (all) step = 1;
  int32_t head = series_head(position) < 0 ? 0 : series_head(position);
  int32_t end = block::length_total(position);
  if (!all && !skip && head < end) end = head + 1;
  Cell* cells = block::cells(position);  // nothing below allocates
  for (int32_t i = head; i < end; ++i) cells[i].set_new_line(((i - head) % step == 0) == on);
  return Flow::normal;
}

Flow new_line_q(const Call& c) {
  const Cell& position = c.args[0];
  check_list(position);
  int32_t head = series_head(position) < 0 ? 0 : series_head(position);
  bool marked = head < block::length_total(position) && block::cells(position)[head].new_line();
  c.args[0] = make_logic(marked);
  return Flow::normal;
}

}  // namespace vyn::natives
