// eval/engine/plans.hpp: what the engine remembers about code: per block, what the cell at each
// position is (a plan); per callable, how a plain call of it gathers its arguments (a call plan).
//
// Both are caches. A plan entry keeps the cell it was made from and is used only while the live
// cell is the same, all 16 bytes; any change to a block in place (insert, remove, poke, bind, sort,
// parse's changes) thus shows at the position it touched, however it was made, and the entry is
// made again from the live cell. A call plan is found through the callable's whole cell and
// the collection count: a collection frees nodes that a later value may reuse, so every call
// plan made before it is dropped.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "eval/engine/engine.hpp"

namespace vyn::engine {

// What a cell of code is to the evaluator.
enum class Kind : uint8_t {
  unknown,   // not classified yet
  inert,     // stands for itself
  word,      // a word: its value decides
  set_word,
  paren,
  other,     // paths, get-words, lit-words, functions met literally, issues...: the general routine
};

enum class ArgOp : uint8_t { evaluated, literal, quoted, push_none, push_false };
struct ArgStep {
  ArgOp op;
  int32_t index;  // the argument's entry in the callable's argument list
  Cell types;     // its typeset
};

// Control natives the engine runs in its own loop when a call site still names them.
enum class Special : uint8_t { none, if_, unless, either, while_, loop_, repeat_ };

struct CallPlan {
  Cell callee;
  uint32_t epoch;
  std::vector<ArgStep> steps;  // a plain call: fixed arguments, every refinement off
  int32_t locals = 0;          // function locals pushed after the arguments
  Special special = Special::none;
  bool in_use = false;         // set while sweeping: a record still runs this call
};

struct Entry {
  Cell cell{};
  Kind kind = Kind::unknown;
  uint32_t epoch = 0;
  CallPlan* call = nullptr;  // the call site's cache: valid while epoch and its callee match
};

struct Plan {
  NodeId node;
  std::vector<Entry> entries;
  bool in_use = false;
};

inline uint32_t epoch = 1;  // the collection count, as far as call plans are concerned

Kind classify(const Cell& cell);
// The block's plan, or nullptr while it has run only once.
Plan* plan_for(const Cell& block);
// The plan's entry for position, made again from the live cell when it differs.
Entry& entry_at(Plan& plan, int32_t position, const Cell& live);
// The call plan of callable (native!, action!, function!, routine!), through the entry's cache.
const CallPlan* call_plan(Entry* entry, const Cell& callable);
void init_plans();

// The two look-ups above, their common case inline: the entry still made from the live cell, the
// call site's cache still naming this callee in this collection epoch; the verifier takes the
// long road, which checks them.
inline Entry& entry_fast(Plan& plan, int32_t position, const Cell& live) {
  if (static_cast<size_t>(position) < plan.entries.size() && !verify) [[likely]] {
    Entry& e = plan.entries[position];
    if (e.kind != Kind::unknown && same_cell(e.cell, live)) [[likely]] return e;
  }
  return entry_at(plan, position, live);
}
inline const CallPlan* call_plan_fast(Entry* entry, const Cell& callable) {
  if (entry && entry->call && entry->epoch == epoch && !verify && same_cell(entry->call->callee, callable))
    [[likely]] return entry->call;
  return call_plan(entry, callable);
}
// The collector's sweep: plans of dead blocks go, every call plan is dropped. Records that still
// run a plan or call plan flag it (in_use) before.
void sweep_plans();

// Verifier mode: stops the program with a report.
[[noreturn]] void verify_failed(const char* what);

}  // namespace vyn::engine
