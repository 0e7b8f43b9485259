// eval/engine/plans.cpp: making, finding and dropping plans and call plans.
#include "eval/engine/plans.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "core/gc.hpp"
#include "core/node.hpp"
#include "values/callables/arg_list.hpp"
#include "eval/engine/engine.hpp"
#include "eval/engine/records.hpp"
#include "values/series/block.hpp"

namespace vyn::engine {
namespace {

// A buffer's spare word: 0 never run, seen run once, else the index + 1 of its plan.
constexpr uint32_t seen = 0xFFFFFFFFu;

// The tables are never destroyed: what they hold lives as long as the program.
std::vector<Plan*>& plans = *new std::vector<Plan*>;  // by index; nullptr where one was dropped
std::vector<uint32_t>& free_slots = *new std::vector<uint32_t>;

struct CellHash {
  size_t operator()(const Cell& c) const {
    uint64_t w[2];
    std::memcpy(w, &c, sizeof w);
    uint64_t a = w[0], b = w[1];
    return static_cast<size_t>((a * 0x9E3779B97F4A7C15ull) ^ (b + (a >> 29)));
  }
};
struct CellEq {
  bool operator()(const Cell& a, const Cell& b) const { return same_cell(a, b); }
};
using CallPlans = std::unordered_map<Cell, CallPlan*, CellHash, CellEq>;
CallPlans& call_plans = *new CallPlans;  // this epoch's
std::vector<CallPlan*>& retired = *new std::vector<CallPlan*>;  // earlier ones records may still run

// The node of a plan when it still names a live buffer that holds this plan.
bool still_names(NodeId& node, uint32_t index) {
  gc::relocate(node);
  if (!node || !alloc::find_node_frame(node)) return false;
  auto* b = reinterpret_cast<SeriesBuffer*>(*alloc::node_slot(node));
  if (!b || b->node != node || !(b->flags & SeriesBuffer::mark)) return false;
  return b->spare == index + 1;
}

Special special_of(const Cell& callable) {
  if (!callable.is(Type::native)) return Special::none;
  switch (native::index(callable)) {  // the table's fixed order: 1 if, 2 unless, 3 either, 6 while, 8 loop, 9 repeat
    case 1: return Special::if_;
    case 2: return Special::unless;
    case 3: return Special::either;
    case 6: return Special::while_;
    case 8: return Special::loop_;
    case 9: return Special::repeat_;
    default: return Special::none;
  }
}

// The steps eval_word_call takes over the argument list, written down once.
CallPlan* make_call_plan(Cell callable) {
  Cell list = args::list(callable);  // may allocate, and so collect
  auto* plan = new CallPlan;
  plan->callee = callable;
  plan->epoch = epoch;
  plan->special = special_of(callable);
  bool function_like = args::is_function_like(callable.type());
  int32_t n = block::length_total(list);
  bool active = true;
  for (int32_t i = 0; i < n; ++i) {
    const Cell& e = block::cells(list)[i];
    if (e.is(Type::typeset)) {
      if (!active) {
        if (function_like) plan->steps.push_back({ArgOp::push_none, i, e});
        continue;
      }
      ArgOp op = args::kind_of(e) == args::evaluated ? ArgOp::evaluated
                 : args::kind_of(e) == args::literal ? ArgOp::literal
                                                     : ArgOp::quoted;
      plan->steps.push_back({op, i, e});
    } else if (e.is(Type::refinement)) {
      if (!function_like) {
        const Cell& last = block::cells(list)[n - 1];
        plan->locals = last.is(Type::integer) ? last.int_value() : 0;
        break;
      }
      active = false;
      plan->steps.push_back({ArgOp::push_false, i, e});
    } else if (e.is(Type::integer)) {
      plan->locals = e.int_value();
    }
  }
  return plan;
}

bool same_plan(const CallPlan& a, const CallPlan& b) {
  if (a.steps.size() != b.steps.size() || a.locals != b.locals || a.special != b.special) return false;
  for (size_t i = 0; i < a.steps.size(); ++i) {
    const ArgStep &x = a.steps[i], &y = b.steps[i];
    if (x.op != y.op || x.index != y.index || !same_cell(x.types, y.types)) return false;
  }
  return true;
}

void check_call_plan(const CallPlan& cached, Cell callable) {
  CallPlan* fresh = make_call_plan(callable);
  bool ok = same_plan(cached, *fresh);
  delete fresh;
  if (!ok) verify_failed("a call plan no longer matches its callee's argument list");
}

void sweep_callback(void*) { sweep_plans(); }

}  // namespace

Kind classify(const Cell& cell) {
  switch (cell.type()) {
    case Type::word: return Kind::word;
    case Type::set_word: return Kind::set_word;
    case Type::paren: return Kind::paren;
    case Type::set_path: case Type::get_word: case Type::lit_word: case Type::path: case Type::get_path:
    case Type::lit_path: case Type::native: case Type::action: case Type::function: case Type::routine:
    case Type::op: case Type::issue:
      return Kind::other;
    default: return Kind::inert;
  }
}

Plan* plan_for(const Cell& block) {
  NodeId node = series_node(block);
  SeriesBuffer* b = buffer_of(node);
  uint32_t s = b->spare;
  if (s != 0 && s != seen) {
    Plan* p = s - 1 < plans.size() ? plans[s - 1] : nullptr;
    if (p && p->node == node) return p;
    if (verify) verify_failed("a block's plan names another block");
    b->spare = 0;
    return nullptr;
  }
  if (s == 0) {  // one-shot blocks never pay for a plan
    b->spare = seen;
    return nullptr;
  }
  uint32_t index;
  if (!free_slots.empty()) {
    index = free_slots.back();
    free_slots.pop_back();
  } else {
    index = static_cast<uint32_t>(plans.size());
    plans.push_back(nullptr);
  }
  Plan* p = new Plan;
  p->node = node;
  p->entries.resize(static_cast<size_t>(block::length_total(block)));
  plans[index] = p;
  b->spare = index + 1;
  return p;
}

Entry& entry_at(Plan& plan, int32_t position, const Cell& live) {
  if (static_cast<size_t>(position) >= plan.entries.size()) plan.entries.resize(position + 16);
  Entry& e = plan.entries[position];
  if (e.kind != Kind::unknown && same_cell(e.cell, live)) {
    if (verify && e.kind != classify(live)) verify_failed("a plan entry no longer matches its cell");
    return e;
  }
  e.cell = live;
  e.kind = classify(live);
  e.call = nullptr;
  return e;
}

const CallPlan* call_plan(Entry* entry, const Cell& callable_in) {
  Cell callable = callable_in;  // a copy: making a plan allocates
  if (entry && entry->call && entry->epoch == epoch && same_cell(entry->call->callee, callable)) {
    if (verify) check_call_plan(*entry->call, callable);
    return entry->call;
  }
  CallPlan* plan;
  auto found = call_plans.find(callable);
  if (found != call_plans.end()) {
    plan = found->second;
    if (verify) check_call_plan(*plan, callable);
  } else {
    plan = make_call_plan(callable);  // may collect: the epoch is read after
    plan->epoch = epoch;
    call_plans.emplace(callable, plan);
  }
  // a collection while the plan was made keeps the entry where it was: its plan is running
  if (entry) {
    entry->call = plan;
    entry->epoch = plan->epoch;
  }
  return plan;
}

void sweep_plans() {
  flag_running();
  for (uint32_t i = 0; i < plans.size(); ++i) {
    Plan* p = plans[i];
    if (!p) continue;
    if (p->in_use || still_names(p->node, i)) {
      p->in_use = false;
      continue;
    }
    delete p;
    plans[i] = nullptr;
    free_slots.push_back(i);
  }
  for (auto& [callee, plan] : call_plans) retired.push_back(plan);
  call_plans.clear();
  size_t kept = 0;
  for (CallPlan* plan : retired) {
    if (plan->in_use) {
      plan->in_use = false;
      retired[kept++] = plan;
    } else {
      delete plan;
    }
  }
  retired.resize(kept);
  ++epoch;
}

void init_plans() { gc::add_sweep_callback(sweep_callback); }

void verify_failed(const char* what) {
  std::fprintf(stderr, "*** engine verifier: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

}  // namespace vyn::engine
