// values/text/url.hpp: url! and file!: percent-coding of text, path joining and local file names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::url {

// Mode that selects the strict table (letters, digits, "-", ".", "_", "~"); any other value
// selects the URL table.
inline constexpr int strict_mode = 0xFE;
bool plain_q(uint32_t cp, int mode);
// The byte as written in a URL: itself when plain, else "%" and two upper-case hex digits.
std::string encode_byte(int mode, uint8_t byte);
// Appends the percent-decoded text of source (from its head) to target; both must be rooted.
void decode(Cell* source, Cell* target);
// Appends the percent-encoded UTF-8 bytes of source (from its head) to target, one character a
// byte; both must be rooted.
void encode(Cell* source, Cell* target, int mode);
// The first count characters from the head (count < 0: all) as UTF-8.
std::string utf8_of(const Cell& str, int32_t count);

// Registers url! with its parent's entries for the inherited slots, and its own.
void install(std::span<const Action> inherited);

}  // namespace vyn::url

namespace vyn::file {

// Names from the system and back (values/text/file_name.cpp, the scheme in core/text/file_names.hpp).
// A new stack series of the type holding the name's text; every byte string has one.
Cell* push_name(std::string_view bytes, Type type);
// The bytes of the name spelled from the head of a character series, or nothing when no name
// decodes to that text (a NUL, a surrogate that stands for no byte).
std::optional<std::string> name_bytes(const Cell& text);
// The same as a path for the system, raising script/invalid-arg with the value when it names
// nothing. Relative paths stay relative unless full is set, which puts the current directory in
// front.
std::string to_local(const Cell& file, bool full);

// Registers file! with its parent's entries for the inherited slots, and its own.
void install(std::span<const Action> inherited);

}  // namespace vyn::file
