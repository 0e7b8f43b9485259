// view/tui/input/input_decode.cpp: control sequences, SS3 keys and UTF-8 text to input items.
#include "view/tui/input/input_decode.hpp"

#include "platform/key_decode.hpp"

namespace vyn::tui::input {
namespace {

constexpr int max_params = 16;
constexpr int32_t param_cap = 1000000;  // larger numbers are clamped: no report is that big
constexpr size_t max_string = 4096;      // a device or OS string longer than this is noise

// What one step of the decoder found.
struct Step {
  size_t used = 0;   // 0: the bytes end inside the sequence
  bool has_item = false;
  Item item;
};

Step key_step(size_t used, int32_t key, bool special = false, uint32_t mods = 0) {
  Step s{used, true, {}};
  s.item.key = key;
  s.item.special = special;
  s.item.mods = mods;
  return s;
}

Step dropped(size_t used) { return Step{used, false, {}}; }

// The xterm modifier parameter (1 + bits: 1 shift, 2 alt, 4 ctrl).
uint32_t modifiers(int32_t p) {
  if (p < 2) return 0;
  uint32_t m = static_cast<uint32_t>(p - 1);
  return (m & 1 ? mod_shift : 0) | (m & 2 ? mod_alt : 0) | (m & 4 ? mod_ctrl : 0);
}

int32_t letter_key(uint8_t c) {
  switch (c) {
    case 'A': return key_up;
    case 'B': return key_down;
    case 'C': return key_right;
    case 'D': return key_left;
    case 'F': return key_end;
    case 'H': return key_home;
    default: return 0;
  }
}

int32_t tilde_key(int32_t p) {
  switch (p) {
    case 3: return key_delete;
    case 5: return key_page_up;
    case 6: return key_page_down;
    case 15: return key_f1 - 4;
    case 17: case 18: case 19: case 20: case 21: return key_f1 - 5 - (p - 17);
    case 23: case 24: return key_f1 - 10 - (p - 23);
    default: return 0;
  }
}

struct Params {
  int32_t at[max_params] = {};
  int count = 0;
  bool sgr = false;   // "<" after "["
};

Step csi_final(const Params& p, uint8_t final, size_t used) {
  if ((final == 'M' || final == 'm') && p.count == 3) {
    Step s{used, true, {}};
    s.item.kind = Kind::mouse;
    s.item.button = p.sgr ? p.at[0] : p.at[0] - 32;  // without "<": the 1015 encoding, plus 32
    s.item.column = p.at[1];
    s.item.row = p.at[2];
    s.item.release = final == 'm';
    return s;
  }
  if (p.sgr) return dropped(used);
  if (final == 'R' && p.count == 2) {
    Step s{used, true, {}};
    s.item.kind = Kind::cursor;
    s.item.row = p.at[0];
    s.item.column = p.at[1];
    return s;
  }
  uint32_t mods = p.count >= 2 ? modifiers(p.at[1]) : 0;
  if (final == 'Z') return key_step(used, 9, false, mod_shift);
  if (final == '~') {
    int32_t k = p.count >= 1 ? tilde_key(p.at[0]) : 0;
    return k ? key_step(used, k, true, mods) : dropped(used);
  }
  int32_t k = letter_key(final);
  return k ? key_step(used, k, true, mods) : dropped(used);
}

// ESC "[": parameters, intermediates, one final byte. A control byte inside ends the sequence
// without its final: what came so far is dropped and the control byte is decoded on its own.
Step csi(const uint8_t* b, size_t n) {
  Params p;
  size_t i = 2;
  if (i < n && b[i] == '<') {
    p.sgr = true;
    ++i;
  }
  bool in_number = false;
  for (; i < n; ++i) {
    uint8_t c = b[i];
    if (c >= '0' && c <= '9') {
      if (!in_number && p.count < max_params) p.at[p.count++] = 0;
      in_number = true;
      int32_t& v = p.at[p.count - 1];
      v = v * 10 + (c - '0');
      if (v > param_cap) v = param_cap;
    } else if (c == ';') {
      if (!in_number && p.count < max_params) p.at[p.count++] = 0;
      in_number = false;
    } else if (c >= 0x20 && c <= 0x3F) {
      in_number = false;  // other parameter and intermediate bytes: kept out of the numbers
    } else if (c >= 64 && c <= 126 && c != '[') {
      return csi_final(p, c, i + 1);
    } else {
      return dropped(i);
    }
  }
  return Step{};  // cut short
}

// ESC "P" and ESC "]": skipped through the string terminator (ESC "\"; BEL also ends an OS
// command, as terminals send it).
Step string_sequence(const uint8_t* b, size_t n) {
  for (size_t i = 2; i < n; ++i) {
    if (b[1] == ']' && b[i] == 7) return dropped(i + 1);
    if (b[i] == 27) {
      if (i + 1 >= n) return Step{};
      if (b[i + 1] == '\\') return dropped(i + 2);
    }
  }
  if (n >= max_string) return dropped(n);
  return Step{};
}

Step escape(const uint8_t* b, size_t n) {
  if (n == 1) return Step{};
  switch (b[1]) {
    case '[': return csi(b, n);
    case 'P': case ']': return string_sequence(b, n);
    case 'O':
      if (n == 2) return Step{};
      if (b[2] >= 'P' && b[2] <= 'S') return key_step(3, key_f1 - (b[2] - 'P'), true);
      if (int32_t k = letter_key(b[2])) return key_step(3, k, true);  // application cursor keys
      return dropped(3);
    case 27: return key_step(1, 27);  // Esc pressed twice: the first is a key of its own
    default: return dropped(2);
  }
}

Step one(const uint8_t* b, size_t n) {
  uint8_t c = b[0];
  if (c == 27) return escape(b, n);
  if (c == 8) return key_step(1, 127);
  if (c == 10) return key_step(1, 13);
  if (c < 32 || c == 127) return key_step(1, c);
  if (c < 0x80) return key_step(1, c);
  keys::Decoded d = keys::decode(b, n, false);
  if (d.used == 0) return Step{};
  return key_step(d.used, d.key);
}

// What is left at the end when no more bytes are coming.
Step finish(const uint8_t* b, size_t n) {
  if (b[0] == 27 && n == 1) return key_step(1, 27);
  if (b[0] >= 0x80) {
    keys::Decoded d = keys::decode(b, n, true);
    return key_step(d.used ? d.used : n, d.key);
  }
  return dropped(n);
}

}  // namespace

Decoded decode(const uint8_t* bytes, size_t n, bool final, size_t max_items) {
  Decoded out;
  size_t at = 0;
  while (at < n && out.items.size() < max_items) {
    size_t left = n - at;
    // A lone Esc as the whole input is the Esc key at once.
    Step s = (bytes[at] == 27 && left == 1 && at == 0) ? key_step(1, 27) : one(bytes + at, left);
    if (s.used == 0) {
      if (!final) {
        out.incomplete = true;
        break;
      }
      s = finish(bytes + at, left);
    }
    if (s.has_item) {
      s.item.end = at + s.used;
      out.items.push_back(s.item);
    }
    at += s.used;
  }
  out.used = at;
  return out;
}

}  // namespace vyn::tui::input
