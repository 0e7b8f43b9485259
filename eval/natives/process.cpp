// eval/natives/process.cpp: call, which runs another program, and browse, which hands a URL or
// file to the desktop's opener.
#include <string>

#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "platform/process.hpp"
#include "platform/process_text.hpp"
#include "values/series/binary.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"

namespace vyn::natives {
namespace {

// The text of a string or file as the system takes it; a zero byte would cut it short there.
std::string text_for_system(Cell* value) {
  std::string text = value->is(Type::file) ? file::to_local(*value, false) : string::to_utf8(*value);
  if (text.find('\0') != std::string::npos) fire(Err::script_invalid_arg, {*value});
  return text;
}

os::Redirect input_of(Cell* in) {
  os::Redirect r;
  if (!in) return r;
  if (in->is(Type::file)) {
    r.kind = os::Redirect::Kind::file;
    r.path = text_for_system(in);
  } else if (in->is(Type::binary)) {
    r.kind = os::Redirect::Kind::data;
    const uint8_t* bytes = binary::head_bytes(*in);
    r.data.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(binary::length(*in)));
  } else {
    r.kind = os::Redirect::Kind::data;
    r.data = string::to_utf8(*in);
  }
  return r;
}

os::Redirect target_of(Cell* out) {
  os::Redirect r;
  if (!out) return r;
  r.kind = out->is(Type::file) ? os::Redirect::Kind::file : os::Redirect::Kind::data;
  if (out->is(Type::file)) r.path = text_for_system(out);
  return r;
}

// Appends the captured bytes at the target's tail: raw into a binary!, as UTF-8 text (any byte
// that does not decode becomes U+FFFD) into a string!.
void deliver(Cell* target, const os::Redirect& r) {
  if (!target || r.kind != os::Redirect::Kind::data || r.data.empty()) return;
  if (target->is(Type::binary)) {
    Cell* bytes = binary::push_bytes(reinterpret_cast<const uint8_t*>(r.data.data()), r.data.size());
    binary::append(target, bytes, -1, false, 1, true);
    return;
  }
  std::string text = os::valid_utf8(r.data);
  Cell* loaded = string::load_utf8_checked(unicode::outside(text.data()),
                                           static_cast<uint32_t>(text.size()));
  string::append(target, loaded, -1, false, 1, true);
}

}  // namespace

// A program that cannot be started answers -1; /show has no window to show here.
Flow call_(const Call& c) {
  using Ref = Refs<Native::call>;
  Cell* cmd = c.args;
  if (string::length_q(*cmd) <= 0) {
    *cmd = make_integer(0);
    return Flow::normal;
  }
  os::ProcessRequest r;
  r.command = text_for_system(cmd);
  r.wait = c.has(Ref::wait);
  r.console = c.has(Ref::console);
  r.shell = c.has(Ref::shell);
  r.input = input_of(c.ref(Ref::input));
  r.output = target_of(c.ref(Ref::output));
  r.error = target_of(c.ref(Ref::error));
  int32_t result = os::run_process(r);
  deliver(c.ref(Ref::output), r.output);
  deliver(c.ref(Ref::error), r.error);
  *c.args = make_integer(result);
  return Flow::normal;
}

// Opens the URL or file with xdg-open, without waiting. Without an opener the desktop cannot be
// reached: access/cannot-open with the value.
Flow browse_(const Call& c) {
  Cell* target = c.args;
  std::string text = text_for_system(target);
  std::string opener = os::find_program("xdg-open");
  if (opener.empty() || os::launch_detached({opener, text}) < 0)
    fire(Err::access_cannot_open, {*target});
  *c.args = make_unset();
  return Flow::normal;
}

}  // namespace vyn::natives
