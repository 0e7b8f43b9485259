// values/cycles.hpp: the cycle stack that stops forming, molding, copying, comparing, binding and
// ownership at a series that contains itself.
#pragma once

#include <cstdint>

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

// When the value's series (an object's context) is already on the stack, appends the placeholder
// for its type to buffer, lowers remaining by its length and answers true.
bool detect(const Cell& value, const Cell& buffer, int32_t& remaining, bool mold);

}  // namespace vyn::cycles
