// platform/process_text.hpp: text that crosses into and out of other programs: command words and
// bytes that must become valid UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vyn::os {

// The words of a command line: split at blanks; double or single quotes group (their quote marks
// dropped) and a backslash outside single quotes takes the next character as it is. An unclosed
// quote runs to the end.
std::vector<std::string> command_words(std::string_view line);

// The bytes with every sequence that is not UTF-8 replaced by U+FFFD, so that output of other
// programs and the environment always load as text.
std::string valid_utf8(std::string_view bytes);

}  // namespace vyn::os
