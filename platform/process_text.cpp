// platform/process_text.cpp: command words and UTF-8 repair for process and environment text.
#include "platform/process_text.hpp"

#include <cstdint>

namespace vyn::os {
namespace {

bool blank(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

// The length of the valid UTF-8 sequence at i, or 0 when none starts there.
size_t sequence_length(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  uint8_t b = byte(i);
  if (b < 0x80) return 1;
  size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  uint8_t second = byte(i + 1);
  if (b == 0xE0 && second < 0xA0) return 0;   // overlong
  if (b == 0xED && second > 0x9F) return 0;   // surrogate
  if (b == 0xF0 && second < 0x90) return 0;   // overlong
  if (b == 0xF4 && second > 0x8F) return 0;   // past U+10FFFF
  return n;
}

}  // namespace

std::vector<std::string> command_words(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) break;
    std::string word;
    char quote = 0;
    for (; i < line.size() && (quote || !blank(line[i])); ++i) {
      char ch = line[i];
      if (quote && ch == quote) quote = 0;
      else if (!quote && (ch == '"' || ch == '\'')) quote = ch;
      else if (ch == '\\' && quote != '\'' && i + 1 < line.size()) word += line[++i];
      else word += ch;
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string valid_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    size_t n = sequence_length(bytes, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(bytes.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace vyn::os
