// values/callables/routine.cpp: the registry of routine bodies.
#include "values/callables/routine.hpp"

#include <vector>

namespace vyn::routine {
namespace {

std::vector<Body>& bodies() {
  static std::vector<Body> table;
  return table;
}

}  // namespace

int32_t register_body(Body b) {
  bodies().push_back(b);
  return static_cast<int32_t>(bodies().size());
}

int32_t body_count() { return static_cast<int32_t>(bodies().size()); }

Body body(int32_t entry) {
  if (entry < 1 || entry > static_cast<int32_t>(bodies().size())) return nullptr;
  return bodies()[static_cast<size_t>(entry - 1)];
}

}  // namespace vyn::routine
