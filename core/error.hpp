// core/error.hpp: raising language errors from C++ by catalog id.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "core/cell.hpp"

namespace vyn {

enum class ErrorCategory : uint8_t {
#define VYN_ERROR_CATEGORY(index, name, word, title) name = index,
#define VYN_ERROR(category, name, word, tpl)
#include "core/errors.def"
#undef VYN_ERROR
#undef VYN_ERROR_CATEGORY
};

// Every id of the catalog, named category_id (`Err::script_invalid_arg`).
enum class Err : uint16_t {
#define VYN_ERROR_CATEGORY(index, name, word, title)
#define VYN_ERROR(category, name, word, tpl) name,
#include "core/errors.def"
#undef VYN_ERROR
#undef VYN_ERROR_CATEGORY
  count_
};

struct ErrorInfo {
  ErrorCategory category;
  uint8_t index;          // field index in its category object: ids start at 2, after code and type
  const char* word;       // the id's word, "invalid-arg"
  const char* message;    // the message template as source text
};

const ErrorInfo& error_info(Err id);
const char* category_word(ErrorCategory c);
const char* category_title(ErrorCategory c);
int error_code(Err id);  // category index * 100 + field index - 2

// The error being raised. Its argument cells stay here, where the collector marks them, while the
// C++ exception that carries it unwinds; the catcher turns it into an error! value.
struct PendingError {
  Err id;
  int argc;
  Cell args[3];
};
PendingError& pending_error();

// Thrown by fire(); carries nothing, the error itself is the pending error.
struct Raised {};

[[noreturn]] void fire(Err id, std::initializer_list<Cell> args = {});

// Called by fire() once the pending error is recorded, before it throws: the error machinery notes
// there what is known only at that moment (the code under evaluation, the failing call). It must
// not allocate. Set once at start-up.
using RaiseHook = void (*)();
void set_raise_hook(RaiseHook hook);
RaiseHook raise_hook();  // the hook set, so that another may chain to it

}  // namespace vyn
