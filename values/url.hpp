// values/url.hpp: url! and file!: percent-coding of text, path joining and local file names.
#pragma once

#include <cstdint>
#include <span>
#include <string>

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

// The text of the file from its head as a path for the system. Relative paths stay relative
// unless full is set, which puts the current directory in front.
std::string to_local(const Cell& file, bool full);

// Registers file! with its parent's entries for the inherited slots, and its own.
void install(std::span<const Action> inherited);

}  // namespace vyn::file
