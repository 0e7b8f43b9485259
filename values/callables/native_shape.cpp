// values/callables/native_shape.cpp: recording the argument shapes of the built-ins and checking new
// natives and actions against them.
#include "values/callables/native_shape.hpp"

#include <cstring>
#include <vector>

#include "values/callables/arg_list.hpp"
#include "values/series/block.hpp"
#include "values/words/word.hpp"
#include "values/words/typeset.hpp"

namespace vyn::native_shape {
namespace {

constexpr int slots = 128;  // above the native table's 120 and the action table's 62

// One argument list entry (a typeset!, a refinement! or an integer!) with the argument kind of
// a typeset.
struct Entry {
  Cell cell;
  uint32_t kind;
};
using Shape = std::vector<Entry>;
struct Slot {
  bool recorded = false;
  Shape shape;
};

Slot built_ins[2][slots];
bool sealed = false;
Cell value_types = make_cell(Type::typeset);  // any-type!: the types a value can have

Shape shape_of(const Cell& list) {
  Shape s;
  for (int32_t i = 0; i < block::length_total(list); ++i) {
    const Cell& e = block::cells(list)[i];
    s.push_back({e, e.is(Type::typeset) ? static_cast<uint32_t>(args::kind_of(e)) : 0u});
  }
  return s;
}

// A refinement must keep its ordinal, an argument its kind and no type the built-in refuses. An
// action's entries dispatch on the first argument and check the others themselves, so its type
// blocks describe more than they guard: an action's argument may take any value but unset.
bool entry_fits(const Entry& made, const Entry& built, bool action) {
  Type t = made.cell.type();
  if (t != built.cell.type() || made.kind != built.kind) return false;
  if (t == Type::refinement) return callable::ordinal(made.cell) == callable::ordinal(built.cell);
  if (t == Type::integer) return made.cell.int_value() == built.cell.int_value();
  for (int id = 1; id <= type_count; ++id) {
    auto t = static_cast<Type>(id);
    if (!typeset::has(value_types, t) || !typeset::has(made.cell, t) || typeset::has(built.cell, t)) continue;
    if (!action || t == Type::unset) return false;
  }
  return true;
}

}  // namespace

bool fits(Type type, int index, const Cell& list) {
  if (index < 1 || index >= slots) return false;
  Slot& built = built_ins[type == Type::action ? 1 : 0][index];
  Shape made = shape_of(list);
  if (!built.recorded && !sealed) built = {true, made};
  if (!built.recorded || made.size() != built.shape.size()) return false;
  for (size_t i = 0; i < made.size(); ++i)
    if (!entry_fits(made[i], built.shape[i], type == Type::action)) return false;
  return true;
}

void seal(const Cell& any_type) {
  sealed = true;
  value_types = any_type;
}

// The recorded shapes as bytes: the seal and its types, then per slot whether it is recorded, its
// entry count and entries. Cells hold no addresses, so the bytes stand for the shapes in another
// process whose heap has the same nodes.
std::string save() {
  std::string out(1, sealed ? '\1' : '\0');
  out.append(reinterpret_cast<const char*>(&value_types), sizeof value_types);
  for (const auto& side : built_ins) {
    for (const Slot& s : side) {
      uint32_t n = s.recorded ? static_cast<uint32_t>(s.shape.size()) + 1 : 0;
      out.append(reinterpret_cast<const char*>(&n), sizeof n);
      for (const Entry& e : s.shape) out.append(reinterpret_cast<const char*>(&e), sizeof e);
    }
  }
  return out;
}

bool restore(std::string_view bytes) {
  size_t at = 0;
  auto take = [&](void* to, size_t n) {
    if (bytes.size() - at < n) return false;
    std::memcpy(to, bytes.data() + at, n);
    at += n;
    return true;
  };
  char seal_byte = 0;
  Cell types{};
  if (!take(&seal_byte, 1) || !take(&types, sizeof types)) return false;
  for (auto& side : built_ins) {
    for (Slot& s : side) {
      uint32_t n = 0;
      if (!take(&n, sizeof n)) return false;
      s = Slot{};
      s.recorded = n > 0;
      for (uint32_t i = 1; i < n; ++i) {
        Entry e{};
        if (!take(&e, sizeof e)) return false;
        s.shape.push_back(e);
      }
    }
  }
  sealed = seal_byte != 0;
  value_types = types;
  return at == bytes.size();
}

}  // namespace vyn::native_shape
