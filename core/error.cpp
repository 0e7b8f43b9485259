// core/error.cpp: the catalog table built from errors.def, and fire().
#include "core/error.hpp"

#include <array>

namespace vyn {
namespace {

struct CategoryInfo {
  const char* word;
  const char* title;
};

constexpr CategoryInfo categories[] = {
#define VYN_ERROR_CATEGORY(index, name, word, title) {word, title},
#define VYN_ERROR(category, name, word, tpl)
#include "core/errors.def"
#undef VYN_ERROR
#undef VYN_ERROR_CATEGORY
};

// Field indexes count from 2 within each category, in the order of the catalog.
constexpr auto build_table() {
  std::array<ErrorInfo, static_cast<size_t>(Err::count_)> t{};
  int ids_in[10] = {};
  size_t i = 0;
#define VYN_ERROR_CATEGORY(index, name, word, title)
#define VYN_ERROR(category, name, word, tpl)                                        \
  t[i++] = ErrorInfo{ErrorCategory::category,                                       \
                     static_cast<uint8_t>(2 + ids_in[int(ErrorCategory::category)]++), \
                     word, tpl};
#include "core/errors.def"
#undef VYN_ERROR
#undef VYN_ERROR_CATEGORY
  return t;
}

constexpr auto table = build_table();
static_assert(table[static_cast<size_t>(Err::script_expect_arg)].index == 7);
static_assert(table[static_cast<size_t>(Err::script_bad_make_arg)].index == 55);
static_assert(table[static_cast<size_t>(Err::script_vb_invalid_record)].index == 95);

PendingError pending{};
RaiseHook installed_hook = nullptr;

}  // namespace

const ErrorInfo& error_info(Err id) { return table[static_cast<size_t>(id)]; }
const char* category_word(ErrorCategory c) { return categories[static_cast<int>(c)].word; }
const char* category_title(ErrorCategory c) { return categories[static_cast<int>(c)].title; }
int error_code(Err id) {
  const ErrorInfo& e = error_info(id);
  return static_cast<int>(e.category) * 100 + e.index - 2;
}

PendingError& pending_error() { return pending; }

void fire(Err id, std::initializer_list<Cell> args) {
  pending.id = id;
  pending.argc = 0;
  for (const Cell& a : args) {
    if (pending.argc == 3) break;
    pending.args[pending.argc++] = a;
  }
  for (int i = pending.argc; i < 3; ++i) pending.args[i] = make_none();
  if (installed_hook) installed_hook();
  throw Raised{};
}

void set_raise_hook(RaiseHook hook) { installed_hook = hook; }
RaiseHook raise_hook() { return installed_hook; }

}  // namespace vyn
