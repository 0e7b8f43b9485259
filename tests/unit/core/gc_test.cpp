// The collector: roots, marking by layout, compaction, node relocation, callbacks, statistics.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/cell_pool.hpp"
#include "core/gc.hpp"
#include "core/gc_stats.hpp"
#include "values/memory_stats.hpp"
#include "core/gc_stress.hpp"
#include "core/handles.hpp"
#include "core/hashtable.hpp"
#include "core/node.hpp"
#include "core/os_frame.hpp"
#include "core/roots.hpp"
#include "core/series.hpp"
#include "values/frames.hpp"
#include "tests/unit/support/child_process.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/callables/callable.hpp"
#include "values/objects/context.hpp"
#include "values/cycles.hpp"
#include "core/runtime_cells.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

// Each test decides when collections run: none behind its back, stress mode or not. Under stress
// the collector's own tests collect at every allocation, whatever period the suite samples at.
class Collector : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    gc::set_enabled(false);
    if (saved_period_) gc::stress_policy::reset(1, 1);
  }
  void TearDown() override {
    gc::stress_policy::reset(saved_period_, 1);
    RuntimeTest::TearDown();
  }
  uint32_t saved_period_ = gc::stress_policy::period();
};

// Whether the node is in use and its slot points at a buffer that points back at it. Read right
// after a collection: a freed node may be handed out again by the next allocation.
bool node_live(NodeId n) {
  alloc::NodeFrame* f = alloc::find_node_frame(n);
  if (!f) return false;
  uintptr_t v = *alloc::node_slot(n);
  auto first = reinterpret_cast<uintptr_t>(f->slots);
  if (!v || (v >= first && v < first + f->capacity * sizeof(uintptr_t))) return false;
  return reinterpret_cast<SeriesBuffer*>(v)->node == n;
}

int series_frames() {
  int n = 0;
  for (alloc::SeriesFrame* f = alloc::memory().series_head; f; f = f->next) ++n;
  return n;
}

uint32_t nodes_used() {
  uint32_t n = 0;
  for (alloc::NodeFrame* f = alloc::node_frames(); f; f = f->next) n += f->used;
  return n;
}

// A block holding a string of the text, and what reads it back.
Cell* labelled(const char* text) {
  Cell* b = block::push_only(2);
  block::append_copy(*b, *string_of(text));
  stack::pop(1);
  return b;
}
std::string label_of(const Cell& b) { return string::to_utf8(block::cells(b)[0]); }

// Unreachable series between the live ones, so that compaction has somewhere to move them.
void garbage(int count, uint32_t bytes = 200) {
  for (int i = 0; i < count; ++i) alloc::new_bytes(bytes);
}

// The Part's own case: a block whose only holder was a word set back to unset.
TEST_F(Collector, ABlockReachableOnlyFromAnUnsetWordIsFreedWithItsNode) {
  Cell w = word::load("temporary");
  {
    stack::Mark mark;
    word::set(w, *labelled("kept by the word"));
  }
  NodeId node = series_node(*word::value_cell(w));
  gc::collect();
  ASSERT_TRUE(node_live(node));
  EXPECT_EQ(label_of(*word::value_cell(w)), "kept by the word");
  uint32_t used = nodes_used();
  *word::value_cell(w) = make_unset();
  gc::collect();
  EXPECT_FALSE(node_live(node));
  EXPECT_EQ(nodes_used(), used - 2);  // the block and its string
}

// Every root keeps its value, and its value's contents, while buffers move under it.
TEST_F(Collector, EveryRootKeepsWhatItHolds) {
  Cell* on_stack = labelled("value stack");
  garbage(50);
  Root root(*labelled("root slot"));
  stack::pop(1);
  garbage(50);
  int32_t pooled = cellpool::alloc(*labelled("cell pool"));
  stack::pop(1);
  block::append_copy(runtime_cells().root, *labelled("root block"));
  stack::pop(1);
  runtime_cells().scratch = *labelled("scratch");
  stack::pop(1);
  try {
    fire(Err::script_invalid_arg, {*labelled("pending error")});
  } catch (const Raised&) {
  }
  stack::pop(1);
  Cell* cycled = labelled("cycle stack");
  cycles::push(series_node(*cycled));
  NodeId cycled_node = series_node(*cycled);
  stack::pop(1);
  garbage(50);

  gc::collect();
  EXPECT_EQ(label_of(*on_stack), "value stack");
  EXPECT_EQ(label_of(*root), "root slot");
  EXPECT_EQ(label_of(*cellpool::at(pooled)), "cell pool");
  EXPECT_EQ(label_of(block::vs_tail(runtime_cells().root)[-1]), "root block");
  EXPECT_EQ(label_of(runtime_cells().scratch), "scratch");
  EXPECT_EQ(label_of(pending_error().args[0]), "pending error");
  EXPECT_TRUE(node_live(cycled_node));
  EXPECT_EQ(label_of(make_series(Type::block, cycled_node)), "cycle stack");
  cycles::pop();
}

