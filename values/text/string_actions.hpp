// values/text/string_actions.hpp: string!'s action entries and the text routines other components share
// (molding a character, comparing texts, the parse helpers, the set operations).
//
// The entries take the cells the front-ends hand them (value-stack cells, which never move) and
// reach text through its node: any of them may allocate unless it says otherwise.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::string {

// ---- entries (registered by install(); url!, file!, tag!, email! and ref! take several)

Cell* make(Cell* proto, Cell* spec, Type type);
Cell* to(Cell* proto, Cell* value, Type type);
int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
// The quoted form whatever the text holds (a double quote escaped): a path cannot hold braces.
int32_t mold_quoted(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step);
int compare(Cell* a, Cell* b, int op);
Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append);
Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup);
Cell* find(Cell* series, Cell* value, const FindOptions& o);
Cell* select(Cell* series, Cell* value, const FindOptions& o);
Cell* sort(Cell* series, const SortOptions& o);
Cell* swap(Cell* series1, Cell* series2);
Cell* take(Cell* series, Cell* part, bool deep, bool last);
Cell* trim(Cell* series, bool head, bool tail, bool auto_, bool lines, bool all, Cell* with);

// append and insert without the owner's notices (notify false): conversions building a new
// string use it.
Cell* append_value(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append,
                   bool notify);

// ---- shared routines

// Appends cp to buffer as mold writes it inside a string or char literal: "^(hex)" for 0x1E, the
// C1 controls and (with all) everything from 0x80; with escape the caret escapes of the controls,
// the double quote, the caret and DEL; else the character itself.
void mold_char(Cell* buffer, uint32_t cp, bool escape, bool all);

// Compares the texts of a and b from their heads (a symbol! stands for its name) by the op code;
// with match, whether b is a prefix of a. Answers -1, 0 or 1. a and b must be rooted.
int compare_strings(Cell* a, Cell* b, int op, bool match);

// Whether cp is in the bitset: bits past its array answer its complement flag. Never allocates.
bool bitset_has(const Cell& bitset, uint32_t cp);

// Parse helpers. None of them allocates but for a symbol! met by match_value.
bool char_in_bitset_q(Cell& str, const Cell& bitset);
// Whether str holds "<" at its head and ">" right after as many further characters as tag has.
bool tag_delimited_q(Cell& str, const Cell& tag);
// Whether str at its head matches value (text by prefix, char!, tag!); op 2 compares exactly.
bool match_value(Cell* str, Cell* value, int op);

// The set operations on the characters of strings (8 unique, 9 union, 10 intersect, 11 exclude,
// 12 difference); characters are keys, each bringing the rest of its /skip record along. The
// result's buffer replaces the first argument's, head 0; answers the first argument.
Cell* set_operation(Cell* series1, Cell* series2, int op, bool case_sensitive, Cell* skip);

}  // namespace vyn::string
