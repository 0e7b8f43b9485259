// core/text/file_names.hpp: the system's names (file names, paths, command-line arguments) as text and
// back, losslessly.
//
// A name is any run of bytes. Decoding is strict: a valid shortest-form UTF-8 sequence gives its
// code point, except the surrogates and U+FFFE, which the text loaders refuse; every other byte of
// 0x80 or more gives U+DC00 + the byte (U+DC80..U+DCFF, a range no valid UTF-8 decodes to), and
// decoding goes on with the next byte. So the bytes "/" and NUL come only from themselves, and a
// name's text always encodes back to the very same bytes. Encoding takes only text that decoding
// could have made: U+DC80..U+DCFF gives its byte, and text holding NUL, another surrogate, U+FFFE
// or escaped bytes that together form a valid sequence has no name. Nothing here allocates a
// series.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vyn::file_names {

inline constexpr uint32_t escape_base = 0xDC00;
// Whether cp stands for a raw byte of a name.
inline bool escaped_byte_q(uint32_t cp) { return cp >= 0xDC80 && cp <= 0xDCFF; }

std::u32string decode(std::string_view bytes);
// The bytes of the text, or nothing when no name decodes to it.
std::optional<std::string> encode(std::u32string_view text);

}  // namespace vyn::file_names
