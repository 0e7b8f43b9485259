// core/alloc_limit.hpp: a cap on the memory the runtime takes, which it enforces on itself so that
// tests can run it out of memory where the system will not (a sanitizer build maps terabytes of
// shadow and cannot run under an address-space limit).
//
// VYN_ALLOC_LIMIT, read before main, gives the cap in bytes (a K, M or G suffix multiplies by
// 1024, 1024^2 or 1024^3); unset, empty or 0 means none. Under it, OS frames (series frames, big
// series, node frames) and the scratch buffers natives take for large work count together; a
// request past the cap fails the way exhaustion does: an OS frame raises internal/no-memory, a
// scratch buffer throws std::bad_alloc, which the native call turns into the same error.
#pragma once

#include <cstddef>

namespace vyn::alloc {

// The cap in bytes, 0 for none.
size_t limit();
// Sets the cap (0 removes it); for tests that read no environment.
void set_limit(size_t bytes);
// Parses a cap's text; 0 for anything that is not digits with an optional K, M or G.
size_t parse_limit(const char* text);

// Whether n more bytes stay within the cap. Cheap when there is none.
bool within_limit(size_t n);

// Bytes held by live scratch buffers.
size_t scratch_total();

// A native's scratch buffer of n bytes, counted against the cap while this lives. Past the cap
// the constructor throws std::bad_alloc. Charges are released in any order.
class Scratch {
 public:
  explicit Scratch(size_t n = 0);
  ~Scratch();
  Scratch(Scratch&& other) noexcept : charged_(other.charged_) { other.charged_ = 0; }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  // Counts the buffer as n bytes from now on (throws std::bad_alloc past the cap, keeping the
  // charge it had).
  void resize(size_t n);

 private:
  size_t charged_ = 0;
};

}  // namespace vyn::alloc
