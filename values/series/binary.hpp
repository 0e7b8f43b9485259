// values/series/binary.hpp: binary!, a series of bytes, and the byte helpers other components share.
//
// A binary is a series cell over a buffer of 1-byte units (type id 41, parent string!). It takes
// string!'s and series!'s entries but for conversion, molding, comparison, the bitwise actions and
// the changes that write bytes, which live in values/binary*.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::binary {

// A new binary! on the value stack holding a copy of n bytes, which must not lie in a series
// buffer (making the binary may move buffers).
Cell* push_bytes(const uint8_t* bytes, size_t n);
// A new empty binary! on the value stack with room for n bytes.
Cell* push_empty(size_t n);
// Bytes from the head to the tail; a head past the tail counts as the tail. Never allocates.
int32_t length(const Cell& bin);
// The address of the byte at the head (clamped); good until the next allocation.
const uint8_t* head_bytes(const Cell& bin);

// How a value becomes bytes for to, append, insert and change.
enum class Mode { to, insert, change };
// Appends the bytes of value to out: a char! its UTF-8, an integer! one byte (-128..255, else
// script/invalid-arg; to gives four bytes big-endian instead), a binary! its bytes, text its
// UTF-8, a block! each element in turn. limit (when above 0) cuts a single value's bytes, and a
// block's element count, or with bytes_limit the block's output. In change mode any other value
// is formed; otherwise it raises script/bad-to-arg. value must be rooted; may allocate.
void bytes_of(Cell* value, int32_t limit, bool bytes_limit, Mode mode, std::string& out);
// The UTF-8 bytes of a character series from its head. Never allocates.
void text_utf8(const Cell& text, int32_t limit, std::string& out);

// entries
Cell* to(Cell* proto, Cell* spec, Type type);
int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
int compare(Cell* a, Cell* b, int op);
Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append);
Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup);
Cell* trim(Cell* series, bool head, bool tail, bool auto_, bool lines, bool all, Cell* with);
void and_t(Cell* args);
void or_t(Cell* args);
void xor_t(Cell* args);
Cell* complement(Cell* value);

void install();

}  // namespace vyn::binary
