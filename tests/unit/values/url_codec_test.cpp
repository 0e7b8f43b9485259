// Percent-coding of url! text: decoding assembles escaped UTF-8 sequences, encoding writes the
// UTF-8 bytes of what the table does not keep.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/support/runtime_fixture.hpp"
#include "values/text/url.hpp"

namespace vyn::test {
namespace {

using UrlCodec = RuntimeTest;

Cell* utf8(const std::string& text) {
  return string::load(unicode::outside(text.data()), static_cast<uint32_t>(text.size()), nullptr,
                      string::encoding_utf8);
}

std::string decoded(const std::string& text) {
  Cell* source = utf8(text);
  Cell* target = string::make_at(stack::push_unset(), 16);
  url::decode(source, target);
  return string::to_utf8(*target);
}

std::string encoded(const std::string& text, int mode) {
  Cell* source = utf8(text);
  Cell* target = string::make_at(stack::push_unset(), 16);
  url::encode(source, target, mode);
  return string::to_utf8(*target);
}

TEST_F(UrlCodec, Decodes) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"%C3%A9", "\xC3\xA9"},           // one character from an escaped two-byte sequence
      {"%e2%82%ac!", "\xE2\x82\xAC!"},  // lower-case digits, three bytes
      {"%F0%9F%98%80", "\xF0\x9F\x98\x80"},
      {"%41b", "Ab"},
      {"%zz%4", "%zz%4"},   // lone and cut-short percent signs stay
      {"%C3x", "%C3x"},     // a lead byte whose continuation is missing
      {"%C3%41", "%C3A"},   // a continuation escape that is no continuation byte
      {"%E9", "%E9"},       // a three-byte lead alone
      {"%80", "\xC2\x80"},  // an escaped byte that leads nothing is its own code point
      {"a%20b\xC3\xA9", "a b\xC3\xA9"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(decoded(c.in), c.out) << c.in;
}

TEST_F(UrlCodec, EncodesByTable) {
  EXPECT_EQ(encoded("a b/\xC3\xA9?x=[1]", 0xFF), "a%20b/%C3%A9?x=%5B1%5D");
  EXPECT_EQ(encoded("a-b_c.d~e/f:g", url::strict_mode), "a-b_c.d~e%2Ff%3Ag");
  EXPECT_EQ(encoded("%;\"", 0xFF), "%25%3B%22");
}

}  // namespace
}  // namespace vyn::test
