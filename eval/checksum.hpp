// eval/checksum.hpp: checksums (internet, CRC-32, Adler-32), digests and their HMAC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/crypto.hpp"

namespace vyn::checksum {

// The methods the checksum native names by word.
enum class Method { tcp, crc32, md5, sha1, sha256, sha384, sha512, adler32, hash };

// The method a word's spelling names, in any letter case; nothing for any other spelling.
std::optional<Method> method_named(std::string_view spelling);
// The digest a method computes; nothing for the checksums and hash.
std::optional<crypto::Digest> digest_of(Method m);

// The internet checksum: the complement of the folded big-endian 16-bit sum (0 to 0xFFFF).
uint32_t tcp(const uint8_t* bytes, size_t n);
// The reflected CRC-32 of zlib and gzip.
uint32_t crc32(const uint8_t* bytes, size_t n);
// Adler-32 of zlib.
uint32_t adler32(const uint8_t* bytes, size_t n);

// A digest, or its HMAC under a key, written into out (room for crypto::max_digest_size bytes);
// the answer is the digest's size.
size_t digest(crypto::Digest d, const uint8_t* bytes, size_t n, uint8_t* out);
size_t hmac(crypto::Digest d, const uint8_t* bytes, size_t n, const uint8_t* key, size_t key_n,
            uint8_t* out);

}  // namespace vyn::checksum