// A frame keeps the context of its word, its function's context, and the values that context had
// before the call when they were a block.
TEST_F(Collector, CallFramesKeepTheirContexts) {
  NodeId word_ctx = context::make(2, false, false, 0, context::Kind::object);
  Cell named = make_cell(Type::word, word_ctx, symbol::make("named"), static_cast<uint32_t>(-1));
  stack::mark_native(&named);
  NodeId func_ctx = context::make(2, false, false, 0, context::Kind::object);
  uint32_t old_values = stack::context_values(func_ctx);
  stack::mark_func(nullptr, func_ctx);
  Cell replacement = *labelled("replacement");  // on the stack: pushed above the frames
  stack::set_context_values(func_ctx, series_node(replacement));
  garbage(30);
  gc::collect();
  EXPECT_TRUE(node_live(word_ctx));
  EXPECT_TRUE(node_live(func_ctx));
  EXPECT_TRUE(node_live(old_values));
  stack::unwind_func_drop();
  EXPECT_EQ(stack::context_values(func_ctx), old_values);
  stack::unwind_drop();
}

// What each datatype's payload words hold, as the layout table says. A word that must not be
// followed holds a value that names no node: marking it would stop the process.
TEST_F(Collector, EachTypeKeepsTheNodesOfItsLayout) {
  constexpr uint32_t junk = 5;
  struct Case {
    Type type;
    uint32_t header_flags;
    bool w1, w2, w3;  // which words get a fresh node; the others hold junk
  };
  const Case cases[] = {
      {Type::block, 0, false, true, false},     {Type::path, 0, false, true, false},
      {Type::string, 0, false, true, true},     {Type::email, 0, false, true, true},
      {Type::binary, 0, false, true, false},    {Type::bitset, 0, false, true, false},
      {Type::symbol, 0, false, true, true},     {Type::word, 0, true, false, false},
      {Type::issue, 0, true, false, false},     {Type::native, 0, false, true, true},
      {Type::op, static_cast<uint32_t>(Type::native) << op::underlying_shift, false, true, true},
      {Type::op, static_cast<uint32_t>(Type::function) << op::underlying_shift, true, true, true},
      {Type::function, 0, true, true, true},    {Type::object, 0, true, false, true},
      {Type::error, 0, true, false, true},      {Type::event, 0, false, false, false},
      {Type::event, 0x1000, false, true, false}, {Type::integer, 0, false, false, false},
      {Type::typeset, 0, false, false, false},
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    Cell* cell = stack::push(make_cell(c.type, junk, junk, junk));
    cell->header |= c.header_flags;
    bool wanted[3] = {c.w1, c.w2, c.w3};
    NodeId nodes[3] = {};
    uint32_t* words[3] = {&cell->w1, &cell->w2, &cell->w3};
    for (int i = 0; i < 3; ++i) {
      if (!wanted[i]) continue;
      nodes[i] = alloc::new_cells(1);
      *words[i] = nodes[i];
    }
    garbage(5);
    gc::collect();
    for (int i = 0; i < 3; ++i) {
      if (!wanted[i]) continue;
      EXPECT_TRUE(node_live(nodes[i])) << registry::type_name(c.type) << " word " << i + 1;
    }
  }
}

// A context's values block is followed unless its values live in a call's frame, where word 2 is
// a stack position; its word table is marked as a table.
TEST_F(Collector, ContextsKeepTheirTableAndValuesUnlessOnTheStack) {
  NodeId object = context::make(3, false, false, 0, context::Kind::object);
  NodeId function = context::make(3, true, false, 0, context::Kind::function);
  stack::push(make_cell(Type::object, object));
  stack::push(make_cell(Type::object, function));
  context::set_values_word(function, 7);  // a stack position + 1, as while a call runs
  NodeId table = context::word_table(object), values = context::values_word(object);
  garbage(20);
  gc::collect();
  EXPECT_TRUE(node_live(table));
  EXPECT_TRUE(node_live(values));
  EXPECT_TRUE(node_live(context::word_table(function)));
  context::set_values_word(function, 0);
}

