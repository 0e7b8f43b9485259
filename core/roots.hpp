// core/roots.hpp: rooted cells for C++ code that must keep a value alive across an allocation.
#pragma once

#include "core/cell.hpp"

namespace vyn {

// A LIFO slot the collector marks (and updates) for as long as it lives. Use it, or the value
// stack, for any value held across a call that may allocate.
class Root {
 public:
  explicit Root(const Cell& value = make_none());
  ~Root();
  Root(const Root&) = delete;
  Root& operator=(const Root&) = delete;

  Cell& operator*() { return *cell_; }
  Cell* operator->() { return cell_; }
  Cell* get() { return cell_; }

 private:
  Cell* cell_;
};

namespace roots {
inline constexpr int capacity = 4096;
Cell* begin();   // the live root slots, for the collector
Cell* end();
}  // namespace roots

}  // namespace vyn
