// values/cycles.cpp: the placeholder of a series met again while it is being walked.
#include "values/cycles.hpp"

#include <cstring>

#include "core/error.hpp"
#include "values/objects/object.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::cycles {
namespace {
// An object's series is its context node (payload word 1); every other series' is its node.
NodeId node_of(const Cell& v) { return v.is(Type::object) ? object::context(v) : series_node(v); }

const char* placeholder(Type t, bool mold) {
  if (!mold) return "...";
  switch (t) {
    case Type::block: case Type::hash: return "[...]";
    case Type::paren: return "(...)";
    case Type::map: return "#[...]";
    case Type::object: return "make object! [...]";
    default: return "...";
  }
}
}  // namespace

bool detect(const Cell& value, const Cell& buffer, int32_t& remaining, bool mold) {
  if (!find(node_of(value))) return false;
  const char* text = placeholder(value.type(), mold);
  string::append_latin1(buffer, text);
  remaining -= static_cast<int32_t>(std::strlen(text));
  return true;
}

}  // namespace vyn::cycles
