// core/codecs/lz.cpp: the LZ unpacker and its bit stream.
#include "core/codecs/lz.hpp"

#include <algorithm>

#include "core/heap.hpp"

namespace vyn::compress {
namespace {

constexpr size_t header_size = 8;

// The longest match copies 566 bytes and costs at least 22 bits, so no packed byte unpacks to
// more than 208 bytes. The output is never made larger than that, whatever the header claims.
constexpr uint64_t max_expansion = 208;
constexpr uint64_t max_capacity = 0x7FFFFFFF;

uint32_t read_le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Match length minus 3: a unary prefix picks the class, then a field within it.
uint32_t length_code(Stream& s) {
  struct Class { int bits; uint32_t base; };
  static constexpr Class classes[] = {{2, 0}, {2, 4}, {2, 8}, {3, 12}, {5, 20}};
  for (const Class& c : classes)
    if (get_bits(1, s)) return get_bits(c.bits, s) + c.base;
  return get_bits(9, s) + 52;
}

// Match distance minus 1.
uint32_t offset_code(Stream& s) {
  int j = static_cast<int>(get_bits(4, s)) + 2;
  if (j == 2) return get_bits(3, s);
  return get_bits(j, s) + (1u << j);
}

// Decodes tokens into the length bytes at out. Answers false on bad or missing input.
bool decode_chunk(Stream& s, uint8_t* out, uint32_t length) {
  uint32_t done = 0;
  while (done < length) {
    if (!get_bits(1, s)) {
      uint32_t byte = get_bits(8, s);
      if (s.error) return false;
      out[done++] = static_cast<uint8_t>(byte);
      continue;
    }
    uint32_t n = length_code(s) + 3;
    uint32_t back = offset_code(s) + 1;
    if (s.error || back > done || n > length - done) return false;
    // byte by byte: an overlapping copy repeats the pattern
    for (uint32_t i = 0; i < n; ++i, ++done) out[done] = out[done - back];
  }
  return true;
}

// Unpacks the chunks of [s.read, s.end) into the stream's output.
bool decode_chunks(Stream& s) {
  while (s.read < s.end) {
    if (s.end - s.read < 4) return false;
    uint32_t length = read_le32(s.read);
    s.read += 4;
    if (length < 1 || length > max_chunk) return false;
    uint8_t* out = take_bytes(s, length);
    if (!out) return false;
    s.bits = 0;
    s.count = 0;
    if (!decode_chunk(s, out, length)) return false;
  }
  return true;
}

}  // namespace

void new_stream(Stream& s, uint32_t capacity, const uint8_t* input, const uint8_t* input_end) {
  s = Stream{};
  s.read = input;
  s.end = input_end;
  s.out = static_cast<uint8_t*>(heap::alloc(capacity ? capacity : 1));
  s.capacity = capacity;
}

uint8_t* take_bytes(Stream& s, int64_t n) {
  if (n < 0 || n > int64_t{s.capacity} - int64_t{s.used}) {
    s.error = true;
    return nullptr;
  }
  uint8_t* p = s.out + s.used;
  s.used += static_cast<uint32_t>(n);
  return p;
}

uint32_t get_bits(int n, Stream& s) {
  while (s.count < n) {
    if (s.read >= s.end) {
      s.error = true;
      return 0;
    }
    s.bits |= uint64_t{*s.read++} << s.count;
    s.count += 8;
  }
  uint32_t value = static_cast<uint32_t>(s.bits & ((uint64_t{1} << n) - 1));
  s.bits >>= n;
  s.count -= n;
  return value;
}

void put_bits(int n, uint32_t value, Stream& s) {
  s.bits |= (uint64_t{value} & ((uint64_t{1} << n) - 1)) << s.count;
  s.count += n;
  for (; s.count >= 8; s.count -= 8, s.bits >>= 8) {
    uint8_t* p = take_bytes(s, 1);
    if (p) *p = static_cast<uint8_t>(s.bits);
  }
}

void free_buffer(uint8_t* buffer) { heap::free(buffer); }

uint8_t* unpack(const uint8_t* packed, size_t length, uint32_t* size_out) {
  if (!packed || length < header_size) return nullptr;
  uint64_t packed_size = read_le32(packed);
  if (packed_size > length - header_size) return nullptr;
  uint64_t room = std::min<uint64_t>(read_le32(packed + 4), packed_size * max_expansion) + 8;
  if (room > max_capacity) return nullptr;
  Stream s;
  const uint8_t* chunks = packed + header_size;
  new_stream(s, static_cast<uint32_t>(room), chunks, chunks + packed_size);
  if (!decode_chunks(s)) {
    free_buffer(s.out);
    return nullptr;
  }
  if (size_out) *size_out = s.used;
  return s.out;
}

}  // namespace vyn::compress
