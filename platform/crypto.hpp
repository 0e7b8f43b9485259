// platform/crypto.hpp: the platform's message digests and its cryptographic random source.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::crypto {

enum class Digest { md5, sha1, sha256, sha384, sha512 };

inline constexpr size_t max_digest_size = 64;

// Bytes in the digest of the algorithm.
size_t digest_size(Digest d);
// Writes the digest of n bytes into out (room for max_digest_size bytes); answers its size.
size_t digest(Digest d, const uint8_t* bytes, size_t n, uint8_t* out);
// The same over two pieces taken one after the other, as though they were one buffer.
size_t digest2(Digest d, const uint8_t* a, size_t na, const uint8_t* b, size_t nb, uint8_t* out);

// Fills out with n bytes from the operating system's cryptographic source. A source that cannot
// answer is a fault the runtime cannot recover from.
void secure_bytes(void* out, size_t n);

}  // namespace vyn::crypto
