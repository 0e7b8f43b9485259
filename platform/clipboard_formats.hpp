// platform/clipboard_formats.hpp: the clipboard's data types as the desktop names them, the
// order in which a read prefers them, file lists as text/uri-list, and the terminal's OSC 52
// sequence that sets the clipboard from a terminal.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyn::clipboard {

enum class Kind { files, text, latin1_text, image };

struct Format {
  const char* type;  // the selection target or MIME type
  Kind kind;
};

// The types a read takes, best first: a file list, then text, then an encoded image. A file
// list comes before text because file managers offer the paths as text too.
const std::vector<Format>& preferred_formats();

// The types named one a line in a listing, as the desktop's programs print them.
std::vector<std::string> listed_types(std::string_view listing);
// The listed type that is this one, as the listing spells it (MIME types compare without regard
// to case); nullptr when it is not offered.
const std::string* offered_as(const std::vector<std::string>& types, std::string_view type);

// A file list as text/uri-list: one file:// URI a line, each ending in CR LF.
std::string uri_list(const std::vector<std::string>& paths);
// The local paths of a URI list (comments, empty lines and a first "copy" or "cut" line skipped);
// nothing when it names no file or something other than a local file.
std::optional<std::vector<std::string>> file_paths(std::string_view list);

// ISO 8859-1 bytes as UTF-8.
std::string latin1_to_utf8(std::string_view bytes);

// Where the terminal sequence goes through: straight to the terminal, or inside tmux's or GNU
// screen's pass-through.
enum class Wrap { none, tmux, screen };
// The OSC 52 sequence that puts the text on the clipboard; without text, the one that empties it.
std::string osc52(const std::optional<std::string>& utf8, Wrap wrap);

}  // namespace vyn::clipboard
