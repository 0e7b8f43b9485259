// platform/clipboard_formats.cpp: preference of clipboard types, text/uri-list file lists and the
// OSC 52 sequence.
#include "platform/clipboard_formats.hpp"

#include <cstdint>

namespace vyn::clipboard {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_type(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Letters, digits, "-._~" and "/" stay; every other byte is written %XX.
std::string percent_encoded(std::string_view path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percent_decoded(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hex_digit(s[i + 1]) >= 0 && hex_digit(s[i + 2]) >= 0) {
      out += static_cast<char>(hex_digit(s[i + 1]) * 16 + hex_digit(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The local path of one file URI: "file:" then "//" with an empty or "localhost" host, or a
// bare absolute path; nothing for any other URI.
std::optional<std::string> local_path(std::string_view uri) {
  if (uri.size() < 5 || !same_type(uri.substr(0, 5), "file:")) return std::nullopt;
  uri.remove_prefix(5);
  if (uri.substr(0, 2) == "//") {
    uri.remove_prefix(2);
    size_t slash = uri.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    std::string_view host = uri.substr(0, slash);
    if (!host.empty() && !same_type(host, "localhost")) return std::nullopt;
    uri.remove_prefix(slash);
  }
  if (uri.empty() || uri.front() != '/') return std::nullopt;
  std::string path = percent_decoded(uri);
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return path;
}

std::string base64(std::string_view bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 |
                 uint8_t(bytes[i + 2]);
    for (int k = 18; k >= 0; k -= 6) out += digits[(v >> k) & 63];
  }
  if (i < bytes.size()) {
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
    if (i + 1 < bytes.size()) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    out += digits[(v >> 18) & 63];
    out += digits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

const std::vector<Format>& preferred_formats() {
  static const std::vector<Format> formats = {
      {"text/uri-list", Kind::files},        {"x-special/gnome-copied-files", Kind::files},
      {"UTF8_STRING", Kind::text},           {"text/plain;charset=utf-8", Kind::text},
      {"text/plain", Kind::text},            {"TEXT", Kind::text},
      {"STRING", Kind::latin1_text},         {"image/png", Kind::image},
      {"image/jpeg", Kind::image},           {"image/gif", Kind::image},
      {"image/bmp", Kind::image},            {"image/x-bmp", Kind::image},
  };
  return formats;
}

std::vector<std::string> listed_types(std::string_view listing) {
  std::vector<std::string> types;
  while (!listing.empty()) {
    size_t lf = listing.find('\n');
    std::string_view line = trimmed(listing.substr(0, lf));
    if (!line.empty()) types.emplace_back(line);
    listing.remove_prefix(lf == std::string_view::npos ? listing.size() : lf + 1);
  }
  return types;
}

const std::string* offered_as(const std::vector<std::string>& types, std::string_view type) {
  for (const std::string& t : types)
    if (same_type(t, type)) return &t;
  return nullptr;
}

std::string uri_list(const std::vector<std::string>& paths) {
  std::string out;
  for (const std::string& p : paths) out += "file://" + percent_encoded(p) + "\r\n";
  return out;
}

std::optional<std::vector<std::string>> file_paths(std::string_view list) {
  std::vector<std::string> paths;
  bool first = true;
  while (!list.empty()) {
    size_t lf = list.find('\n');
    std::string_view line = trimmed(list.substr(0, lf));
    list.remove_prefix(lf == std::string_view::npos ? list.size() : lf + 1);
    bool verb = first && (line == "copy" || line == "cut");
    first = false;
    if (line.empty() || line.front() == '#' || verb) continue;
    auto path = local_path(line);
    if (!path) return std::nullopt;
    paths.push_back(std::move(*path));
  }
  if (paths.empty()) return std::nullopt;
  return paths;
}

std::string latin1_to_utf8(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string osc52(const std::optional<std::string>& utf8, Wrap wrap) {
  // An argument that is no base64 ("!") asks the terminal to empty its clipboard.
  std::string sequence = "\x1b]52;c;" + (utf8 ? base64(*utf8) : std::string("!")) + "\x07";
  switch (wrap) {
    case Wrap::none: return sequence;
    case Wrap::tmux: return "\x1bPtmux;\x1b" + sequence + "\x1b\\";
    case Wrap::screen: return "\x1bP" + sequence + "\x1b\\";
  }
  return sequence;
}

}  // namespace vyn::clipboard
