// eval/interp_path.cpp: paths met in code: reading, setting, and calls through paths.
#include "core/error.hpp"
#include "eval/interp.hpp"
#include "values/frames.hpp"
#include "eval/interp_internal.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "values/series/block.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/words/word.hpp"

namespace vyn::interp {
namespace {

// The selector an element gives: a get-word's value, a paren's result, else the element itself.
[[nodiscard]] Flow selector(const Cell& element, Cell* out) {
  if (element.is(Type::get_word)) {
    *out = *word::value_cell(element);
    return Flow::normal;
  }
  if (!element.is(Type::paren)) {
    *out = element;
    return Flow::normal;
  }
  Cell anon = anon_word();
  stack::mark_interp_native(&anon);
  stack::push_unset();
  Flow f = eval_block(element, true);
  if (f != Flow::normal) return f;
  stack::unwind();
  *out = *stack::last_value();
  stack::pop(1);
  return Flow::normal;
}

// The path cut after element k, for error reports.
Cell cut_after(const Cell& path, int32_t k) {
  Cell* copy = block::clone(path, false, false);
  block::truncate_at(*copy, k + 1);
  return *copy;
}

Cell* apply_step(Cell* parent, Cell* element, Cell* value, const PathStep& step, const Cell& path) {
  auto fn = registry::entry<Action::eval_path>(parent->type());
  if (!fn) fire(Err::script_bad_path_type, {path, make_datatype(parent->type()), cut_after(path, step.index)});
  return fn(parent, element, value, step);
}

}  // namespace

Flow eval_path_at(Cell path, Cell code, int32_t& position, int32_t end, bool set, bool get, bool push) {
  ++position;
  Cell* base = stack::top();
  int32_t len = block::length_total(path);
  if (len == 0) fire(Err::script_empty_path);
  if (trace::active) [[unlikely]] trace::fire(trace::enter, path, 0, make_none(), make_none());
  if (trace::active) [[unlikely]] trace::fire(trace::fetch, path, 0, block::cells(path)[0], make_none());
  Cell head = block::cells(path)[0];
  if (!head.is(Type::word)) fire(Err::script_word_first, {path});
  Cell value = *word::value_cell(head);
  if (is_callable(value.type())) {
    if (set) fire(Err::script_invalid_path_set, {path});
    if (get) fire(Err::script_invalid_path_get, {path});
    return eval_code(value, code, position, end, push, CallSite{head, path, 1, make_none(), false});
  }
  if (value.is(Type::unset)) fire(Err::script_unset_path, {path, head});
  Cell* cells = stack::push(make_none());  // [container, value, selector]
  stack::push(value);
  stack::push(make_none());
  for (int32_t k = 1; k < len; ++k) {
    Cell element = block::cells(path)[k];
    if (trace::active) [[unlikely]] trace::fire(trace::fetch, path, k, element, make_none());
    Flow f = selector(element, &cells[2]);
    if (f != Flow::normal) return f;
    if (cells[2].is(Type::unset)) fire(Err::script_invalid_path, {path, element});
    bool last = k == len - 1;
    Cell* to_set = set && last ? stack::arguments() : nullptr;
    PathStep step{&path, &cells[0], k, last};
    Cell* result = apply_step(&cells[1], &cells[2], to_set, step, path);
    cells[0] = cells[1];
    cells[1] = *result;
    stack::set_top(cells + 3);
    if (!get && !set && is_callable(cells[1].type())) {
      Cell fn = cells[1];
      Cell owner = cells[0];
      stack::set_top(base);
      return eval_code(fn, code, position, end, push, CallSite{element, path, k + 1, owner, false});
    }
  }
  Cell final_value = cells[1];
  stack::set_top(base);
  if (trace::active) [[unlikely]] trace::fire(trace::exit, path, len, final_value, make_none());
  put(final_value, push);
  return Flow::normal;
}

}  // namespace vyn::interp
