// Text handed to and taken from other programs: bytes that are not UTF-8 become U+FFFD one byte
// at a time, valid sequences pass unchanged; command lines split into words as a shell would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process_text.hpp"

namespace vyn::test {
namespace {

constexpr const char* bad = "\xEF\xBF\xBD";

TEST(ProcessText, RepairsWhatIsNotUtf8) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"h\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "h\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"a\xFF" "b", std::string("a") + bad + "b"},
      {"\xC3", bad},                                  // cut short by the end
      {"\xC3(", std::string(bad) + "("},              // continuation missing
      {"\xC0\xAF", std::string(bad) + bad},           // overlong two-byte form
      {"\xE0\x80\xAF", std::string(bad) + bad + bad},  // overlong three-byte form
      {"\xED\xA0\x80", std::string(bad) + bad + bad},  // a surrogate
      {"\xF4\x90\x80\x80", std::string(bad) + bad + bad + bad},  // past U+10FFFF
      {"\x80", bad},
  };
  for (const Case& c : cases) EXPECT_EQ(os::valid_utf8(c.in), c.out) << c.in;
}

TEST(ProcessText, SplitsCommandWords) {
  struct Case {
    const char* in;
    std::vector<std::string> out;
  };
  const Case cases[] = {
      {"", {}},
      {"  ls   -l\t/tmp  ", {"ls", "-l", "/tmp"}},
      {R"(printf "%s|" "a b" 'c "d"' e\ f)", {"printf", "%s|", "a b", "c \"d\"", "e f"}},
      {R"(x"y z"w)", {"xy zw"}},
      {R"('a\b')", {"a\\b"}},
      {R"(echo "unclosed quote)", {"echo", "unclosed quote"}},
      {R"(echo "")", {"echo", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(os::command_words(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace vyn::test
