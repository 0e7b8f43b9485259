// values/action_sigs.hpp: the C++ signature of each action slot's datatype entries.
//
// Entries take their value arguments as cells on the value stack (which never moves), refinements
// with an argument as the address of that argument's cell or nullptr when the refinement is not
// used, refinements without argument as bools. An entry that answers a cell answers one that
// stays put: an argument cell, a cell pushed on the value stack, or a shared constant.
#pragma once

#include <cstdint>
#include <iterator>

#include "core/cell.hpp"

namespace vyn {

enum class Action : uint8_t {
  none = 0,
#define VYN_ACTION(slot, name, word, ...) name = slot,
#include "values/actions.def"
#undef VYN_ACTION
};
inline constexpr int action_count = 62;

// The rows run in slot order, 1 to action_count, one row per slot: tables made from the rows in
// order (the action words) put each row at its slot.
inline constexpr int action_slots[] = {
#define VYN_ACTION(slot, ...) slot,
#include "values/actions.def"
#undef VYN_ACTION
};
constexpr bool action_rows_in_slot_order() {
  for (int k = 0; k < static_cast<int>(std::size(action_slots)); ++k)
    if (action_slots[k] != k + 1) return false;
  return true;
}
static_assert(std::size(action_slots) == action_count, "every datatype has one entry per action slot");
static_assert(action_rows_in_slot_order(), "action rows must run in slot order, 1 to action_count");

struct FindOptions {
  Cell* part = nullptr;
  bool only = false, case_ = false, same = false, any = false;
  Cell* with = nullptr;
  Cell* skip = nullptr;
  bool last = false, reverse = false, tail = false, match = false;
};
struct SortOptions {
  bool case_ = false;
  Cell* skip = nullptr;
  Cell* compare = nullptr;
  Cell* part = nullptr;
  bool all = false, reverse = false, stable = false;
};
struct ReadOptions {
  Cell* part = nullptr;
  Cell* seek = nullptr;
  bool binary = false, lines = false, info = false;
  Cell* as = nullptr;
};
struct WriteOptions {
  bool binary = false, lines = false, info = false, append = false;
  Cell* part = nullptr;
  Cell* seek = nullptr;
  Cell* allow = nullptr;
  Cell* as = nullptr;
};
struct MoldOptions {
  bool only = false, all = false, flat = false;
  int32_t indent = 0;
};
struct PathStep {
  Cell* path = nullptr;      // the whole path, or nullptr
  Cell* container = nullptr; // the value reached one step before the parent
  int32_t index = -1;        // position of the element in the path
  bool last = true;          // the element is the path's last
};

template <Action A> struct Sig { using type = void (*)(); };
#define VYN_SIG(slot, ...) template <> struct Sig<Action::slot> { using type = __VA_ARGS__; };
// Simple entries work on the call's argument cells in place; args[0] is also the result.
using SimpleEntry = void (*)(Cell* args);

VYN_SIG(make, Cell* (*)(Cell* proto, Cell* spec, Type type))
VYN_SIG(random, Cell* (*)(Cell* value, bool seed, bool secure, bool only))
VYN_SIG(reflect, Cell* (*)(Cell* value, Cell* field))
VYN_SIG(to, Cell* (*)(Cell* proto, Cell* spec, Type type))
// form and mold append to buffer (a string!) and answer the limit less what they appended
VYN_SIG(form, int32_t (*)(Cell* value, Cell* buffer, Cell* part, int32_t limit))
VYN_SIG(mold, int32_t (*)(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit))
VYN_SIG(eval_path, Cell* (*)(Cell* parent, Cell* element, Cell* value, const PathStep& step))
// compare answers -1, 0 or 1, or -2 when the two cannot be compared under op
VYN_SIG(compare, int (*)(Cell* a, Cell* b, int op))
VYN_SIG(absolute, SimpleEntry)
VYN_SIG(add, SimpleEntry)
VYN_SIG(divide, SimpleEntry)
VYN_SIG(multiply, SimpleEntry)
VYN_SIG(negate, Cell* (*)(Cell* value))
VYN_SIG(power, SimpleEntry)
VYN_SIG(remainder, SimpleEntry)
VYN_SIG(round, Cell* (*)(Cell* value, Cell* scale, bool even, bool down, bool half_down,
                         bool floor, bool ceiling, bool half_ceiling))
VYN_SIG(subtract, SimpleEntry)
VYN_SIG(even_q, bool (*)(Cell* value))
VYN_SIG(odd_q, bool (*)(Cell* value))
VYN_SIG(and_t, SimpleEntry)
VYN_SIG(complement, Cell* (*)(Cell* value))
VYN_SIG(or_t, SimpleEntry)
VYN_SIG(xor_t, SimpleEntry)
// part is a count (-1 without /part), dup a count (1 without /dup)
VYN_SIG(append, Cell* (*)(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool append))
VYN_SIG(at, SimpleEntry)
VYN_SIG(back, SimpleEntry)
VYN_SIG(change, Cell* (*)(Cell* series, Cell* value, int32_t part, bool only, int32_t dup))
VYN_SIG(clear, Cell* (*)(Cell* series))
VYN_SIG(copy, Cell* (*)(Cell* value, Cell* result, Cell* part, bool deep, Cell* types))
VYN_SIG(find, Cell* (*)(Cell* series, Cell* value, const FindOptions& o))
VYN_SIG(head, SimpleEntry)
VYN_SIG(head_q, SimpleEntry)
VYN_SIG(index_q, SimpleEntry)
VYN_SIG(insert, Cell* (*)(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool append))
// length? answers -1 for none
VYN_SIG(length_q, int32_t (*)(Cell* series))
VYN_SIG(move, Cell* (*)(Cell* origin, Cell* target, Cell* part))
VYN_SIG(next, SimpleEntry)
// index is the position (0 when the index argument is no integer, char or logic: key lookup)
VYN_SIG(pick, Cell* (*)(Cell* series, int32_t index, Cell* boxed))
VYN_SIG(poke, Cell* (*)(Cell* series, int32_t index, Cell* boxed, Cell* value))
VYN_SIG(put, Cell* (*)(Cell* series, Cell* key, Cell* value, bool case_))
VYN_SIG(remove, Cell* (*)(Cell* series, Cell* part, Cell* key))
VYN_SIG(reverse, Cell* (*)(Cell* series, Cell* part, Cell* skip))
VYN_SIG(select, Cell* (*)(Cell* series, Cell* value, const FindOptions& o))
VYN_SIG(sort, Cell* (*)(Cell* series, const SortOptions& o))
VYN_SIG(skip, SimpleEntry)
VYN_SIG(swap, Cell* (*)(Cell* series1, Cell* series2))
VYN_SIG(tail, SimpleEntry)
VYN_SIG(tail_q, SimpleEntry)
VYN_SIG(take, Cell* (*)(Cell* series, Cell* part, bool deep, bool last))
VYN_SIG(trim, Cell* (*)(Cell* series, bool head, bool tail, bool auto_, bool lines, bool all, Cell* with))
VYN_SIG(create, Cell* (*)(Cell* port))
VYN_SIG(close, Cell* (*)(Cell* port))
VYN_SIG(delete_, Cell* (*)(Cell* file))
VYN_SIG(modify, Cell* (*)(Cell* target, Cell* field, Cell* value, bool case_))
VYN_SIG(open, Cell* (*)(Cell* port, bool new_, bool read, bool write, bool seek, Cell* allow))
VYN_SIG(open_q, Cell* (*)(Cell* port))
VYN_SIG(query, Cell* (*)(Cell* target))
VYN_SIG(read, Cell* (*)(Cell* source, const ReadOptions& o))
VYN_SIG(rename, Cell* (*)(Cell* from, Cell* to))
VYN_SIG(update, Cell* (*)(Cell* port))
VYN_SIG(write, Cell* (*)(Cell* destination, Cell* data, const WriteOptions& o))
#undef VYN_SIG

}  // namespace vyn
