// values/maps/map.hpp: map!, key/value pairs with hashed lookup, written "#[" key value ... "]".
//
// A map! cell: w1 head index (always 0), w2 the entry block, w3 its hash table (kind map). Every
// copy of the cell shares both. The entry block holds key and value cells in pairs, in the order
// the keys were first stored; a removed pair keeps its key (in the block and in the table) and its
// value cell's header becomes 0, and storing that key again revives the pair in place. Keys are
// stored normalised: any word as a set-word!, text and binary keys as private copies.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::map {

// The cell's payload: a series cell's, its extra word the table.
inline NodeId block_node(const Cell& m) { return series_node(m); }
inline NodeId table_node(const Cell& m) { return m.w3; }


// Whether values of the type may be keys.
bool valid_key(Type t);
// Makes the cell (rooted) a map over block, a fresh block of key/value cells the map takes over:
// its keys are checked and normalised in place, and a key repeated (strictly equal) keeps its
// first place and takes the later value. Raises script/invalid-path (path none) for a key of a
// type no map accepts.
Cell* make_at(Cell* cell, Cell block);
// The number of present entries.
int32_t count(const Cell& map);
// Adds the key/value pairs of spec (a block from its head, or another map's present entries);
// keys are looked up case-sensitively with case_. Answers the map.
Cell* extend(Cell* map, Cell* spec, bool case_);
// One step of foreach over the map: sets the two words of the words block to the next present
// key (a set-word! key as a word!) and its value, from cell position on, and moves position past
// the pair. Answers false, setting nothing, when no present entry is left.
bool foreach_step(const Cell& words, const Cell& map, int32_t& position);

// While one lives, path steps into maps look keys up case-sensitively (get/case and set/case on a
// path); the previous setting comes back when it ends.
class CasePaths {
 public:
  CasePaths();
  ~CasePaths();
  CasePaths(const CasePaths&) = delete;
  CasePaths& operator=(const CasePaths&) = delete;

 private:
  bool saved_;
};

void install();

}  // namespace vyn::map
