// library/vynbin.hpp: Vynbin, the runtime's binary serialisation of values, in its compact layout
// (varints, one-byte small values) and its standard layout (32-bit words).
//
// The data is an 8-byte preamble ("VYNBIN", version, flags), an optional symbol table and a
// stream of records, one per value, a container followed by its members. A series, object or
// function reached a second time is written as a path of record indexes to its first occurrence,
// so shared structure survives; a word bound to an object or a function refers to it the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cell.hpp"

namespace vyn::vynbin {

inline constexpr uint8_t flag_compact = 1;
inline constexpr uint8_t flag_packed = 2;
inline constexpr uint8_t flag_symbols = 4;
inline constexpr uint8_t version = 2;

// The whole encoding of a value, in the compact or the standard layout. Reads the value in place
// and allocates nothing of the runtime's, so it may hold cell addresses throughout. Types that
// cannot be written (routine!, triple!, handle!, port!, event!, functions with a C++ body) raise
// access/no-codec.
std::string encode(const Cell& value, bool compact = true);

// Decodes data of either layout into the block `out` (rooted by the caller), appending the
// top-level values.
// Malformed data raises script/vb-invalid-record with the 1-based byte position; data too short
// for the preamble raises script/invalid-data with `source`. `bytes` must not lie in a series
// buffer: decoding allocates.
void decode(const uint8_t* bytes, size_t n, const Cell& out, const Cell& source);

// The boot image: the start-up decoding of a program's image into `out` (the root block), with the
// collector off. Definitions (a word record after the prefix 0xC4, then its value) set global words
// and leave nothing in `out`; routines, C++ bodies of functions, class ids and the global
// context's object are read too. Data that is not Vynbin data, or does not unpack, prints
// "Error: Not a Vynbin file!" or "Error: Vynbin compressed data corrupted!" and ends the process
// with status 1; other damage raises script/vb-invalid-record as decode does.
void decode_boot_image(const uint8_t* bytes, size_t n, const Cell& out);
// Writes a boot image: the word table (a block of global words, in the global context's order)
// as the first root value, then every non-scalar value of `defined` (pairs of a word and its
// value) as a root value, then one definition per pair.
std::string encode_boot_image(const Cell& table, const Cell& defined);

// The routines `vynbin-encode*` and `vynbin-decode*` that the codec object calls.
void define_routines();
// Registers their bodies only, in the same order.
void register_bodies();

}  // namespace vyn::vynbin
