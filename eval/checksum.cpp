// eval/checksum.cpp: the checksum algorithms and HMAC; the digests themselves are the platform's.
#include "eval/checksum.hpp"

#include <array>
#include <cstring>
#include <vector>

#include "core/codecs/deflate.hpp"

namespace vyn::checksum {
namespace {

struct Name {
  std::string_view spelling;
  Method method;
};
constexpr Name names[] = {
    {"tcp", Method::tcp},         {"md5", Method::md5},         {"sha1", Method::sha1},
    {"crc32", Method::crc32},     {"adler32", Method::adler32}, {"sha256", Method::sha256},
    {"sha384", Method::sha384},   {"sha512", Method::sha512},   {"hash", Method::hash},
};

bool same_folded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != b[i]) return false;
  }
  return true;
}

// HMAC blocks: 128 bytes for the 64-bit SHA-2 family, 64 for the others.
size_t block_size(crypto::Digest d) {
  return d == crypto::Digest::sha384 || d == crypto::Digest::sha512 ? 128 : 64;
}

}  // namespace

std::optional<Method> method_named(std::string_view spelling) {
  for (const Name& n : names)
    if (same_folded(spelling, n.spelling)) return n.method;
  return std::nullopt;
}

std::optional<crypto::Digest> digest_of(Method m) {
  switch (m) {
    case Method::md5: return crypto::Digest::md5;
    case Method::sha1: return crypto::Digest::sha1;
    case Method::sha256: return crypto::Digest::sha256;
    case Method::sha384: return crypto::Digest::sha384;
    case Method::sha512: return crypto::Digest::sha512;
    default: return std::nullopt;
  }
}

uint32_t tcp(const uint8_t* bytes, size_t n) {
  uint64_t sum = 0;  // wider than the words it adds, so no carry is lost before folding
  size_t i = 0;
  for (; i + 1 < n; i += 2) sum += static_cast<uint32_t>(bytes[i]) << 8 | bytes[i + 1];
  if (i < n) sum += static_cast<uint32_t>(bytes[i]) << 8;
  while (sum >> 16) sum = (sum >> 16) + (sum & 0xFFFF);
  return static_cast<uint32_t>(~sum & 0xFFFF);
}

uint32_t crc32(const uint8_t* bytes, size_t n) { return compress::crc32(bytes, n); }

uint32_t adler32(const uint8_t* bytes, size_t n) { return compress::adler32(bytes, n); }

size_t digest(crypto::Digest d, const uint8_t* bytes, size_t n, uint8_t* out) {
  return crypto::digest(d, bytes, n, out);
}

size_t hmac(crypto::Digest d, const uint8_t* bytes, size_t n, const uint8_t* key, size_t key_n,
            uint8_t* out) {
  size_t block = block_size(d);
  uint8_t hashed_key[crypto::max_digest_size];
  if (key_n > block) {
    key_n = crypto::digest(d, key, key_n, hashed_key);
    key = hashed_key;
  }
  std::vector<uint8_t> inner(block, 0), outer(block, 0);
  if (key_n) std::memcpy(inner.data(), key, key_n);
  if (key_n) std::memcpy(outer.data(), key, key_n);
  for (size_t i = 0; i < block; ++i) {
    inner[i] ^= 0x36;
    outer[i] ^= 0x5C;
  }
  uint8_t inner_digest[crypto::max_digest_size];
  size_t size = crypto::digest2(d, inner.data(), block, bytes, n, inner_digest);
  return crypto::digest2(d, outer.data(), block, inner_digest, size, out);
}

}  // namespace vyn::checksum
