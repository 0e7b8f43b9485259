// eval/natives/output.cpp: print and prin.
#include "core/print_hooks.hpp"
#include "eval/front_ends.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/runtime_cells.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::natives {
namespace {

bool last_line_end = false;
Cell print_buffer = make_none();  // reused by every print of a block; nested prints stack up in it

Cell& buffer() {
  if (!print_buffer.is(Type::block)) {
    block::make_in(&runtime_cells().root, 32);
    print_buffer = block::cells(runtime_cells().root)[block::length_total(runtime_cells().root) - 1];
  }
  return print_buffer;
}

// The text a value prints as: a string unchanged, anything else formed.
Cell* text_of(const Cell& value) {
  if (value.is(Type::string)) return stack::push(value);
  Cell* v = stack::push(value);
  Cell* out = string::make_at(stack::push_unset(), 16);
  actions::form_direct(v, out, nullptr, 0x7FFFFFFF);
  return out;
}

// Cuts the print buffer back to what enclosing prints hold, however this print ends.
struct BufferScope {
  int32_t saved_index;
  int32_t start;
  ~BufferScope() {
    block::truncate_at(print_buffer, start);
    print_buffer.w1 = static_cast<uint32_t>(saved_index);
  }
};

[[nodiscard]] Flow print_value(const Call& c, bool line_end) {
  Cell value = c.args[0];
  if (!value.is(Type::block)) {
    output::call_print_hooks(*text_of(value), line_end);
  } else {
    Cell& buf = buffer();
    BufferScope scope{series_head(buf), block::length_total(buf)};
    buf.w1 = static_cast<uint32_t>(scope.start);
    Cell* out = stack::push(buf);
    Flow f = reduce_into(value, out);
    if (f != Flow::normal) return f;
    output::call_print_hooks(*text_of(*out), line_end);
  }
  last_line_end = line_end;
  c.args[0] = make_unset();
  stack::keep();
  return Flow::normal;
}

}  // namespace

bool last_lf() { return last_line_end; }
void forget_print_buffer() { print_buffer = make_none(); }

Flow print(const Call& c) { return print_value(c, true); }
Flow prin(const Call& c) { return print_value(c, false); }

}  // namespace vyn::natives
