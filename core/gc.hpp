// core/gc.hpp: the garbage collector: a precise mark-and-compact collector for nodes and series
// buffers.
//
// It never scans the C++ stack. Everything C++ code holds across a call that may allocate lives
// on the value stack, in a Root, or in a holder that registered a mark callback; anything else may
// be freed or moved by the next allocation. Series buffers move at every collection that finds
// dead space before them; nodes move only in a collection asked for with Nodes::may_move, which
// callers pass only at a safe point where no C++ activation keeps a node id in a local.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::hashtable {
class Marker;
}

namespace vyn::gc {

struct Stats {
  uint32_t cycles = 0;            // collections run so far
  uint32_t node_compactions = 0;  // collections that emptied node frames
};

// Off until start-up has bound its values. In stress mode (VYN_GC_STRESS set in the environment,
// neither empty nor "0") every allocation that could collect does collect, every live buffer moves
// to fresh frames and the old frames go back to the system, so a stale address faults at once.
bool enabled();
void set_enabled(bool on);
bool stress();
// Whether a collection is under way (mark callbacks run inside one).
bool collecting();
Stats& stats();
// Counters to 0 and the built-in marking layouts; the runtime initialiser calls it first.
void init();

enum class Nodes : bool {
  stay = false,     // node ids keep their meaning: any collection triggered by an allocation
  may_move = true,  // sparsely used node frames may be emptied: only at a safe point
};

// One full collection. Any series buffer may move; with Nodes::may_move node ids may change too
// (every root, marked cell and registered holder is rewritten), unless a hash table rebuild has
// paused node compaction. A collection inside a collection does nothing.
void collect(Nodes nodes = Nodes::stay);
// Collects when the collector is enabled; never moves nodes. The allocator calls it.
void collect_if_enabled();

// Node-frame compaction for code that runs inside the interpreter (recycle): C++ activations
// below it keep node ids, so it only asks, and the next safe point compacts.
void request_node_compaction();
// Called where no C++ activation keeps a node id (the console's top level between inputs): runs
// a collection that may move nodes when one was asked for, and answers whether it did.
bool at_safe_point();

// Mark callbacks: long-lived holders outside the roots below (lexer states, the interpreter's
// current code, the owners table) register one; it runs during marking, in registration order,
// and marks with the functions below; it must not allocate. At most 100 at once; adding the same
// (fn, data) twice keeps one entry. add answers false when the table is full.
using MarkCallback = void (*)(void* data);
bool add_mark_callback(MarkCallback fn, void* data = nullptr);
void remove_mark_callback(MarkCallback fn, void* data = nullptr);
// Weak holders register a sweep callback: it runs once everything reachable is marked and before
// anything is freed; it drops what was not marked (marked()) and marks what it keeps.
bool add_sweep_callback(MarkCallback fn, void* data = nullptr);
void remove_sweep_callback(MarkCallback fn, void* data = nullptr);

// Roots of the layers above core (the datatype and predefined words, the call frames): each
// registers at start-up one routine that marks the roots it owns, which every collection runs
// among core's own roots, before the mark callbacks. At most 16; registering the same routine
// twice keeps one, and registrations outlive runtimes.
using RootMarker = void (*)();
void add_root_marker(RootMarker fn);

// Marking, for callbacks and root markers only (they run while a collection runs). Each takes the
// word that holds the node and rewrites it when the collector has relocated the node.
void mark_cell(Cell& cell);               // what the cell refers to, by its type
void mark_cells(Cell* first, Cell* last);
bool mark_series(NodeId& node);           // the buffer only; answers whether newly marked
bool mark_block(NodeId& node);            // the buffer and, when it holds cells, their referents
void mark_table(NodeId& table);           // a hash table and its arrays
bool marked(NodeId& node);
void relocate(NodeId& node);              // rewrites a node id only, marking nothing
hashtable::Marker& marker();              // the same, for hashtable::mark and sweep_weak

}  // namespace vyn::gc
