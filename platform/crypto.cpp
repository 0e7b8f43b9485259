// platform/crypto.cpp: digests through libcrypto's EVP interface, random bytes from getrandom.
// libcrypto is opened when first needed (platform/dynlib): loading it costs more than the rest of
// start-up, and an empty script never needs it.
#include "platform/crypto.hpp"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/fault.hpp"
#include "platform/dynlib.hpp"

namespace vyn::crypto {
namespace {

os::DynLib libcrypto("libcrypto.so.3");

#define CRYPTO_FN(name) VYN_DYN_FN(libcrypto, name)

[[noreturn]] void fail(const char* what) {
  char message[64];
  std::snprintf(message, sizeof message, "%s failed", what);
  fault::report(100, message, __builtin_return_address(0));
}

// The library's functions, looked up once; a missing library or function is a failed digest.
struct Functions {
  decltype(&::EVP_md5) md5 = CRYPTO_FN(EVP_md5);
  decltype(&::EVP_sha1) sha1 = CRYPTO_FN(EVP_sha1);
  decltype(&::EVP_sha256) sha256 = CRYPTO_FN(EVP_sha256);
  decltype(&::EVP_sha384) sha384 = CRYPTO_FN(EVP_sha384);
  decltype(&::EVP_sha512) sha512 = CRYPTO_FN(EVP_sha512);
  decltype(&::EVP_MD_get_size) size = CRYPTO_FN(EVP_MD_get_size);
  decltype(&::EVP_MD_CTX_new) ctx_new = CRYPTO_FN(EVP_MD_CTX_new);
  decltype(&::EVP_MD_CTX_free) ctx_free = CRYPTO_FN(EVP_MD_CTX_free);
  decltype(&::EVP_DigestInit_ex) init = CRYPTO_FN(EVP_DigestInit_ex);
  decltype(&::EVP_DigestUpdate) update = CRYPTO_FN(EVP_DigestUpdate);
  decltype(&::EVP_DigestFinal_ex) final = CRYPTO_FN(EVP_DigestFinal_ex);
  decltype(&::RAND_bytes) rand_bytes = CRYPTO_FN(RAND_bytes);

  bool complete() const {
    return md5 && sha1 && sha256 && sha384 && sha512 && size && ctx_new && ctx_free && init && update &&
           final && rand_bytes;
  }
};

const Functions& fns() {
  static const Functions f;
  if (!f.complete()) fail("loading libcrypto");
  return f;
}

const EVP_MD* algorithm(Digest d) {
  const Functions& f = fns();
  switch (d) {
    case Digest::md5: return f.md5();
    case Digest::sha1: return f.sha1();
    case Digest::sha256: return f.sha256();
    case Digest::sha384: return f.sha384();
    case Digest::sha512: return f.sha512();
  }
  return f.sha256();
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

size_t digest_size(Digest d) { return static_cast<size_t>(fns().size(algorithm(d))); }

size_t digest2(Digest d, const uint8_t* a, size_t na, const uint8_t* b, size_t nb, uint8_t* out) {
  const Functions& f = fns();
  EVP_MD_CTX* ctx = f.ctx_new();
  unsigned int size = 0;
  bool ok = ctx && f.init(ctx, algorithm(d), nullptr) == 1 && (na == 0 || f.update(ctx, a, na) == 1) &&
            (nb == 0 || f.update(ctx, b, nb) == 1) && f.final(ctx, out, &size) == 1;
  f.ctx_free(ctx);
  if (!ok) fail("digest");
  return size;
}

size_t digest(Digest d, const uint8_t* bytes, size_t n, uint8_t* out) {
  return digest2(d, bytes, n, nullptr, 0, out);
}

void secure_bytes(void* out, size_t n) {
  auto* p = static_cast<uint8_t*>(out);
  if (from_getrandom(p, n)) return;
  if (fns().rand_bytes(p, static_cast<int>(n)) != 1) fail("secure random source");
}

}  // namespace vyn::crypto
