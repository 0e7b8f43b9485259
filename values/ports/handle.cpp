// values/ports/handle.cpp: handle!'s text and comparison. Nothing is taken from integer!, its parent.
#include "values/ports/handle.hpp"

#include <cstdio>
#include <iterator>
#include <string_view>

#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::handle {
namespace {

constexpr const char* kind_names[] = {"", "fd", "monitor", "window", "font", "rich-text"};

void put(Cell* buffer, std::string_view text) { string::append_latin1(*buffer, text); }

// The value as eight upper-case hex digits and "h".
int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  char text[16];
  std::snprintf(text, sizeof text, "%08Xh", value_of(*value));
  put(buffer, text);
  return limit - 9;
}

// A kind outside the table has no name to print, like the null kind.
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  if (!o.all) {
    put(buffer, "handle!");
    return limit - 7;
  }
  put(buffer, "#[handle! ");
  limit = form(value, buffer, part, limit - 10);
  int32_t kind = kind_of(*value);
  if (kind > 0 && kind < static_cast<int32_t>(std::size(kind_names))) {
    std::string_view name = kind_names[kind];
    put(buffer, " ");
    put(buffer, name);
    limit -= 1 + static_cast<int32_t>(name.size());
  }
  put(buffer, "]");
  return limit - 1;
}

// Handles order by their values as signed numbers whatever the op and the kinds; anything else
// is unequal.
int compare(Cell* a, Cell* b, int) {
  if (!b->is(Type::handle)) return 1;
  int32_t x = static_cast<int32_t>(value_of(*a)), y = static_cast<int32_t>(value_of(*b));
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

Cell* make_at(Cell* cell, uint32_t value, int32_t kind) {
  *cell = make(value, kind);
  return cell;
}

Cell* push(uint32_t value, int32_t kind) { return make_at(stack::push_unset(), value, kind); }

Cell* push_null() { return push(0, none); }

void make_in(Cell block, uint32_t value, int32_t kind) {
  Cell h;
  make_at(&h, value, kind);
  block::append_copy(block, h);
}

void install() {
  using registry::def;
  registry::define(Type::handle, {def<Action::form>(form), def<Action::mold>(mold),
                                  def<Action::compare>(compare)});
}

}  // namespace vyn::handle
