// library/vynbin_reader.hpp: the state of one Vynbin decoding, shared by the files of the reader.
//
// Both layouts are read by one set of record decoders: the Decoder answers each integer in the
// layout's own form (a varint or a 32-bit word) and each record starts with a Head that says what
// the tag byte and its prefixes, or the header word, held. Records are decoded top down: a
// container is made and appended to its parent before its members are read, so that every value
// is reachable (and rooted) from the output block as soon as it exists, and a path read later
// finds it. Every count is checked against the bytes left before anything is allocated.
#pragma once

#include <cstdint>
#include <vector>

#include "core/cell.hpp"
#include "library/vynbin_format.hpp"

namespace vyn::vynbin::reader {

struct Head {
  Type type;
  bool bit6;      // the compact tag's bit 6, or the header bit of the same meaning
  uint32_t bits;  // the standard layout's header word (0 in the compact layout)
  bool shared;
  bool new_line;
};

struct Decoder {
  bool compact = true;
  // Decoding the program's boot image: definitions, routines, C++ bodies and class ids allowed.
  bool boot = false;
  format::In in;
  NodeId out = 0;
  const uint8_t* offsets = nullptr;  // the name-offset table, 4 bytes per symbol
  uint32_t symbol_count = 0;
  const uint8_t* names = nullptr;
  uint32_t names_size = 0;
  int depth = 0;
  // Each name is interned once, and its global word made once: 0 and an unset! cell until then.
  std::vector<uint32_t> interned;
  std::vector<Cell> global_words;

  uint32_t u();         // a count or an unsigned number
  int32_t s();          // a signed number
  uint32_t word();      // 32 raw bits
  uint8_t byte();
  // A count of items of at least min_bytes each, which must fit in what is left.
  uint32_t count(size_t min_bytes);
  // n bytes of data, skipped with the standard layout's padding; the answer points into the data.
  const uint8_t* data(size_t n);
  uint32_t symbol_index();                  // a symbol reference, checked
  uint32_t symbol_at(uint32_t index);       // the symbol of a reference, interned
  uint32_t symbol() { return symbol_at(symbol_index()); }
  Cell global_word(uint32_t index, Type t);  // the global word of a reference
  Cell resolve();       // a path (the standard layout's reference record), to the cell it names
  uint32_t head_index(const Head& h);
};

[[noreturn]] void corrupt(const Decoder& d);
inline void need(const Decoder& d, bool ok) {
  if (!ok) corrupt(d);
}

void append(NodeId parent, const Cell& v);
// The index the next cell appended to parent will have.
int32_t next_index(NodeId parent);

// One record, appended to parent.
void record(Decoder& d, NodeId parent);
// Records decoded into a series: its members, one level deeper.
void members(Decoder& d, NodeId node, uint32_t n);

// The series records (library/vynbin_decode_series.cpp); false when the type is not one.
bool series_record(Decoder& d, NodeId parent, const Head& h);
// Contexts, objects, errors, words and callables (library/vynbin_decode_context.cpp).
bool context_record(Decoder& d, NodeId parent, const Head& h);
// Follows one index of a path from a cell (library/vynbin_path.cpp); false when it selects
// nothing.
bool step(Cell& at, uint32_t index);
// The context that a resolved word binding names: that of an object, error or function, of an
// operator made from a function, or of a bound word; 0 when none.
NodeId owner_context(const Cell& target);

}  // namespace vyn::vynbin::reader