// Deep nesting is marked without recursion, and everything a dropped structure held comes back.
TEST_F(Collector, DeepStructuresAreMarkedAndTheirMemoryReturns) {
  gc::collect();
  uint64_t before = gc::memory_in_use();
  uint32_t nodes_before = nodes_used();
  int frames_before = series_frames();
  {
    stack::Mark mark;
    Cell* top = block::push_only(1);
    Cell* inner = stack::push(*top);
    for (int depth = 0; depth < 200000; ++depth) {
      Cell next = *block::make_at(stack::push_unset(), 1);
      block::append_copy(*inner, next);
      *inner = next;
      stack::pop(1);
    }
    Cell* wide = block::push_only(20000);
    for (int i = 0; i < 20000; ++i) {
      block::append_copy(*wide, *string_of("a string that takes some room"));
      stack::pop(1);
    }
    gc::collect();
    EXPECT_GT(gc::memory_in_use(), before + 200000 * 40);
    EXPECT_GE(nodes_used(), nodes_before + 220000);
    Cell at = *top;  // walk down the chain: every level survived
    int depth = 0;
    for (; block::vs_length(at) == 1; ++depth) at = block::cells(at)[0];
    EXPECT_EQ(depth, 200000);
  }
  gc::collect();
  EXPECT_LE(gc::memory_in_use(), before + 4096);
  EXPECT_EQ(nodes_used(), nodes_before);
  EXPECT_LE(series_frames(), frames_before + 1);
}

TEST_F(Collector, ADisabledCollectorGrowsFramesInstead) {
  uint32_t cycles = gc::stats().cycles;
  int frames = series_frames();
  size_t os = alloc::os_total();
  garbage(3000, 1000);
  EXPECT_EQ(gc::stats().cycles, cycles);
  EXPECT_GE(series_frames(), frames + 1);
  EXPECT_GT(alloc::os_total(), os);
}

TEST_F(Collector, AnEnabledCollectorCollectsWhenNoFrameHasRoom) {
  gc::set_enabled(true);
  uint32_t cycles = gc::stats().cycles;
  int frames = series_frames();  // what start-up holds, the base library's functions among it
  Cell* kept = labelled("kept");
  garbage(gc::stress() ? 200 : 5000, 4000);  // 20 MB over time, almost none of it at once
  EXPECT_GT(gc::stats().cycles, cycles);
  EXPECT_LE(series_frames(), frames + 2);
  EXPECT_EQ(label_of(*kept), "kept");
  gc::set_enabled(false);
}

// Live buffers slide down over the dead ones before them; what is left behind is poisoned (in
// debug builds). Stress mode evacuates every buffer to fresh frames instead.
TEST_F(Collector, CompactionSlidesLiveBuffersDownAndPoisonsTheRest) {
  gc::collect();
  garbage(100);
  Cell* kept = labelled("slides down");
  SeriesBuffer* before = block::buffer(*kept);
  alloc::SeriesFrame* f = alloc::memory().series_current;
  uint8_t* old_bump = f->bump;
  gc::collect();
  EXPECT_EQ(label_of(*kept), "slides down");
  EXPECT_NE(block::buffer(*kept), before);
  if (gc::stress()) return;
  EXPECT_LT(reinterpret_cast<uint8_t*>(block::buffer(*kept)), reinterpret_cast<uint8_t*>(before));
  ASSERT_LT(f->bump, old_bump);
#ifndef NDEBUG
  for (uint8_t* p = f->bump; p < old_bump; ++p) ASSERT_EQ(*p, 0xDB);
#endif
}

