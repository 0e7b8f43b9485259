// values/text/file_name.cpp: the one way names cross between the system and character series: file
// names, paths and command-line arguments are decoded by core/file_names into text and encoded
// back from it, so that a listed name reaches that very file.
#include <string>

#include "core/error.hpp"
#include "core/text/file_names.hpp"
#include "core/stack.hpp"
#include "platform/file_io.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"

namespace vyn::file {

Cell* push_name(std::string_view bytes, Type type) {
  std::u32string text = file_names::decode(bytes);
  Cell* out = string::make_at(stack::push_unset(), static_cast<uint32_t>(text.size()));
  for (char32_t c : text) string::append_char(series_node(*out), c);
  out->set_type(type);
  return out;
}

std::optional<std::string> name_bytes(const Cell& text) {
  int32_t n = string::length(text);
  std::u32string chars;
  chars.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i)
    chars.push_back(string::char_at(series_node(text), static_cast<uint32_t>(series_head(text) + i)));
  return file_names::encode(chars);
}

std::string to_local(const Cell& file, bool full) {
  std::optional<std::string> bytes = name_bytes(file);
  if (!bytes) fire(Err::script_invalid_arg, {file});
  if (full && (bytes->empty() || (*bytes)[0] != '/')) *bytes = os::current_dir() + *bytes;
  return *bytes;
}

}  // namespace vyn::file
