// The system's names as text: strict decoding with undecodable bytes kept, and the encoding back.
#include "core/text/file_names.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace vyn::test {
namespace {

struct Case {
  std::string bytes;
  std::u32string text;
};

TEST(FileNames, DecodesStrictlyAndEncodesBack) {
  const Case cases[] = {
      {"", U""},
      {"plain.txt", U"plain.txt"},
      {"caf\xC3\xA9", U"caf\u00E9"},
      {"\xF0\x9F\x98\x80", U"\U0001F600"},
      {"\xEF\xBF\xBF", U"\uFFFF"},
      // the over-long "/" and NUL stay bytes: a name's text never gains a separator
      {"..\xC0\xAFsecret", U"..\xDCC0\xDCAFsecret"},
      {"\xC0\x80", U"\xDCC0\xDC80"},
      {"\xE0\x80\xAF", U"\xDCE0\xDC80\xDCAF"},
      {"\xF0\x80\x80\xAF", U"\xDCF0\xDC80\xDC80\xDCAF"},
      // surrogates, U+FFFE and past U+10FFFF, which the text loaders refuse
      {"\xED\xA0\x80", U"\xDCED\xDCA0\xDC80"},
      {"\xED\xB2\x80", U"\xDCED\xDCB2\xDC80"},
      {"\xEF\xBF\xBE", U"\xDCEF\xDCBF\xDCBE"},
      {"\xF4\x90\x80\x80", U"\xDCF4\xDC90\xDC80\xDC80"},
      // stray, cut-short and impossible bytes, each kept alone; what follows decodes on its own
      {"a\xFFz", U"a\xDCFFz"},
      {"\xC3", U"\xDCC3"},
      {"\xE2\x82", U"\xDCE2\xDC82"},
      {"\xE2\x82z\xC3\xA9", U"\xDCE2\xDC82z\u00E9"},
      {"\x80\xBF", U"\xDC80\xDCBF"},
      {"\xF8\x88\x80\x80\x80", U"\xDCF8\xDC88\xDC80\xDC80\xDC80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(file_names::decode(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(file_names::encode(c.text), c.bytes) << c.bytes;
  }
}

TEST(FileNames, RefusesTextNoNameDecodesTo) {
  const std::u32string refused[] = {
      std::u32string(U"a\0b", 3),
      U"\xD800",
      U"\xDFFF",
      U"\xDC7F",  // an escape of a byte that always decodes as itself
      U"\xFFFE",
      U"\xDCC3\xDCA9",  // escaped bytes that spell U+00E9
      U"x\xDCE2\xDC82\xDCACy",
  };
  for (const std::u32string& text : refused) EXPECT_FALSE(file_names::encode(text).has_value());
}

TEST(FileNames, EveryByteStringComesBack) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(rng() % 12, '\0');
    for (char& b : bytes) b = static_cast<char>(rng() % 2 ? 0x80 + rng() % 0x80 : 1 + rng() % 0xFF);
    std::u32string text = file_names::decode(bytes);
    // "/" only where the byte was
    ASSERT_EQ(std::count(text.begin(), text.end(), U'/'), std::count(bytes.begin(), bytes.end(), '/'));
    for (char32_t c : text) ASSERT_FALSE(c >= 0xD800 && c <= 0xDFFF && !file_names::escaped_byte_q(c));
    ASSERT_EQ(file_names::encode(text), bytes);
  }
}

}  // namespace
}  // namespace vyn::test
