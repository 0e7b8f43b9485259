// values/lexer/lexer.hpp: the lexer: UTF-8 text to values, with trace events for a callback.
//
// The scanner is table driven (values/lexer/tables.hpp): one class lookup and one transition per
// byte, flags gathered in the same pass. Finished tokens go to loaders that build cells in one
// value buffer shared by nested scans; a block, paren, map or path becomes a series when it
// closes. Syntax errors are raised as syntax/invalid, syntax/missing, syntax/bad-char or
// syntax/malconstruct with the line of the failing token. Scans that do not load values
// (prescan, type scan) raise nothing: they stop and report error! as the type.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::lexer {

// Makes the value buffer; once per runtime, after the root block exists.
void init();

// The events a tracer receives, by bit.
enum class Event : uint8_t { prescan = 1, scan = 2, load = 4, open = 8, close = 16, error = 32 };
inline constexpr uint32_t all_events = 0x3F;

struct EventInfo {
  Event event;
  // The input position: the token's end (its start for open events and the prescan of a
  // structural token), in characters for string! input, in bytes otherwise. A tracer may change
  // it to move the scan: scanning resumes there.
  int32_t index;
  Type type;       // the token's datatype; nothing for structural tokens (then see kind)
  uint8_t kind;    // the token kind (its place in system/lexer/exit-states)
  int32_t line;
  const Cell* value;              // the loaded value, for load events; else nullptr
  int32_t token_start, token_end; // the token's bounds, one-based, in the index's unit
};

// Receives the events whose bits are in mask(). Answering false stops: prescan and scan skip
// the token, load drops the value, open skips the opener, error stops the scan quietly.
class Tracer {
 public:
  virtual ~Tracer() = default;
  virtual uint32_t mask() const { return all_events; }
  virtual bool on_event(EventInfo& info) = 0;
  // Units of the input skipped before the scanned text (a byte order mark): positions count
  // from the scanned text, the input series from its own head.
  int32_t origin = 0;
};

// The event mask a language callback asks for: the OR of the event words in the block that
// starts its body, or every event when the body does not start with a block.
uint32_t callback_event_mask(const Cell& body);

struct ScanArgs {
  bool one = false;       // stop after the first value (transcode/next, /one, /scan)
  bool prescan = false;   // scan-only: tokens are classified, not checked
  bool type_scan = false; // tokens are checked, nothing is made
  Tracer* tracer = nullptr;
  Cell* input = nullptr;  // the input series for events (a rooted cell), or nullptr
  Cell* into = nullptr;   // a rooted block! to append the values to, or nullptr
};

struct ScanResult {
  Type type;          // the type of the last token: what a type scan guesses
  uint32_t consumed;  // bytes of the text consumed
  bool complete;      // the scan went through to the end of the text
};

// Scans length bytes of UTF-8 at text. The bytes must not lie in a movable buffer: the scan
// allocates. With loading (neither prescan nor type_scan), the values go into a new block! in
// result (a rooted cell), or are appended to args.into; with one, only the first value is
// stored. An empty text or a NUL byte ends the scan.
ScanResult scan(Cell* result, const uint8_t* text, uint32_t length, const ScanArgs& args);
// The same for the first length characters of a character series from its head (a rooted cell).
ScanResult scan_string(Cell* result, Cell* str, uint32_t length, const ScanArgs& args);

// The transcode native's work, every refinement an argument: src is a binary! or string! (a
// rooted cell), part an integer! or a position in src (nullptr when not given), into a rooted
// block! or nullptr, trace a tracer or nullptr. The answer goes to result: the block of values;
// with next a block of the value and the rest of the input; with one the value alone; with scan
// or prescan the datatype guessed (none for an empty input, error! for invalid text).
struct TranscodeArgs {
  bool next = false, one = false, prescan = false, scan = false;
  const Cell* part = nullptr;
  Cell* into = nullptr;
  Tracer* trace = nullptr;
};
void transcode(Cell* result, Cell* src, const TranscodeArgs& args);

// Loads the text (a string! value) into a block and pushes its first value: none! when the scan
// stopped before the end of the text, unset! for an empty block.
Cell* load_text(const Cell& text);

// Whether the bytes after a "(" make it the start of a point rather than of a paren
// (values/lexer/structure.cpp); paren! mold asks it so that a paren never reads back as a point.
bool point_content(const uint8_t* p, const uint8_t* end);

}  // namespace vyn::lexer
