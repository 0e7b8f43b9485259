// values/series/block_mold.cpp: forming and molding blocks: separators, new-line markers, indentation,
// /part limits and the cycle guard.
#include <cstring>

#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::block {
namespace {

int depth = 0;

// Counts the molding depth for as long as one cell is being molded.
struct DepthScope {
  DepthScope() { ++depth; }
  ~DepthScope() { --depth; }
};

// Forming adds no space after a value whose text ended a line or with a tab.
bool ends_with_break(const Cell& buffer) {
  int32_t n = string::length_total(buffer);
  if (n == 0) return false;
  uint32_t last = string::char_at(series_node(buffer), static_cast<uint32_t>(n - 1));
  return last == '\n' || last == '\r' || last == '\t';
}

int32_t put_line(Cell* buffer, int32_t level, int32_t limit, bool line_feed) {
  if (line_feed) limit = put_text(buffer, "\n", limit);
  for (int32_t i = 0; i < level; ++i) limit = put_text(buffer, "    ", limit);
  return limit;
}

}  // namespace

int mold_depth() { return depth; }

int32_t put_text(Cell* buffer, const char* text, int32_t limit) {
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::strlen(text));
}

int32_t clamped_head(const Cell& b) {
  int32_t head = series_head(b);
  int32_t length = length_total(b);
  return head < 0 ? 0 : head > length ? length : head;
}

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  if (cycles::detect(*value, *buffer, limit, false)) return limit;
  CycleGuard guard(series_node(*value));
  int32_t head = clamped_head(*value);
  // the length is read again every round: nothing stops a form entry from changing the block
  for (int32_t i = head; i < length_total(*value); ++i) {
    if (part && limit < 1) break;
    if (i > head && !ends_with_break(*buffer)) limit = put_text(buffer, " ", limit);
    stack::Mark mark;
    Cell* item = stack::push(cells(*value)[i]);
    limit = actions::form_direct(item, buffer, part, limit);
  }
  return limit;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  if (cycles::detect(*value, *buffer, limit, true)) return limit;
  CycleGuard guard(series_node(*value));
  if (!o.only) limit = put_text(buffer, "[", limit);
  limit = mold_each(value, buffer, o, part, limit);
  if (!o.only) limit = put_text(buffer, "]", limit);
  return limit;
}

// A value with the new-line marker starts a line indented four spaces a level. The first such
// value (unless /only) raises the level for the rest of the block, and the closing bracket then
// goes on a line of its own at the level the block started at.
int32_t mold_each(Cell* block, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  int32_t head = clamped_head(*block);
  int32_t level = o.indent;
  bool raised = false;
  MoldOptions inner = o;
  inner.only = false;
  for (int32_t i = head; i < length_total(*block); ++i) {
    if (part && limit < 1) return limit;
    stack::Mark mark;
    Cell* item = stack::push(cells(*block)[i]);  // held while the line break is written
    if (!o.flat && item->new_line()) {
      if (!raised && !o.only) {
        ++level;
        raised = true;
      }
      limit = put_line(buffer, level, limit, !(i == head && o.only));
    } else if (i > head) {
      limit = put_text(buffer, " ", limit);
    }
    inner.indent = level;
    DepthScope scope;
    limit = actions::mold_direct(item, buffer, inner, part, limit);
  }
  if (raised) limit = put_line(buffer, level - 1, limit, true);
  return limit;
}

}  // namespace vyn::block
