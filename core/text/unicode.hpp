// core/text/unicode.hpp: UTF-8 and UTF-16LE to and from the fixed-width text of string buffers.
//
// Text buffers hold one code point per unit of 1, 2 or 4 bytes (Latin-1, UCS-2, UCS-4), counted
// from the start of their data; the tail ends the text. The loaders make such buffers from encoded
// bytes, the platform converters write a string value as UTF-8 or UTF-16LE into the value's
// conversion buffer (a byte series whose node sits in word 3 of the string cell).
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "core/cell.hpp"
#include "core/series.hpp"

namespace vyn::unicode {

static_assert(std::endian::native == std::endian::little, "units are stored little-endian");

// ---- decoding; none of these allocates

// Decodes the character at p (p < end) with the table-driven decoder and answers the address after
// it. cp receives the code point, or -1 when the bytes are not UTF-8 (the answer then stands after
// the byte that showed it) or when end cuts the sequence short (the answer is end). Never raises:
// the caller decides what a bad character means.
const uint8_t* fast_decode_utf8_char(const uint8_t* p, const uint8_t* end, int32_t& cp);
// Characters in [from, to), counting each undecodable sequence as one.
int32_t count_utf8(const uint8_t* from, const uint8_t* to);
// The address after n characters from p, or end.
const uint8_t* skip_utf8(const uint8_t* p, const uint8_t* end, int32_t n);
// 4, 3 or 2 for a lead byte with that many top bits set, 0 for ASCII and continuation bytes.
int utf8_lead_length(uint8_t byte);
// Decodes one sequence of the loaders' UTF-8: overlong forms and the surrogates outside DC00-DCFF
// pass, U+FFFE does not. count holds the bytes available and receives the sequence length. Answers
// -1, count unchanged, when the sequence needs more bytes than are available; raises
// access/invalid-utf8 with the bytes at p (up to four) for an invalid one (which allocates).
int32_t decode_utf8_seq(const uint8_t* p, int32_t& count);

// ---- encoding; a code point of 0x110000 or more raises script/invalid-char

int utf8_length(uint32_t cp);
// UTF-8 bytes of the fixed-width units in [from, to).
int64_t utf8_size(const uint8_t* from, const uint8_t* to, uint32_t unit);
// Raises script/invalid-char for cp.
[[noreturn]] void invalid_char(uint32_t cp);
// Bytes written (1-4). Surrogate code points are written like any other. Inline: the platform
// converters and console output call it for every character they write.
inline int encode_utf8(uint32_t cp, uint8_t* dest) {
  if (cp < 0x80) {
    dest[0] = static_cast<uint8_t>(cp);
    return 1;
  }
  if (cp < 0x800) {
    dest[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
    dest[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    dest[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
    dest[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
    dest[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    return 3;
  }
  if (cp >= 0x110000) invalid_char(cp);
  dest[0] = static_cast<uint8_t>(0xF0 | (cp >> 18));
  dest[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
  dest[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
  dest[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
  return 4;
}
// Appends the UTF-8 bytes of cp to out.
inline void append_utf8(std::string& out, uint32_t cp) {
  uint8_t bytes[4];
  out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(encode_utf8(cp, bytes)));
}
// Writes only the leading bytes of the sequence that room allows (none when room < 1).
int encode_utf8_bounded(uint32_t cp, uint8_t* dest, int32_t room);
// 16-bit units written: 1 below 0x10000, a surrogate pair below 0x110000, else 0 (nothing written).
int encode_utf16(uint32_t cp, uint16_t* dest);

// ---- loading encoded bytes into a text buffer; these allocate

// Where the loaders read: memory outside the series frames, or a byte range of a series, which is
// found again through its node after every allocation (the buffer may move).
struct Bytes {
  const uint8_t* raw = nullptr;
  NodeId node = 0;
  uint32_t offset = 0;
  const uint8_t* get() const { return node ? buffer_of(node)->data() + offset : raw; }
};
inline Bytes outside(const void* bytes) { return Bytes{static_cast<const uint8_t*>(bytes), 0, 0}; }
inline Bytes in_series(NodeId node, uint32_t offset) { return Bytes{nullptr, node, offset}; }

// Loads length bytes of UTF-8 into buffer (its text replaced from its first unit, its unit kept at
// least) or, when buffer is 0, into a new buffer of unit 1; answers the node. A leading byte-order
// mark is skipped. A sequence cut short by the end stops the load, and remaining (when given)
// receives the bytes left over; otherwise remaining is not touched. With fold_crlf, CR LF becomes
// LF and a lone CR becomes LF. Invalid UTF-8 raises access/invalid-utf8.
NodeId load_utf8(Bytes src, uint32_t length, NodeId buffer, int32_t* remaining, bool fold_crlf);
// The same into the buffer of the string cell str.
void load_utf8_into(Bytes src, uint32_t length, const Cell& str, int32_t* remaining);
// The same into a new buffer, without folding; a cut-short end is dropped.
NodeId load_utf8_new(Bytes src, uint32_t length);
// Loads units 16-bit units of UTF-16LE into the buffer of str, or a new buffer when str is nullptr,
// in the narrowest unit that holds them; answers the node. When src is empty (no raw bytes, no
// node) the source is the conversion buffer of str. With fold_cr every CR is dropped. A high
// surrogate not followed by a low one ends the process (see fail_input).
NodeId load_utf16le(Bytes src, uint32_t units, const Cell* str, bool fold_cr);
// The unit UTF-16LE text needs: 4 once any surrogate appears, else 2 when any unit is above 0xFF,
// else 1.
uint32_t utf16_unit(const uint8_t* bytes, uint32_t units);

// ---- widening a text buffer; each keeps the characters and answers the current buffer

SeriesBuffer* widen_to_ucs2(NodeId node);       // unit 1 -> 2
SeriesBuffer* widen_to_ucs4(NodeId node);       // unit 1 -> 4
SeriesBuffer* widen_ucs2_to_ucs4(NodeId node);  // unit 2 -> 4
// Any of the three, from the buffer's unit to a wider one; capacity is the characters the buffer
// must hold afterwards (at least its present text).
SeriesBuffer* widen(NodeId node, uint32_t to_unit, uint32_t capacity);
// Copies count units of from_unit at from as units of to_unit at to (a wider unit); from and to may
// be the same address, which widens in place.
void widen_units(const uint8_t* from, uint8_t* to, uint32_t count, uint32_t from_unit,
                 uint32_t to_unit);
// Binds node to fresh, a buffer from alloc::new_series_buffer that has taken over its text, with
// the given unit and tail, and abandons the old buffer as a move does. Never allocates.
void adopt(NodeId node, SeriesBuffer* fresh, uint32_t unit, uint32_t tail);

// ---- text for the platform, from the head of a string value
//
// str must be a rooted cell (value stack or Root): its conversion buffer is made on first use and
// its node stored in word 3. A limit of -1 means to the tail. Answered addresses point into the
// conversion buffer and hold until the next allocation.

// UTF-8 of at most length characters plus a zero byte; length receives the bytes without the zero.
// With expand_lf every LF is written CR LF (not wanted on this platform, kept for text that must
// have it). Answers the conversion buffer's node.
NodeId to_utf8_buffer(Cell* str, int32_t& length, bool expand_lf);
const char* to_utf8(Cell* str, int32_t& length);
const char* to_utf8_part(Cell* str, int32_t& length, bool expand_lf);
// Writes into dest, which must hold 4 bytes a character (plus 1 with terminate); answers the bytes
// written, the zero not counted.
int32_t to_utf8_into(const Cell& str, uint8_t* dest, int32_t limit, bool terminate);
// The same never writing more than room bytes (the zero included): the text stops before the first
// character that does not fit whole. A limit below 1 means all.
int32_t to_utf8_bounded(const Cell& str, uint8_t* dest, int32_t room, int32_t limit, bool terminate);
// UTF-16LE of at most length characters plus a zero unit; length receives the 16-bit units without
// the zero. Answers nullptr when a code point lies past U+10FFFF.
const uint16_t* to_utf16_part(Cell* str, int32_t& length, bool expand_lf);
// The whole text, for the wide-character calls of the platform.
const uint16_t* to_utf16(Cell* str);
// The 16-bit units beyond one a character: one for every code point of 0x10000 or more and, with
// expand_lf, one for every LF.
int64_t utf16_extra(const uint8_t* from, const uint8_t* to, uint32_t unit, bool expand_lf);

// ---- faults that end the process

// Prints line on standard output and ends the process with status 1: input the runtime cannot
// take ("*** Input Error: invalid UTF-16LE codepoint").
[[noreturn]] void fail_input(const char* line);
// A text buffer of a unit other than 1, 2 or 4: an internal fault, reported with code (101; 100
// for a unit the widening copy cannot take), which is also the exit status.
[[noreturn]] void fail_unit(int code, uint32_t unit);

// The unit of a text buffer, checked.
inline uint32_t checked_unit(const SeriesBuffer* b) {
  uint32_t unit = b->unit();
  if (unit != 1 && unit != 2 && unit != 4) fail_unit(101, unit);
  return unit;
}

}  // namespace vyn::unicode
