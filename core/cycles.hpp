// core/cycles.hpp: the cycle stack that stops forming, molding, copying, comparing, binding and
// ownership at a series that contains itself (values/cycles.hpp adds the placeholder they write).
#pragma once

#include "core/cell.hpp"

namespace vyn::cycles {

inline constexpr int capacity = 1000;

// Pushes a node; the push that fills the stack empties it and raises internal/too-deep.
void push(NodeId node);
void pop();
void pop_n(int n);
void reset();
bool find(NodeId node);
int depth();
NodeId* begin();  // the stored nodes, for the collector
NodeId* end();

}  // namespace vyn::cycles
