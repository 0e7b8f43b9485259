// values/lexer/state.hpp: the record of one running scan, and the lexer's internal entry points.
//
// Input bytes never lie in a movable buffer (the scan entry points copy series text first), so
// byte pointers into the input stay good across allocations. Cells in the value buffer are known
// by index only: any allocation may move that buffer.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/lexer/lexer.hpp"
#include "values/lexer/tables.hpp"

namespace vyn::lexer {

struct State {
  State* enclosing = nullptr;    // the scan this one runs inside, or nullptr
  uint32_t first = 0;            // index of this scan's first cell in the value buffer
  uint32_t head = 0;             // first cell after the innermost open marker
  uint32_t marker = UINT32_MAX;  // index of the innermost open marker, or UINT32_MAX
  const uint8_t* input = nullptr;
  const uint8_t* end = nullptr;
  const uint8_t* pos = nullptr;
  const uint8_t* token_start = nullptr;  // bounds of the last token
  const uint8_t* token_end = nullptr;
  const uint8_t* resume = nullptr;  // where a tracer moved the position, or nullptr
  int32_t line = 1;
  bool new_line = false;         // a line feed came before the next value
  Type token_type = Type::nothing;
  Type closer_type = Type::nothing;  // set when a closer fails, for the error event
  uint8_t start_state = start_normal;
  uint8_t prev_state = 0;        // the state before the final one
  Kind kind = Kind::eof;
  const uint8_t* brace_start = nullptr;
  int32_t brace_depth = 0;
  uint32_t brace_flags = 0;
  int32_t brace_line = 0;
  Tracer* tracer = nullptr;
  uint32_t mask = 0;
  bool string_input = false;     // event positions count characters
  int32_t reported_offset = 0;   // byte offset and character count of the last event position
  int32_t reported_chars = 0;
  bool load = false;             // values are made and errors raised
  bool scan_only = false;        // prescan: tokens are classified only
  bool one = false;
};

// Thrown to end a scan that does not load values (an invalid token, a tracer's "stop"); the scan
// entry points catch it.
struct Abort {};

// ---- the value buffer (buffer.cpp)
void buffer_init();
Cell* cell_at(uint32_t index);        // good until the next allocation
uint32_t tail();                      // next free cell
void set_tail(uint32_t index);
// Stores the value at the tail, with the new-line flag when a line feed came before it.
uint32_t store(State& s, const Cell& value);
void open_block(State& s, Type type, const uint8_t* opener);
// Closes the innermost marker into a series of its type (or of type, when not nothing).
void close_block(State& s, Type type);
Type marker_type(const State& s);     // nothing when no marker is open
int marker_commas(const State& s);
uint32_t marker_offset(const State& s);  // the innermost opener's offset in the input
void set_marker(State& s, Type type, int commas);
// The cells of the scan from first to the tail as a new block in result, or appended to into.
void store_block(State& s, Cell* result, Cell* into, bool only_first);

// ---- the scanner (scanner.cpp)
void scan_tokens(State& s);

// ---- structure (structure.cpp)
void scan_structure(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void next_is_delimiter(State& s);

// ---- errors (errors.cpp)
// Code: a datatype (syntax/invalid), or one of the codes below.
inline constexpr int code_bad_char = -1, code_malconstruct = -2, code_missing = -3,
                     code_missing_end = -4;
[[noreturn]] void throw_error(State& s, const uint8_t* start, const uint8_t* end, int code);
[[noreturn]] inline void throw_error(State& s, const uint8_t* start, const uint8_t* end, Type t) {
  throw_error(s, start, end, static_cast<int>(t));
}

// ---- events (events.cpp)
// Calls the tracer when the event is in its mask; answers true (go on) otherwise. May move
// s.pos when the tracer moved the input position.
bool fire_event(State& s, Event e, Type type, const uint8_t* start, const uint8_t* end,
                const Cell* value);
int32_t position_of(State& s, const uint8_t* at);

// ---- loaders: each checks the token; with load it also stores the value. Each moves s.pos.
using Handler = void (*)(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags,
                         bool load);
void load_word(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
bool check_word_text(State& s, const uint8_t*& start, const uint8_t*& end, uint32_t flags);
void load_integer(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_hex(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_float(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_float_special(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags,
                        bool load);
void load_percent(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_string(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_braced(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_raw_string(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_char(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_file(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_url(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_email(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_tag(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_ref(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_binary(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_tuple(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_pair(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_point(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_money(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_time(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);
void load_date(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load);

// Reads a decimal integer by the loaders' rule ("'" separators, overflow into a float); answers
// false when the text does not fit 32 bits, with the value as a float in overflow.
bool read_integer(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, Type err,
                  int32_t& value, double& overflow);

// Text of the character series types, decoded from UTF-8 (escapes: "^" sequences when caret,
// percent escapes when percent) into a new series of type t stored in out (a rooted cell).
// Raises the error of err at a malformed sequence.
void make_text(State& s, Cell* out, Type t, const uint8_t* start, const uint8_t* end,
               uint32_t flags, bool caret, bool percent, Type err);
// One "^" escape at p (just after the "^"): the code point, p moved past it; -1 when invalid.
int32_t caret_escape(const uint8_t*& p, const uint8_t* end);

}  // namespace vyn::lexer
