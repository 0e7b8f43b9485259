// library/json_text.hpp: the JSON writer's output as it grows: UTF-8 in pieces of about a
// megabyte, turned into a string! at the end one piece at a time, so the text is never held
// twice over, nor in a buffer that doubled past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/cell.hpp"

namespace vyn::library {

class JsonText {
 public:
  JsonText() = default;
  JsonText(const JsonText&) = delete;
  JsonText& operator=(const JsonText&) = delete;
  ~JsonText();

  void push_back(char c) { *room(1) = c; }
  JsonText& operator+=(std::string_view s) {
    if (!s.empty()) std::memcpy(room(s.size()), s.data(), s.size());
    return *this;
  }
  // A code point of 0x80 or more, as UTF-8.
  void put_wide(uint32_t cp);
  size_t size() const { return size_; }
  // The text as a new string! pushed on the value stack; the pieces are returned as they go in.
  Cell* to_string();

 private:
  // Pieces are pages of their own, so each goes back to the system the moment it is freed.
  struct Piece {
    char* bytes;
    size_t used, capacity;
  };
  // Room for n more bytes at the end of the last piece, counted as used.
  char* room(size_t n) {
    if (pieces_.empty() || pieces_.back().capacity - pieces_.back().used < n) add_piece(n);
    Piece& p = pieces_.back();
    char* at = p.bytes + p.used;
    p.used += n;
    size_ += n;
    return at;
  }
  void add_piece(size_t n);
  std::vector<Piece> pieces_;
  size_t size_ = 0;
};

}  // namespace vyn::library
