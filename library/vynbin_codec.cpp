// library/vynbin_codec.cpp: the routines behind the Vynbin codec object: `vynbin-encode*` turns
// a value into a binary!, `vynbin-decode*` turns one back into its value (or a block of them).
#include <vector>

#include "values/callables/routine.hpp"
#include "core/alloc_limit.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "library/vynbin.hpp"
#include "values/series/binary.hpp"
#include "values/series/block.hpp"
#include "values/registry.hpp"

namespace vyn::vynbin {
namespace {

void encode_body(routine::Invocation& inv) {
  bool compact = logic_of(*routine::arg_cell(inv, 1)) != 0;
  std::string bytes = encode(*routine::arg_cell(inv, 0), compact);
  alloc::Scratch charge{bytes.size()};
  stack::Mark mark;
  *inv.result = *binary::push_bytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A file or URL payload is read as binary first. Data of 10 bytes or fewer cannot hold a
// preamble and a record. The bytes are copied out of the binary first, since decoding allocates
// and may move its buffer.
void decode_body(routine::Invocation& inv) {
  stack::Mark mark;
  Cell* data = routine::arg_cell(inv, 0);
  if (data->is(Type::file) || data->is(Type::url)) {
    ReadOptions o;
    o.binary = true;
    data = registry::entry<Action::read>(data->type())(stack::push(*data), o);
  }
  if (!data->is(Type::binary)) fire(Err::script_invalid_data, {*data});
  int32_t n = binary::length(*data);
  if (n <= 10) fire(Err::script_invalid_data, {*data});
  const uint8_t* head = binary::head_bytes(*data);
  std::vector<uint8_t> bytes(head, head + n);
  Cell* out = block::push_only(4);
  decode(bytes.data(), bytes.size(), *out, *data);
  Cell result = block::length_total(*out) == 1 ? block::cells(*out)[0] : *out;
  result.set_new_line(false);
  *inv.result = result;
}

}  // namespace

// vynbin-encode* and vynbin-decode*: the Vynbin codec object's encode* and decode; the base
// library unsets the words once the codec holds the routines.
namespace {

struct Entries {
  int32_t encode, decode;
};

// Registered in this order, encoding first.
const Entries& entries() {
  static const Entries e = [] {
    Entries made{};
    made.encode = routine::register_body(encode_body);
    made.decode = routine::register_body(decode_body);
    return made;
  }();
  return e;
}

}  // namespace

void register_bodies() { (void)entries(); }

void define_routines() {
  const int32_t encode_entry = entries().encode;
  const int32_t decode_entry = entries().decode;
  routine::define("vynbin-encode*", R"~("Encodes a value as Vynbin data, compact or standard layout"
      data [any-type!] compact? [logic!] return: [binary!])~", encode_entry);
  routine::define("vynbin-decode*", R"~("Decodes Vynbin data, or a file or URL holding it, into its value or a block of its values"
      payload [any-type!] return: [any-type!])~", decode_entry);
}

}  // namespace vyn::vynbin
