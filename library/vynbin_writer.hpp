// library/vynbin_writer.hpp: the state of one Vynbin encoding, shared by the files of the writer.
//
// One walker serves both layouts: the record forms differ only at the leaves (a varint or a
// 32-bit word, a tag byte with prefixes or a header word), so the walker asks the Writer for
// each integer and for each record head. The encoder reads the value in place and allocates
// nothing of the runtime's, so it may hold cell addresses throughout.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/cell.hpp"
#include "library/vynbin_format.hpp"

namespace vyn::vynbin::writer {

using namespace format::header;

// The class id that stands for the global context's object (system/words) in a boot image.
inline constexpr int32_t global_class_mark = -2;

struct Writer {
  bool compact = true;
  // A boot image: routines, C++ bodies of functions, class ids and the global context's object
  // are written too, for the start-up decoder alone.
  bool boot = false;
  format::Out rec;
  std::vector<uint32_t> symbols;
  std::unordered_map<uint32_t, uint32_t> symbol_indexes;  // a scan of symbols would be quadratic
  std::string names;
  std::vector<uint32_t> offsets;
  std::unordered_map<NodeId, std::vector<uint32_t>> seen;
  std::vector<uint32_t> levels;  // the record counters of the open levels, outermost first
  uint32_t counter = 0;

  // A count or an unsigned number: a varint, or a word.
  void u(uint32_t v) { compact ? rec.varint(v) : rec.raw32(v); }
  // A signed number: a zigzag varint, or a word.
  void s(int32_t n) { compact ? rec.zigzag(n) : rec.raw32(static_cast<uint32_t>(n)); }
  void word(uint32_t w) { rec.raw32(w); }
  // Bytes of data; the standard layout pads them with zero bytes to a multiple of 4.
  void data(const uint8_t* p, size_t n) {
    rec.bytes(p, n);
    if (!compact)
      while (rec.data.size() % 4) rec.byte(0);
  }
  // The standard layout keeps doubles on 8-byte boundaries with zero padding words.
  void align8() {
    if (!compact)
      while (rec.data.size() % 8) rec.raw32(0);
  }
  // The head of a record: the prefixes and the tag (bit 6 as given), or the header word (the
  // type id or'ed with the given bits).
  void head(Type t, bool bit6, uint32_t bits, bool shared, bool new_line) {
    if (compact) {
      if (new_line) rec.byte(0xC0);
      if (shared) rec.byte(0xC1);
      return rec.tag(t, bit6);
    }
    word(static_cast<uint32_t>(t) | bits | (shared ? hw_shared : 0) | (new_line ? hw_new_line : 0));
  }
  void path(const std::vector<uint32_t>& p) {
    if (!compact) word(255);
    u(static_cast<uint32_t>(p.size()));
    for (uint32_t i : p) u(i);
  }
  uint32_t symbol_index(uint32_t symbol);
};

// The walker's entry: one record for the value, counted at the current level.
void value(Writer& w, const Cell& v);
[[noreturn]] void no_codec(const Cell& v);

// Sharing: the path of a key already written, or nullptr after opening a level for it (the
// counter restarts at 0 and the key is remembered with the path of the open levels).
const std::vector<uint32_t>* open_or_find(Writer& w, NodeId key);
void close_level(Writer& w);

// The records of contexts and what holds them (library/vynbin_encode_context.cpp). Each answers
// false when the value is not of its kinds.
bool context_value(Writer& w, const Cell& v);

}  // namespace vyn::vynbin::writer