// A frame's live runs move into the frame below when it has room; a frame left empty is returned
// when another follows it, and the last one is kept.
TEST_F(Collector, RunsMoveIntoTheFrameBelowAndEmptyFramesAreReturned) {
  if (gc::stress()) GTEST_SKIP() << "stress mode evacuates instead of compacting";
  gc::collect();
  int held = series_frames();  // what start-up holds, wherever its size puts the boundary
  while (series_frames() < held + 2) garbage(100, 4000);
  Cell* kept = labelled("moves down");
  alloc::SeriesFrame* last = alloc::memory().series_last;
  gc::collect();
  EXPECT_EQ(label_of(*kept), "moves down");
  auto* at = reinterpret_cast<uint8_t*>(block::buffer(*kept));
  EXPECT_FALSE(at >= last->heap() && at < last->end);  // it left the last frame for one below
  // The emptied frames went back; one more than start-up held stays only as the kept empty last.
  EXPECT_LE(series_frames(), held + 1);
  if (series_frames() == held + 1) {
    EXPECT_EQ(alloc::memory().series_last->bump, alloc::memory().series_last->heap());
  }
}

TEST_F(Collector, BigSeriesAreKeptOrReturnedWhole) {
  Cell* kept = stack::push(make_series(Type::binary, alloc::new_bytes(3 << 20)));
  std::memset(block::buffer(*kept)->data(), 7, 3 << 20);
  alloc::new_bytes(3 << 20);
  ASSERT_NE(alloc::big_series()->next, nullptr);
  gc::collect();
  ASSERT_NE(alloc::big_series(), nullptr);
  EXPECT_EQ(alloc::big_series()->next, nullptr);
  EXPECT_EQ(alloc::big_series()->buffer(), block::buffer(*kept));
  EXPECT_EQ(block::buffer(*kept)->data()[(3 << 20) - 1], 7);
  EXPECT_FALSE(block::buffer(*kept)->flags & SeriesBuffer::mark);
}

