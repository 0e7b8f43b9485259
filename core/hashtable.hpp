// core/hashtable.hpp: the open-addressing hash tables behind hash!, map!, the symbol and word
// tables, and the record tables keyed by a 32-bit key.
//
// A table is a record of eleven 32-bit words in a byte series of its own, known by its node; its
// arrays (bucket keys, positions, chains; bucket flags for record tables) are series too, so the
// collector can find and move all of them. Tables hold 32-bit indexes into their values series,
// never copies of values. Buckets are a power of two (at least 4), each live, deleted or empty
// (value tables keep that in the bucket's key, record tables in two flag bits), probed with a
// growing step (offsets 1, 3, 6, 10 ... from the start bucket), and the table is rebuilt when the
// buckets that are live or deleted reach 0.77 of the count.
//
// Every function that may insert may allocate and so collect: the caller keeps the table reachable
// (through its hash! or map! cell, a context, or a root) and re-derives addresses afterwards.
// Answered Cell* addresses point into the values series and are good until the next allocation.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::hashtable {

enum class Kind : int32_t {
  hash = 0,          // hash!: indexes every cell of its block; equal values share a bucket
  map = 1,           // map!: indexes the keys of key/value pairs; keys are unique
  symbols = 2,       // the symbol table and the word tables of contexts
  records = 3,       // records keyed by a 32-bit key (a node)
  weak_records = 4,  // the same, dropped when the key's series or the owner dies
};

struct Record {
  int32_t live;         // live buckets (kind 0: distinct entries; records: live records)
  uint32_t positions;   // kind 0: node of the positions array; kinds 3-4: record width in bytes
  NodeId chains;        // kind 0: node of the array of chain nodes (element 0: released chain)
  NodeId flags;         // kinds 3-4: node of the bucket flags, two bits per bucket; else 0
  NodeId keys;          // node of the bucket keys: kinds 0-2 a key and its value's hash per
                        // bucket (its state too), kinds 3-4 one 32-bit word per bucket
  NodeId values;        // node of the values series
  int32_t occupied;     // live or deleted buckets
  int32_t buckets;      // a power of two, at least 4
  int32_t upper;        // the occupied count at which the next insertion first rebuilds
  int32_t kind;
  uint32_t epoch;       // 0, or the collector's cycle count + 1 when node-keyed hashes were made
};
static_assert(sizeof(Record) == 44, "eleven 32-bit words");

// The record of a table. Never allocates; good until the next allocation.
Record* record(NodeId table);
inline Kind kind_of(NodeId table) { return static_cast<Kind>(record(table)->kind); }

inline constexpr double load = 0.77;
inline constexpr int32_t shift_limit = 30000;  // shifting more positions than this: rebuild

// A new table for n entries. source is a block to index from its head (kinds 0-2) or none; for
// kind 2 with extra 2 the source is a context! cell and the new table copies that context's word
// table over a copy of its word block. For kinds 3 and 4, extra is the value cells per record.
// The answer is held by nothing: the caller makes it reachable before anything else allocates.
NodeId new_(int32_t n, Cell source, Kind kind, int32_t extra);
// Indexes the cells of the table's values block from the source's head (the same block): every
// cell for kinds 0 and 2, every key of the key/value pairs for kind 1, where a key already present
// takes the later pair's value and the later pair leaves the block.
void copy_into(NodeId table, Cell source);
void copy_into(NodeId table, int32_t start, int32_t step);

// Indexes a cell that already stands in the values block; answers it. put_value also reports 2
// in status when the insertion rebuilt a hash! table from its block (which indexed the cell).
Cell* put(NodeId table, Cell* cell);
Cell* put_value(NodeId table, Cell* cell, int& status);

// The cell of the values block that matches key under the comparison op (0 equal?, 2 strict-equal?,
// 9 same?), or nullptr. For hash! tables: the match at or after position start whose distance is a
// multiple of skip, the last such with last, the nearest before start with reverse. A map! looks a
// key of a word type up as a set-word, the form its keys are stored in.
Cell* find(NodeId table, const Cell& key, int32_t start, int32_t skip, int op, bool last,
           bool reverse);

