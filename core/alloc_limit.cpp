// core/alloc_limit.cpp: the self-imposed allocation cap and the scratch buffers' share of it.
#include "core/alloc_limit.hpp"

#include <cstdlib>
#include <new>

#include "core/gc.hpp"
#include "core/os_frame.hpp"

namespace vyn::alloc {
namespace {

size_t from_environment() {
  const char* text = std::getenv("VYN_ALLOC_LIMIT");
  return text ? parse_limit(text) : 0;
}

// Read before main, so that the first allocation already sees it.
size_t cap = from_environment();
size_t scratch = 0;

}  // namespace

size_t parse_limit(const char* text) {
  size_t n = 0;
  const char* p = text;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (n > (~size_t{0} - 9) / 10) return 0;
    n = n * 10 + static_cast<size_t>(*p - '0');
  }
  if (p == text) return 0;
  int shift = 0;
  switch (*p) {
    case 'K': case 'k': shift = 10; break;
    case 'M': case 'm': shift = 20; break;
    case 'G': case 'g': shift = 30; break;
    case 0: return n;
    default: return 0;
  }
  if (p[1] != 0 || n > (~size_t{0} >> shift)) return 0;
  return n << shift;
}

size_t limit() { return cap; }
void set_limit(size_t bytes) { cap = bytes; }
size_t scratch_total() { return scratch; }

// The collector is not held to the cap: under stress it copies every live buffer into new frames
// before it returns the old ones, and a collection refused half-way could not be undone.
// A freed big frame kept for reuse counts as held, and is released when only it stands in the way.
bool within_limit(size_t n) {
  if (cap == 0 || gc::collecting()) return true;
  auto room = [&] {
    size_t held = os_total() + scratch;
    return held <= cap && n <= cap - held;
  };
  if (room()) return true;
  if (!spare_size()) return false;
  release_spare();
  return room();
}

Scratch::Scratch(size_t n) { resize(n); }

Scratch::~Scratch() { scratch -= charged_; }

void Scratch::resize(size_t n) {
  if (n > charged_ && !within_limit(n - charged_)) throw std::bad_alloc();
  scratch = scratch - charged_ + n;
  charged_ = n;
}

}  // namespace vyn::alloc
