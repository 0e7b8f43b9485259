// boot/routines_files.cpp: the routines over the process's current directory, directories, file
// existence and the description of the operating system.
#include <algorithm>
#include <string>

#include "boot/routine_bodies.hpp"
#include "core/error.hpp"
#include "core/series.hpp"
#include "core/text/unicode.hpp"
#include "core/stack.hpp"
#include "platform/file_io.hpp"
#include "platform/os_services.hpp"
#include "platform/safe_write.hpp"
#include "values/objects/object.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/tuple.hpp"
#include "values/text/url.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::boot::bodies {
namespace {

// The file's path for the system; false when its text names no path (a NUL among others).
bool local_path(const Cell& file, std::string& out) {
  std::optional<std::string> bytes = file::name_bytes(file);
  if (bytes) out = std::move(*bytes);
  return bytes.has_value();
}

// Adds a field holding the value on the stack top, then drops that value.
void add_field(Cell* obj, const char* name) {
  object::set_field(object::context(*obj), symbol::make(name), *stack::last_value());
  stack::pop(1);
}

}  // namespace

void get_current_dir(Invocation& inv) {
  std::string dir = os::current_dir();
  *inv.result = *file::push_name(dir.empty() ? std::string("./") : dir, Type::file);
}

void set_current_dir(Invocation& inv) {
  std::string path;
  if (!local_path(*arg_cell(inv, 0), path) || !os::set_current_dir(path))
    fire(Err::access_cannot_open, {*arg_cell(inv, 0)});
}

void create_dir(Invocation& inv) {
  std::string path;
  if (!local_path(*arg_cell(inv, 0), path) || !os::create_dir(path))
    fire(Err::access_no_create, {*arg_cell(inv, 0)});
}

// The bytes of a binary! from its head, or of a string! as UTF-8.
std::string bytes_from_head(const Cell& data) {
  if (data.is(Type::string)) return url::utf8_of(data, -1);
  SeriesBuffer* b = buffer_of(series_node(data));
  uint32_t head = static_cast<uint32_t>(std::max(series_head(data), 0));
  if (head >= b->tail) return {};
  return std::string(reinterpret_cast<char*>(b->data()) + head, b->tail - head);
}

void write_safely(Invocation& inv) {
  std::string path, cause;
  if (!local_path(*arg_cell(inv, 0), path)) fire(Err::access_cannot_open, {*arg_cell(inv, 0)});
  Type t = arg_cell(inv, 1)->type();
  if (t != Type::binary && t != Type::string)
    fire(Err::script_expect_arg, {predefined::word(predefined::W::write_safely), make_datatype(t), predefined::word(predefined::W::data)});
  std::string bytes = bytes_from_head(*arg_cell(inv, 1));
  if (os::write_whole_file(path, bytes.data(), bytes.size(), cause)) return;
  stack::Mark mark;
  Cell* reason = string::load_utf8_checked(unicode::outside(cause.data()),
                                           static_cast<uint32_t>(cause.size()));
  fire(Err::access_cannot_save, {*arg_cell(inv, 0), *reason});
}

void make_private_dir(Invocation& inv) {
  std::string path, cause;
  if (!local_path(*arg_cell(inv, 0), path) || !os::make_private_dirs(path, cause))
    fire(Err::access_no_create, {*arg_cell(inv, 0)});
}

void exists_q(Invocation& inv) {
  std::string path;
  *inv.result = make_logic(local_path(*arg_cell(inv, 0), path) && os::path_exists(path));
}

void os_info(Invocation& inv) {
  os::SystemInfo info = os::system_info();
  stack::Mark mark;
  Cell* obj = object::make_context_at(stack::push_unset(), 8);
  object::store_self(*obj);
  file::push_name(info.name, Type::string);
  add_field(obj, "name");
  stack::push(word::load(info.arch));
  add_field(obj, "arch");
  stack::push(tuple::make(info.version, 3));
  add_field(obj, "version");
  stack::push(make_integer(info.build));
  add_field(obj, "build");
  *inv.result = *obj;
}

}  // namespace vyn::boot::bodies
