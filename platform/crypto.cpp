// platform/crypto.cpp: digests through libcrypto's EVP interface, random bytes from getrandom.
#include "platform/crypto.hpp"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/fault.hpp"

namespace vyn::crypto {
namespace {

const EVP_MD* algorithm(Digest d) {
  switch (d) {
    case Digest::md5: return EVP_md5();
    case Digest::sha1: return EVP_sha1();
    case Digest::sha256: return EVP_sha256();
    case Digest::sha384: return EVP_sha384();
    case Digest::sha512: return EVP_sha512();
  }
  return EVP_sha256();
}

[[noreturn]] void fail(const char* what) {
  char message[64];
  std::snprintf(message, sizeof message, "%s failed", what);
  fault::report(100, message, __builtin_return_address(0));
}

// getrandom may hand out fewer bytes than asked for, or be interrupted.
bool from_getrandom(uint8_t* out, size_t n) {
  while (n > 0) {
    ssize_t got = getrandom(out, n, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

size_t digest_size(Digest d) { return static_cast<size_t>(EVP_MD_size(algorithm(d))); }

size_t digest2(Digest d, const uint8_t* a, size_t na, const uint8_t* b, size_t nb, uint8_t* out) {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  unsigned int size = 0;
  bool ok = ctx && EVP_DigestInit_ex(ctx, algorithm(d), nullptr) == 1 &&
            (na == 0 || EVP_DigestUpdate(ctx, a, na) == 1) &&
            (nb == 0 || EVP_DigestUpdate(ctx, b, nb) == 1) &&
            EVP_DigestFinal_ex(ctx, out, &size) == 1;
  EVP_MD_CTX_free(ctx);
  if (!ok) fail("digest");
  return size;
}

size_t digest(Digest d, const uint8_t* bytes, size_t n, uint8_t* out) {
  return digest2(d, bytes, n, nullptr, 0, out);
}

void secure_bytes(void* out, size_t n) {
  auto* p = static_cast<uint8_t*>(out);
  if (from_getrandom(p, n)) return;
  if (RAND_bytes(p, static_cast<int>(n)) != 1) fail("secure random source");
}

}  // namespace vyn::crypto
