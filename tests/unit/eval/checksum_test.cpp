// Digests and HMACs against published vectors: scripts see a digest only as a binary!.
#include "eval/checksum.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vyn {
namespace {

using crypto::Digest;

std::string hex(const uint8_t* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) s += {digits[p[i] >> 4], digits[p[i] & 15]};
  return s;
}
const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string digest_hex(Digest d, const std::string& data) {
  uint8_t out[crypto::max_digest_size];
  return hex(out, checksum::digest(d, bytes(data), data.size(), out));
}
std::string hmac_hex(Digest d, const std::string& data, const std::string& key) {
  uint8_t out[crypto::max_digest_size];
  return hex(out, checksum::hmac(d, bytes(data), data.size(), bytes(key), key.size(), out));
}

struct DigestCase {
  Digest d;
  std::string data, expected;
};

TEST(Checksum, DigestsGiveThePublishedValues) {
  const DigestCase cases[] = {
      {Digest::md5, "", "d41d8cd98f00b204e9800998ecf8427e"},
      {Digest::md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
      {Digest::sha1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {Digest::sha256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {Digest::sha384, "abc",
       "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c8"
       "25a7"},
      {Digest::sha512, "abc",
       "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3fe"
       "ebbd454d4423643ce80e2a9ac94fa54ca49f"},
  };
  for (const DigestCase& c : cases) EXPECT_EQ(digest_hex(c.d, c.data), c.expected) << c.data;
}

struct HmacCase {
  Digest d;
  std::string data, key, expected;
};

// RFC 4231 cases 1, 2 and 6 (a key longer than the block is hashed first), RFC 2202 for MD5 and
// SHA-1.
TEST(Checksum, HmacGivesThePublishedValues) {
  const std::string key20(20, '\x0b'), key131(131, '\xaa');
  const std::string large = "Test Using Larger Than Block-Size Key - Hash Key First";
  const HmacCase cases[] = {
      {Digest::sha256, "Hi There", key20,
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {Digest::sha384, "Hi There", key20,
       "afd03944d84895626b0825f4ab46907f15f9dadbe4101ec682aa034c7cebc59cfaea9ea9076ede7f4af152e8b2"
       "fa9cb6"},
      {Digest::sha512, "Hi There", key20,
       "87aa7cdea5ef619d4ff0b4241a1d6cb02379f4e2ce4ec2787ad0b30545e17cdedaa833b7d6b8a702038b274eae"
       "a3f4e4be9d914eeb61f1702e696c203a126854"},
      {Digest::sha256, "what do ya want for nothing?", "Jefe",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {Digest::md5, "what do ya want for nothing?", "Jefe", "750c783e6ab0b503eaa86e310a5db738"},
      {Digest::sha1, "what do ya want for nothing?", "Jefe",
       "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {Digest::sha256, large, key131,
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {Digest::sha512, large, key131,
       "80b24263c7c1a3ebb71493c1dd7be8b49b46d1f41b4aeec1121b013783f8f3526b56d037e05f2598bd0fd2215d"
       "6a1e5295e64f73f63f0aec8b915a985d786598"},
  };
  for (const HmacCase& c : cases) EXPECT_EQ(hmac_hex(c.d, c.data, c.key), c.expected) << c.data;
}

// A key of exactly the block size is used as it is; one byte longer, it is replaced by its digest.
TEST(Checksum, HmacKeyIsHashedOnlyPastTheBlockSize) {
  for (auto [d, block] : {std::pair{Digest::sha256, 64}, std::pair{Digest::sha512, 128},
                          std::pair{Digest::md5, 64}}) {
    for (int extra : {0, 1}) {
      std::string key(block + extra, 'k');
      uint8_t hashed[crypto::max_digest_size];
      size_t n = checksum::digest(d, bytes(key), key.size(), hashed);
      bool same = hmac_hex(d, "data", key) == hmac_hex(d, "data", std::string(hashed, hashed + n));
      EXPECT_EQ(same, extra == 1) << block << "+" << extra;
    }
  }
}

}  // namespace
}  // namespace vyn
