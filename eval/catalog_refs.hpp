// eval/catalog_refs.hpp: the refinement positions a native's or an action's catalog row lists, as
// named constants.
#pragma once

// One specialisation of Refs per row: Refs<key>::name is the position of that refinement (the
// index c.has and c.ref take), and `positions` holds them all in row order, then -1. The unit test
// tests/unit/eval/catalog_refs_test.cpp holds each row's names against the spec start-up made.
#define VYN_CATALOG_REFS(key, ...)                                      \
  template <>                                                           \
  struct Refs<key> {                                                    \
    enum Position : int { __VA_ARGS__ };                                \
    static constexpr int positions[] = {__VA_ARGS__ __VA_OPT__(, ) - 1}; \
  };

namespace vyn {
// Whether two rows put a refinement at the same position, as rows sharing one entry must.
constexpr bool same_position(int a, int b) { return a == b; }
}  // namespace vyn
