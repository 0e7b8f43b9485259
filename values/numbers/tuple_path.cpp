// values/numbers/tuple_path.cpp: a tuple's bytes by path (t/2, t/2: 9), and writing the changed tuple back
// where the path found it.
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/path_write_back.hpp"
#include "values/registry.hpp"
#include "values/numbers/tuple.hpp"
#include "values/words/word.hpp"

namespace vyn::tuple {

int checked_index(const Cell& t, const Cell& index) {
  if (!index.is(Type::integer) || index.int_value() < 1 || index.int_value() > size_of(t))
    fire(Err::script_out_of_range, {index});
  return index.int_value();
}

// An integer replaces the byte (clamped to 0..255); none cuts the tuple before the index, down
// to at least 3 bytes.
Cell poke_byte(const Cell& t, const Cell& index, const Cell& value) {
  if (!value.is(Type::integer) && !value.is(Type::none_))
    fire(Err::script_invalid_type, {make_datatype(value.type())});
  int i = checked_index(t, index);
  Bytes b = bytes_of(t);
  if (value.is(Type::none_)) {
    for (int k = i - 1; k < b.size; ++k) b.b[k] = 0;
    b.size = i - 1;
  } else {
    int32_t v = value.int_value();
    b.b[i - 1] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  }
  return make(b);
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  if (!element->is(Type::integer)) fire(Err::script_invalid_type, {make_datatype(element->type())});
  if (!value) {
    int i = checked_index(*parent, *element);
    return stack::push(make_integer(bytes_of(*parent).b[i - 1]));
  }
  *parent = poke_byte(*parent, *element, *value);
  path::write_back(*parent, step);
  return value;
}

}  // namespace vyn::tuple