// A big series grows in its own frame: its bytes from the head stay, the head moves to the start,
// and the list of big frames still leads to every one of them, whichever frame the grown one was.
TEST_F(Collector, BigSeriesGrowInPlaceAndStayListed) {
  for (int which = 0; which < 3; ++which) {
    gc::collect();
    Cell* big[3];
    for (int i = 0; i < 3; ++i) {
      big[i] = stack::push(make_series(Type::binary, alloc::new_bytes(3 << 20)));
      SeriesBuffer* b = block::buffer(*big[i]);
      std::memset(b->data(), 'a' + i, 3 << 20);
      b->head = 5;
      b->tail = (3 << 20) - 1;
    }
    NodeId node = series_node(*big[which]);
    SeriesBuffer* grown = alloc::expand_series_copy(node, 40 << 20);
    EXPECT_EQ(buffer_of(node), grown);
    EXPECT_EQ(grown->size, 40u << 20);
    EXPECT_EQ(grown->head, 0u);
    EXPECT_EQ(grown->tail, (3u << 20) - 6);
    EXPECT_EQ(grown->data()[0], 'a' + which);
    EXPECT_EQ(grown->data()[(3 << 20) - 6], 'a' + which);  // bytes past the tail travel too
    grown->data()[(40 << 20) - 1] = 'z';
    gc::collect();
    int listed = 0;
    for (alloc::BigFrame* f = alloc::big_series(); f; f = f->next) ++listed;
    EXPECT_EQ(listed, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(block::buffer(*big[i])->head_ptr()[0], 'a' + i);
    stack::pop(3);
  }
  gc::collect();
  EXPECT_EQ(alloc::big_series(), nullptr);
}

std::vector<int> called;
void note_one(void*) { called.push_back(1); }
void note_two(void*) { called.push_back(2); }
void note_three(void* data) { called.push_back(*static_cast<int*>(data)); }
Cell held_by_callback;
void mark_held(void*) { gc::mark_cell(held_by_callback); }

// The Part's own case: a removed callback is no longer called, the ones after it still are.
TEST_F(Collector, MarkCallbacksRunInOrderAndARemovedOneNoLonger) {
  int three = 3;
  ASSERT_TRUE(gc::add_mark_callback(note_one));
  ASSERT_TRUE(gc::add_mark_callback(note_two));
  ASSERT_TRUE(gc::add_mark_callback(note_three, &three));
  ASSERT_TRUE(gc::add_mark_callback(note_one));  // already there: still one entry
  called.clear();
  gc::collect();
  EXPECT_EQ(called, (std::vector<int>{1, 2, 3}));
  gc::remove_mark_callback(note_two);
  called.clear();
  gc::collect();
  EXPECT_EQ(called, (std::vector<int>{1, 3}));
  gc::remove_mark_callback(note_one);
  gc::remove_mark_callback(note_three, &three);
  called.clear();
  gc::collect();
  EXPECT_TRUE(called.empty());
}

TEST_F(Collector, WhatACallbackMarksSurvives) {
  held_by_callback = *labelled("held by a callback");
  stack::pop(1);
  NodeId node = series_node(held_by_callback);
  gc::add_mark_callback(mark_held);
  garbage(20);
  gc::collect();
  EXPECT_EQ(label_of(held_by_callback), "held by a callback");
  gc::remove_mark_callback(mark_held);
  gc::collect();
  EXPECT_FALSE(node_live(node));
}

int releases = 0;
void count_release(uintptr_t) { ++releases; }

TEST_F(Collector, AHandleIsReleasedOnceAtTheCollectionAfterItsValueDies) {
  int kind = handles::register_kind(0x7E57, count_release);
  int32_t slot = handles::new_(1234, kind);
  releases = 0;
  {
    Root value(make_cell(Type::handle, 0, 0, static_cast<uint32_t>(slot)));
    gc::collect();
    EXPECT_EQ(releases, 0);
  }
  gc::collect();
  EXPECT_EQ(releases, 1);
  gc::collect();
  EXPECT_EQ(releases, 1);
}

NodeId weak_node = 0;
bool weak_was_marked = true;
NodeId strong_node = 0;
bool strong_was_marked = false;
void look(void*) {
  weak_was_marked = gc::marked(weak_node);
  strong_was_marked = gc::marked(strong_node);
}

TEST_F(Collector, SweepCallbacksSeeWhatWasLeftUnmarked) {
  strong_node = series_node(*labelled("strong"));
  weak_node = alloc::new_bytes(8);
  gc::add_sweep_callback(look);
  gc::collect();
  gc::remove_sweep_callback(look);
  EXPECT_FALSE(weak_was_marked);
  EXPECT_TRUE(strong_was_marked);
}

// Stress mode's check: a cell that outlived its series stops the process at the next collection
// rather than letting it free or move the wrong memory.
TEST_F(Collector, ACellNamingAFreedNodeStopsTheProcess) {
  Cell stale = *labelled("gone");
  stack::pop(1);
  gc::collect();
  ChildOutcome child = in_child([&] {
    Root back(stale);
    gc::collect();
  });
  EXPECT_TRUE(child.exited);
  EXPECT_EQ(child.status, 101);
  EXPECT_NE(child.out.find("which holds no series"), std::string::npos) << child.out;
}

// Memory statistics in both forms agree with each other.
TEST_F(Collector, StatisticsDescribeEveryFrame) {
  stack::push(make_series(Type::binary, alloc::new_bytes(3 << 20)));
  Cell* stats = stack::push_unset();
  uint64_t expected = gc::memory_in_use();
  gc::memory_stats(stats);
  ASSERT_EQ(block::vs_length(*stats), 5);
  Cell* parts = block::cells(*stats);
  uint64_t in_use = 0;
  for (int group = 0; group < 2; ++group) {
    int32_t n = block::vs_length(parts[group]);
    ASSERT_EQ(n % 3, 0);
    ASSERT_GT(n, 0);
    for (int32_t i = 0; i < n; i += 3) {
      Cell* t = block::cells(parts[group]) + i;
      EXPECT_TRUE(t[0].new_line());
      EXPECT_FALSE(t[1].new_line());
      EXPECT_EQ(t[0].int_value() + t[1].int_value(), t[2].int_value());
      in_use += static_cast<uint64_t>(t[1].int_value()) * (group == 0 ? sizeof(uintptr_t) : 1);
    }
  }
  ASSERT_EQ(block::vs_length(parts[2]), 1);
  in_use += static_cast<uint64_t>(block::cells(parts[2])[0].int_value());
  EXPECT_EQ(in_use, expected);
  for (int i = 3; i < 5; ++i) EXPECT_TRUE(parts[i].is(Type::integer) || parts[i].is(Type::float_));
}

// ---- node-frame compaction

// Fills every node frame start-up left with garbage, so that what the test makes next takes its
// nodes from a frame of its own, the last; the first collection frees the garbage, and later ones
// find the test's frame stable, sparsely used and not current.
class NodeCompaction : public Collector {
 protected:
  void SetUp() override {
    Collector::SetUp();
    for (;;) {
      alloc::NodeFrame* f = alloc::node_frames();
      while (f && !f->free_head) f = f->next;
      if (!f) break;
      alloc::new_bytes(0);
    }
    frames_before = frame_count();
  }
  // Collections enough to make the test's frame stable.
  static void settle() {
    for (int i = 0; i < 8; ++i) gc::collect();
  }
  static int frame_count() {
    int n = 0;
    for (alloc::NodeFrame* f = alloc::node_frames(); f; f = f->next) ++n;
    return n;
  }
  static alloc::NodeFrame* test_frame() {
    alloc::NodeFrame* f = alloc::node_frames();
    while (f->next) f = f->next;
    return f;
  }
  int frames_before = 0;
};

// A hash! over three labelled blocks: blocks hash by node.
Cell* hash_of_labels() {
  Cell* b = block::push_only(4);
  for (const char* text : {"one", "two", "three"}) {
    block::append_copy(*b, *labelled(text));
    stack::pop(1);
  }
  NodeId table = hashtable::new_(3, *b, hashtable::Kind::hash, 0);
  b->set_type(Type::hash);
  set_series_extra(*b, table);
  return b;
}

Cell relocated_by_callback;
void mark_relocated(void*) { gc::mark_cell(relocated_by_callback); }

TEST_F(NodeCompaction, MovesTheNodesOfAStableSparseFrameAndRewritesEveryHolder) {
  Cell* on_stack = labelled("on the stack");
  Root root(*labelled("in a root"));
  stack::pop(1);
  int32_t pooled = cellpool::alloc(*labelled("in the pool"));
  stack::pop(1);
  relocated_by_callback = *labelled("held by a callback");
  stack::pop(1);
  gc::add_mark_callback(mark_relocated);
  Cell global = word::load("relocated-global");
  word::set(global, *labelled("in the global context"));
  stack::pop(1);
  Cell* keyed = hash_of_labels();
  NodeId old_node = series_node(*on_stack);
  ASSERT_EQ(alloc::node_frame_of(old_node), test_frame());
  ASSERT_EQ(frame_count(), frames_before + 1);
  settle();
  ASSERT_EQ(gc::stats().node_compactions, 0u);

  gc::collect(gc::Nodes::may_move);
  EXPECT_EQ(gc::stats().node_compactions, 1u);
  EXPECT_LE(frame_count(), frames_before) << "the emptied frame is returned";
  EXPECT_NE(series_node(*on_stack), old_node);
  EXPECT_EQ(label_of(*on_stack), "on the stack");
  EXPECT_EQ(label_of(*root), "in a root");
  EXPECT_EQ(label_of(*cellpool::at(pooled)), "in the pool");
  EXPECT_EQ(label_of(relocated_by_callback), "held by a callback");
  EXPECT_EQ(label_of(*word::value_cell(word::load("relocated-global"))), "in the global context");
  EXPECT_EQ(symbol::spelling(symbol::make("relocated-global")), "relocated-global");
  // a hash! over blocks hashes them by node: found again after its lazy rebuild
  for (int32_t i = 0; i < block::vs_length(*keyed); ++i) {
    Cell key = block::cells(*keyed)[i];
    Cell* found = hashtable::find(series_extra(*keyed), key, 0, 1, 0, false, false);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found - block::cells(*keyed), i);
  }
  gc::remove_mark_callback(mark_relocated);
}

// recycle runs inside the interpreter: it asks, and the next safe point compacts.
TEST_F(NodeCompaction, ASafePointRunsTheCompactionAskedFor) {
  Cell* kept = labelled("moves at the safe point");
  NodeId node = series_node(*kept);
  settle();
  EXPECT_FALSE(gc::at_safe_point());
  gc::request_node_compaction();
  EXPECT_TRUE(gc::at_safe_point());
  EXPECT_EQ(gc::stats().node_compactions, 1u);
  EXPECT_NE(series_node(*kept), node);
  EXPECT_EQ(label_of(*kept), "moves at the safe point");
  EXPECT_FALSE(gc::at_safe_point());
}

TEST_F(NodeCompaction, ACollectionNotAskedToNeverMovesNodes) {
  Cell* kept = labelled("stays");
  NodeId node = series_node(*kept);
  settle();
  gc::collect();
  gc::set_enabled(true);
  garbage(gc::stress() ? 100 : 2000, 1000);
  gc::set_enabled(false);
  EXPECT_EQ(series_node(*kept), node);
  EXPECT_EQ(gc::stats().node_compactions, 0u);
  EXPECT_EQ(label_of(*kept), "stays");
}

}  // namespace
}  // namespace vyn::test
