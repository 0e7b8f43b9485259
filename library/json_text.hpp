// library/json_text.hpp: the JSON writer's output as it grows: UTF-8 in pieces of about a
// megabyte, turned into a string! at the end one piece at a time, so the text is never held
// twice over, nor in a buffer that doubled past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell.hpp"

namespace vyn::library {

class JsonText {
 public:
  void push_back(char c) { room(1).push_back(c); }
  JsonText& operator+=(std::string_view s) {
    room(s.size()).append(s);
    return *this;
  }
  // A code point of 0x80 or more, as UTF-8.
  void put_wide(uint32_t cp);
  size_t size() const { return before_ + (pieces_.empty() ? 0 : pieces_.back().size()); }
  // The text as a new string! pushed on the value stack; the pieces are emptied as they go in.
  Cell* to_string();

 private:
  std::string& room(size_t n);
  std::vector<std::string> pieces_;
  size_t before_ = 0;  // bytes in the pieces before the last
};

}  // namespace vyn::library
