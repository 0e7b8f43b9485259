// values/maps/map_mold.cpp: the text of maps: their pairs one per line (form), between "#[" and "]"
// with each pair on a line of its own, indented a level deeper (mold), or on one line (/flat).
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block_actions.hpp"
#include "values/cycles.hpp"
#include "values/maps/map_entries.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::map {
namespace {

// The position of the first present pair at or after p, or -1.
int32_t next_present(const Cell& m, int32_t p) {
  for (; p + 1 < cells_total(m); p += 2)
    if (present(m, p)) return p;
  return -1;
}

int32_t put_indent(Cell* buffer, int32_t level, int32_t limit) {
  for (int32_t i = 0; i < level; ++i) limit = block::put_text(buffer, "    ", limit);
  return limit;
}

// Key, a space and value of every present pair, both molded with o (o.indent is the pairs'
// level). Pairs are separated by a line feed (a space when flat); with indent each pair starts
// at its level and ends with the line feed. A mold without /only starts on a new line.
int32_t put_pairs(Cell* m, Cell* buffer, const MoldOptions& o, bool indent, bool molding, Cell* part,
                  int32_t limit) {
  int32_t p = next_present(*m, 0);
  if (p < 0) return limit;
  const char* separator = o.flat ? " " : "\n";
  if (o.flat || o.only) indent = false;
  if (molding && !o.flat && !o.only) limit = block::put_text(buffer, "\n", limit);
  block::CycleGuard guard(block_node(*m));
  while (p >= 0 && !(part && limit <= 0)) {
    if (indent) limit = put_indent(buffer, o.indent, limit);
    stack::Mark mark;
    Cell* key = stack::push(entries(*m)[p]);
    Cell* value = stack::push(entries(*m)[p + 1]);
    limit = actions::mold_direct(key, buffer, o, part, limit);
    limit = block::put_text(buffer, " ", limit);
    limit = actions::mold_direct(value, buffer, o, part, limit);
    p = next_present(*m, p + 2);  // read again: molding a value may change the map
    if (indent || p >= 0) limit = block::put_text(buffer, separator, limit);
  }
  return limit;
}

}  // namespace

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  if (cycles::detect(*value, *buffer, limit, false)) return limit;
  return put_pairs(value, buffer, MoldOptions{}, false, false, part, limit);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  if (cycles::detect(*value, *buffer, limit, true)) return limit;
  if (!o.only) limit = block::put_text(buffer, "#[", limit);
  MoldOptions inner = o;
  inner.indent = o.indent + 1;
  int32_t before = string::length_total(*buffer);
  limit = put_pairs(value, buffer, inner, true, true, part, limit);
  if (o.only) return limit;
  bool emitted = string::length_total(*buffer) > before;
  if (emitted && !o.flat) limit = put_indent(buffer, o.indent, limit);
  return block::put_text(buffer, "]", limit);
}

}  // namespace vyn::map
