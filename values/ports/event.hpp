// values/ports/event.hpp: event!, one user-interface event: its cell, its fields and the maker the view
// back end calls for each event it dispatches.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/cell.hpp"
#include "values/callables/routine.hpp"

namespace vyn::event {

// The event cell:
//   header  type id 54 | has_values when w2 holds a block | special_key when the key is a code
//   w1      type code, 1-38 (0: no type)
//   w2      node of the values block [face window offset picked], or 0
//   w3      flag bits (below) | the key in bits 0-20 (a code point, or the negated special code)
inline constexpr uint32_t has_values = 0x1000;   // the collector marks w2 only with this bit
inline constexpr uint32_t special_key = 0x2000;
inline constexpr uint32_t key_mask = 0x1FFFFF;   // every code point fits below the flag bits

// The payload, read and written here only.
inline int32_t code_of(const Cell& e) { return static_cast<int32_t>(e.w1); }
inline void set_code(Cell& e, int32_t code) { e.w1 = static_cast<uint32_t>(code); }
inline NodeId values_of(const Cell& e) { return e.header & has_values ? e.w2 : 0; }
inline void set_values(Cell& e, NodeId block) {
  e.header |= has_values;
  e.w2 = block;
}
inline uint32_t bits_of(const Cell& e) { return e.w3; }  // flag bits | key
inline void set_bits(Cell& e, uint32_t bits) { e.w3 = bits; }

namespace flag {

inline constexpr uint32_t aux_down = 0x400000, alt_down = 0x800000, mid_down = 0x1000000,
                          down = 0x2000000, away = 0x4000000, control = 0x10000000,
                          shift = 0x20000000, alt = 0x40000000, command = 0x80000000;
}

inline constexpr int type_count = 38;
inline constexpr int field_count = 15;

// What the back end knows of one event. The face must be reachable from elsewhere while push runs
// (a shown face always is); the event keeps its own copy of everything, so it stays readable after
// the dispatch that made it.
struct Record {
  int32_t type = 0;              // type code 1-38
  Cell face = make_none();
  float x = 0, y = 0;            // the offset, truncated toward zero when read
  int32_t key = 0;               // a code point (0: none), or a special-key code (-20 .. -42)
  bool special = false;          // key holds a special-key code
  int32_t picked = 0;
  bool wheel = false;            // picked reads as the wheel amount
  float wheel_amount = 0;
  uint32_t flags = 0;            // flag bits only
};

// Pushes a new event made from the record onto the value stack.
Cell* push(const Record& r);
// Pushes a copy of an event cell onto the value stack.
Cell* push_cell(const Cell& event);

// 1-15 for a field word, -1 for any other value; a word that names no field raises
// script/cannot-use when the context value is an event.
int field_index(Cell word, Cell context);
// The value of field 1-15 (the field table), pushed onto the value stack.
Cell* push_field(Cell event, int index);
// A runtime starting afresh makes its own shared flags block at its first read.
void forget_flags_block();
// The code of an event type word; raises script/not-event-type for any other word.
int32_t type_code(Cell word);
// The flag bit of a flag word, 0 for any other word.
uint32_t flag_from_word(Cell word);
// The type word of a code, or none for 0.
Cell type_word(int32_t code);
// The word of a special-key code, or none.
Cell key_word(int32_t code);
// Whether a word's canonical symbol is the one of a spelling.
bool word_is(Cell word, std::string_view spelling);

void install();

// The bodies of the event routines that start-up defines.

// find-flag? facet flag: whether a word facet is the flag, or a block facet holds it.
void find_flag_q(routine::Invocation& inv);
// send-event-os event queued?: hands an event to the back end; this one takes none (false).
void send_event_os(routine::Invocation& inv);

}  // namespace vyn::event
