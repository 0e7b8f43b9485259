// core/codecs/deflate_block.cpp: the DEFLATE block writer: builds the block's codes, prices the stored,
// fixed and dynamic forms and writes the cheapest.
#include <algorithm>
#include <cstring>

#include "core/codecs/deflate_huffman.hpp"
#include "core/codecs/deflate_internal.hpp"

namespace vyn::compress {
namespace {

struct Header {
  int hlit, hdist, hclen;
};

// Run-length codes a list of code lengths with the code-length alphabet (16: repeat the previous
// 3-6 times, 17: 3-10 zeros, 18: 11-138 zeros). Counts every symbol; writes it when out is given.
void scan_lengths(Work& w, const uint8_t* lens, int n, BitWriter* out) {
  auto emit = [&](int sym, int extra_bits, int extra) {
    ++w.clen_freq[sym];
    if (!out) return;
    out->put(w.clen_code[sym], w.clen_len[sym]);
    if (extra_bits) out->put(uint32_t(extra), extra_bits);
  };
  int prev = -1, count = 0, next = lens[0];
  int max = next == 0 ? 138 : 7, min = next == 0 ? 3 : 4;
  for (int i = 0; i < n; ++i) {
    int cur = next;
    next = i + 1 < n ? lens[i + 1] : -1;
    if (++count < max && cur == next) continue;
    if (count < min) {
      while (count--) emit(cur, 0, 0);
    } else if (cur != 0) {
      if (cur != prev) emit(cur, 0, 0), --count;
      emit(16, 2, count - 3);
    } else if (count <= 10) {
      emit(17, 3, count - 3);
    } else {
      emit(18, 7, count - 11);
    }
    count = 0;
    prev = cur;
    if (next == 0) max = 138, min = 3;
    else if (cur == next) max = 6, min = 3;
    else max = 7, min = 4;
  }
}

Header build_dynamic(Work& w) {
  build_lengths(w.lit_freq, lit_symbols, max_bits, w.lit_len);
  build_lengths(w.dist_freq, dist_symbols, max_bits, w.dist_len);
  Header h{257, 1, 19};
  for (int s = lit_symbols - 1; s >= 257; --s)
    if (w.lit_len[s]) { h.hlit = s + 1; break; }
  for (int s = dist_symbols - 1; s >= 1; --s)
    if (w.dist_len[s]) { h.hdist = s + 1; break; }
  std::memset(w.clen_freq, 0, sizeof w.clen_freq);
  scan_lengths(w, w.lit_len, h.hlit, nullptr);
  scan_lengths(w, w.dist_len, h.hdist, nullptr);
  build_lengths(w.clen_freq, clen_symbols, 7, w.clen_len);
  while (h.hclen > 4 && w.clen_len[clen_order[h.hclen - 1]] == 0) --h.hclen;
  build_codes(w.lit_len, lit_symbols, w.lit_code);
  build_codes(w.dist_len, dist_symbols, w.dist_code);
  build_codes(w.clen_len, clen_symbols, w.clen_code);
  return h;
}

// The extra bits every match of the block carries, the same in fixed and dynamic form.
uint64_t extra_bits(const Work& w) {
  uint64_t bits = 0;
  for (int s = 257; s < 286; ++s) bits += uint64_t(w.lit_freq[s]) * length_extra[s - 257];
  for (int d = 0; d < dist_symbols; ++d) bits += uint64_t(w.dist_freq[d]) * dist_extra[d];
  return bits;
}

uint64_t dynamic_cost(const Work& w, const Header& h) {
  uint64_t bits = 17 + 3 * uint64_t(h.hclen) + extra_bits(w);
  for (int s = 0; s < lit_symbols; ++s) bits += uint64_t(w.lit_freq[s]) * w.lit_len[s];
  for (int d = 0; d < dist_symbols; ++d) bits += uint64_t(w.dist_freq[d]) * w.dist_len[d];
  for (int s = 0; s < clen_symbols; ++s) bits += uint64_t(w.clen_freq[s]) * w.clen_len[s];
  return bits + 2 * w.clen_freq[16] + 3 * w.clen_freq[17] + 7 * w.clen_freq[18];
}

uint64_t fixed_cost(const Work& w) {
  uint64_t bits = 3 + extra_bits(w);
  for (int s = 0; s < lit_symbols; ++s) bits += uint64_t(w.lit_freq[s]) * fixed_length(s);
  for (int d = 0; d < dist_symbols; ++d) bits += uint64_t(w.dist_freq[d]) * 5;
  return bits;
}

uint64_t stored_cost(size_t bytes, int pending) {
  uint64_t pieces = std::max<uint64_t>(1, (bytes + 65534) / 65535);
  return uint64_t((pending + 10) & ~7) - pending + 32 + 40 * (pieces - 1) + 8 * uint64_t(bytes);
}

void write_stored(BitWriter& out, const uint8_t* data, size_t bytes, bool final) {
  size_t done = 0;
  do {
    size_t piece = std::min<size_t>(65535, bytes - done);
    bool last = done + piece == bytes;
    out.put(final && last ? 1 : 0, 3);
    out.align();
    out.put(uint32_t(piece), 16);
    out.put(uint32_t(~piece & 0xFFFF), 16);
    size_t room = out.pos < out.end ? std::min(piece, out.end - out.pos) : 0;
    if (room) std::memcpy(out.out + out.pos, data + done, room);
    out.pos += piece;
    done += piece;
  } while (done < bytes);
}

void write_symbols(const Work& w, BitWriter& out, const uint8_t* lit_len, const uint16_t* lit_code,
                   const uint8_t* dist_len, const uint16_t* dist_code_of) {
  for (int k = 0; k < w.symbol_count; ++k) {
    uint32_t s = w.symbols[k];
    if (s < 256) {
      out.put(lit_code[s], lit_len[s]);
      continue;
    }
    int length = int(s & 0xFF) + 3, distance = int(s >> 8);
    int lc = length_code(length), dc = dist_code(distance);
    out.put(lit_code[257 + lc], lit_len[257 + lc]);
    if (length_extra[lc]) out.put(uint32_t(length - length_base[lc]), length_extra[lc]);
    out.put(dist_code_of[dc], dist_len[dc]);
    if (dist_extra[dc]) out.put(uint32_t(distance - dist_base[dc]), dist_extra[dc]);
  }
  out.put(lit_code[end_of_block], lit_len[end_of_block]);
}

void write_dynamic(Work& w, BitWriter& out, const Header& h, bool final) {
  out.put(final ? 5 : 4, 3);
  out.put(uint32_t(h.hlit - 257), 5);
  out.put(uint32_t(h.hdist - 1), 5);
  out.put(uint32_t(h.hclen - 4), 4);
  for (int k = 0; k < h.hclen; ++k) out.put(w.clen_len[clen_order[k]], 3);
  scan_lengths(w, w.lit_len, h.hlit, &out);
  scan_lengths(w, w.dist_len, h.hdist, &out);
  write_symbols(w, out, w.lit_len, w.lit_code, w.dist_len, w.dist_code);
}

}  // namespace

void write_block(Work& w, BitWriter& out, const uint8_t* start, size_t bytes, bool final) {
  w.lit_freq[end_of_block] = 1;
  Header h = build_dynamic(w);
  uint64_t dynamic = dynamic_cost(w, h), fixed = fixed_cost(w);
  uint64_t stored = stored_cost(bytes, out.pending);
  if (fixed >= stored && dynamic >= stored) {
    write_stored(out, start, bytes, final);
  } else if (dynamic < fixed) {
    write_dynamic(w, out, h, final);
  } else {
    out.put(final ? 3 : 2, 3);
    write_symbols(w, out, w.fixed_lit_len, w.fixed_lit_code, w.fixed_dist_len, w.fixed_dist_code);
  }
  w.symbol_count = 0;
  std::memset(w.lit_freq, 0, sizeof w.lit_freq);
  std::memset(w.dist_freq, 0, sizeof w.dist_freq);
  std::memset(w.clen_freq, 0, sizeof w.clen_freq);
}

}  // namespace vyn::compress
