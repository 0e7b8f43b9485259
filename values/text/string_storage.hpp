// values/text/string_storage.hpp: character series of 1, 2 or 4-byte units (Latin-1, UCS-2, UCS-4).
//
// Every character series (string!, file!, url!, tag!, email!, ref!) keeps its text in one buffer
// whose unit holds one code point, counted from the start of the buffer's data; the tail ends the
// text. A buffer starts with 1-byte units and is widened in place when a code point that does not
// fit arrives; nothing narrows it but clear. Word 3 of the cell holds the node of the value's
// conversion buffer (see core/text/unicode.hpp), or 0.
//
// Indexes are 0-based characters from the start of the buffer unless said otherwise. Functions
// that may allocate reach the text through its node; addresses they answer hold until the next
// allocation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "core/text/unicode.hpp"

namespace vyn::string {

// The node of a character series' conversion buffer (word 3), or 0.
inline NodeId conversion_node(const Cell& str) { return series_extra(str); }
inline void set_conversion_node(Cell& str, NodeId node) { set_series_extra(str, node); }

// ---- access and queries; none of these allocates

// The address of the head character; a head past the tail is stored back clamped.
uint8_t* vs_head(Cell& str);
bool at_tail_q(Cell& str);
int32_t length_q(Cell& str);            // characters from the head to the tail
int32_t length_total(const Cell& str);  // characters in the whole buffer
// Characters from the head to the tail, 0 when the head lies past it; the head is not stored back.
int32_t length(const Cell& str);
uint32_t get_char(const uint8_t* at, uint32_t unit);
uint32_t char_at(NodeId node, uint32_t index);
// Index from the head of the first cp at or after the head, or -1; exact comparison.
int32_t find_char(Cell& str, uint32_t cp);
// Whether cp is at the head or at any step-th character after it; unless case_sensitive both
// sides are folded to upper case.
bool has_char_q(Cell& str, uint32_t cp, int32_t step, bool case_sensitive);
// Whether the bytes of text (each read as its Latin-1 code point) start the string at its head.
bool starts_with_c_string_q(Cell& str, std::string_view text);

// ---- construction

// Makes cell an empty string! with room for capacity characters (at least 1) of unit 1.
Cell* make_at(Cell* cell, uint32_t capacity);
Cell* make_at_unit(Cell* cell, uint32_t capacity, uint32_t unit);
Cell* push(const Cell& str);

inline constexpr int encoding_utf8 = 0;
inline constexpr int encoding_utf16le = -1;  // length counts 16-bit units
// A string! loaded from encoded bytes into cell, or into a new stack cell when cell is nullptr. Any
// other encoding is a fault that ends the process (see unicode::fail_input).
Cell* load(unicode::Bytes src, uint32_t length, Cell* cell, int encoding);
Cell* load_push(unicode::Bytes src, uint32_t length, int encoding);
// Loads into a new cell at the block's tail and answers that cell. The block must be rooted.
Cell* load_in(unicode::Bytes src, uint32_t length, Cell block, int encoding);
// A new stack string! from UTF-8; a sequence cut short by the end raises access/invalid-utf8 with
// the bytes left over, as a binary!.
Cell* load_utf8_checked(unicode::Bytes src, uint32_t length);

// ---- single characters; each widens the buffer first when cp needs it and answers the buffer

// Appends at the tail. A 1-byte buffer keeps only code points below 0x80 here.
SeriesBuffer* append_char(NodeId node, uint32_t cp);
// Stores cp over the existing character at index. A 1-byte buffer keeps code points up to 0xFF.
SeriesBuffer* write_char(NodeId node, uint32_t index, uint32_t cp);
// Stores cp at index, growing the buffer when index lies past its room, and moving the tail past
// index when it was at or before it (characters in between become U+0000).
SeriesBuffer* overwrite_char(NodeId node, uint32_t index, uint32_t cp);
// Inserts cp at index (the tail at most), moving the rest up.
SeriesBuffer* insert_char(NodeId node, uint32_t index, uint32_t cp);
// Remove one or n characters at index, closing the gap; n is cut to what the tail leaves.
void remove_char(const Cell& str, uint32_t index);
void remove_part(const Cell& str, uint32_t index, uint32_t n);
// Empties the buffer, back to unit 1, and sets the head index to 0.
void clear(Cell& str);
// Moves the tail back to index when it lies past it.
void truncate_at(const Cell& str, int32_t index);

// ---- many characters

// Appends each byte of text as the code point of the same value.
void append_latin1(const Cell& str, std::string_view text);

enum class Concat { append = 0, insert = 1, overwrite = 2 };
// Copies the text of source from its head (at most part characters; part < 0: all) into target:
// appended, inserted at target's head + offset, or written over from there (the tail never moves
// back). Target and source may share their buffer. Without keep_unit a narrower source buffer is
// widened to the target's unit itself. Both must be rooted cells.
void concatenate(Cell* target, Cell* source, int32_t part, int32_t offset, bool keep_unit,
                 Concat mode);
SeriesBuffer* widen_to(NodeId node, uint32_t from_unit, uint32_t to_unit);
// Copies the units of source from byte source_offset to byte source_end (0: its tail), widened to
// to_unit, into target at byte target_offset. With no target (0) the source node itself moves to a
// new buffer of size bytes that receives them. Unless keep_tail the target's tail is set after the
// last unit written and its unit to to_unit. Answers the target's buffer.
SeriesBuffer* copy_widened(NodeId source, NodeId target, uint32_t size, uint32_t to_unit,
                           uint32_t source_offset, uint32_t target_offset, uint32_t source_end,
                           bool keep_tail);
// Puts the second_size bytes at second at address, and the first_size bytes that were at address
// at address + second_size + gap. Never allocates a series.
void rotate_bytes(uint8_t* address, uint32_t first_size, const uint8_t* second,
                  uint32_t second_size, uint32_t gap);
// Inserts the characters of source from its head, n_bytes bytes of its units, one by one at the
// target's head, then removes them from the source. Source and target are different series.
void move_chars(Cell* source, Cell* target, uint32_t n_bytes);

// ---- small helpers

// Two upper-case hexadecimal digits, in a buffer the next call overwrites.
const char* byte_to_hex(uint8_t b);
// Eight upper-case hexadecimal digits of n (two's complement), in a buffer the next call
// overwrites; with short_form the leading padding digits go, down to two digits.
const char* int_to_hex(int32_t n, bool short_form);
// The text from the head as UTF-8, for C++ callers and tests.
std::string to_utf8(const Cell& str);

}  // namespace vyn::string