// find for a map! or symbol table (no refinements), which also answers the key's hash in hash, for
// put_hashed to take when the key then goes in.
Cell* find_unique(NodeId table, const Cell& key, int op, uint32_t& hash);
// put for a map! or symbol table, given the hash find_unique answered for an equal key.
Cell* put_hashed(NodeId table, Cell* cell, uint32_t hash);

// Walks the entries equal to key (op 0) along the probe sequence; start with a fresh cursor.
struct Cursor {
  int32_t bucket = -1;
  int32_t end = 0;     // the start bucket, where the walk would wrap round
  int32_t probes = 0;
};
Cell* find_next(NodeId table, const Cell& key, Cursor& cursor);

// hash!: takes a position out of its bucket. map!: marks the pair removed (value header 0).
void remove_at(NodeId table, Cell* cell);
void remove_position(NodeId table, int32_t position);
// Takes n positions out (cut at the block's tail); all of them resets the table.
void remove_range(NodeId table, int32_t position, int32_t n);
// After count cells from position start on moved by shift cells, adds shift to every stored
// position >= start; with update also takes out the removed positions and moves the positions
// array. Answers 1 (doing nothing) when count exceeds shift_limit: the caller rebuilds.
int shift_indexes(NodeId table, int32_t shift, int32_t start, int32_t count, bool update);
// After count cells moved from position source to destination (the moved cells start there when
// moving back, end there when moving forward), re-indexes every position that changed.
void move_range(NodeId table, int32_t destination, int32_t source, int32_t count);

// A new table with copies of the record and arrays, indexing the given block; held by nothing,
// as with new_.
NodeId copy(NodeId table, NodeId block);
// No entries, every bucket empty, the values series emptied.
void clear(NodeId table);
// Rebuilds for the requested size: hash! from its block, records from their records, the others
// in place. Node compaction is paused meanwhile.
void resize(NodeId table, int32_t request);
// Rebuilds a hash! table from its block at its current size (after its cells were reordered).
void rehash(NodeId table);
// Rebuilds a table whose node-keyed hashes may be stale since the last collection. Answers
// whether it rebuilt.
bool check_epoch(NodeId table);

// Record tables (kinds 3 and 4). put_key answers the first value cell of the key's record (a new
// record's cells are unset!), or the key cell itself when records have no value cells; get_key
// and remove_key answer the same or nullptr when the key is absent.
Cell* put_key(NodeId table, uint32_t key);
Cell* get_key(NodeId table, uint32_t key);
Cell* remove_key(NodeId table, uint32_t key);

// An empty hook entry.
void noop(Cell*);

// What the collector lends a table while it marks. Each call may rewrite the node it is given
// when the collector has relocated that node.
class Marker {
 public:
  virtual void series(NodeId& node) = 0;  // marks the buffer
  // marks the buffer and, when it holds cells, what they refer to from head to tail
  virtual void block(NodeId& node) = 0;
  virtual void cells(Cell* first, Cell* last) = 0;  // marks what the cells refer to
  virtual bool marked(NodeId& node) = 0;

 protected:
  ~Marker() = default;
};
// Marks the table's series. A weak table's keys and record cells are left to sweep_weak.
void mark(NodeId& table, Marker& m);
// After marking: drops the records whose key series, or (kind 4) whose owner's context (the
// object in the record's third cell), was not marked; marks what the surviving records hold.
void sweep_weak(NodeId table, Marker& m);

// Rebuilds compute hashes from node ids, so the collector must not relocate nodes meanwhile;
// node-frame compaction asks this before moving nodes.
bool node_compaction_allowed();

// The shared key buffer: a copy of the bytes with A-Z lowered; good until the next call.
const uint8_t* key_buffer(const uint8_t* bytes, uint32_t length);
// memcmp of the bytes, or with ASCII letters folded unless case_sensitive.
int compare_keys(const uint8_t* a, const uint8_t* b, uint32_t length, bool case_sensitive);

}  // namespace vyn::hashtable
