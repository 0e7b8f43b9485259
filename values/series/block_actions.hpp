// values/series/block_actions.hpp: block!'s action entries and their workers, shared by the files that
// define them and by the types that take them over (paren!, the path family, hash!).
//
// Entries follow the slot signatures of values/action_sigs.hpp: their value arguments are cells
// on the value stack, and an answered cell is an argument cell or one pushed on the value stack.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"
#include "values/cycles.hpp"

namespace vyn::block {

Cell* make(Cell* proto, Cell* spec, Type type);
Cell* to(Cell* proto, Cell* spec, Type type);
int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step);
int compare(Cell* a, Cell* b, int op);
Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append);
Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup);
Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types);
Cell* find(Cell* series, Cell* value, const FindOptions& o);
Cell* put(Cell* series, Cell* key, Cell* value, bool case_);
Cell* select(Cell* series, Cell* value, const FindOptions& o);
Cell* sort(Cell* series, const SortOptions& o);
Cell* swap(Cell* series1, Cell* series2);
Cell* take(Cell* series, Cell* part, bool deep, bool last);
Cell* trim(Cell* series, bool head, bool tail, bool auto_, bool lines, bool all, Cell* with);

// The cells from the head, molded with their separators, new-line markers and indentation but
// without brackets; paren! and the mold of block! put their own around them.
int32_t mold_each(Cell* block, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
// Compares the cells of two blocks from their heads under op; answers -1, 0, 1 or -2.
int compare_each(Cell* a, Cell* b, int op);
// How deeply cells are being molded right now.
int mold_depth();
// Appends text to the buffer and answers the limit less its length.
int32_t put_text(Cell* buffer, const char* text, int32_t limit);

// The sort callbacks. sort_compare: w1 the comparison op (7, 8 with /case), w2 the flags: bit 0
// /reverse, bit 1 /all, the rest the cells compared per record (/all) or the key's offset in it.
// sort_compare_with: w1 the address of a SortWith, w2 the flags: bit 0 /reverse, bit 1 /all with
// /skip, the rest the record size in cells.
struct SortWith {
  Cell* function;    // the function! (on the value stack)
  Cell* records[2];  // /all with /skip: two blocks (on the value stack) that receive the records
};
int sort_compare(const uint8_t* a, const uint8_t* b, intptr_t op, intptr_t flags);
int sort_compare_with(const uint8_t* a, const uint8_t* b, intptr_t with, intptr_t flags);

// unique (8), union (9), intersect (10), exclude (11) and difference (12) over block! and hash!
// values, keyed by the first cell of each /skip record (skip: the /skip argument or nullptr).
// series2 is nullptr for unique. The result's buffer replaces the first argument's, head 0;
// answers the first argument.
Cell* set_operation(Cell* series1, Cell* series2, int op, bool case_, Cell* skip);

// Keeps a series on the cycle stack for a scope; pops it however the scope ends.
class CycleGuard {
 public:
  explicit CycleGuard(NodeId node) { cycles::push(node); }
  ~CycleGuard() { cycles::pop(); }
  CycleGuard(const CycleGuard&) = delete;
  CycleGuard& operator=(const CycleGuard&) = delete;
};

// The head index clamped into 0..length.
int32_t clamped_head(const Cell& b);
// The hash table of a hash! value, or 0 for every other type.
inline NodeId table_of(const Cell& b) { return b.is(Type::hash) ? series_extra(b) : 0; }

}  // namespace vyn::block
