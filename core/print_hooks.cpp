// core/print_hooks.cpp: the hook lists.
#include "core/print_hooks.hpp"

#include <algorithm>
#include <vector>

namespace vyn::output {
namespace {
std::vector<PrintHook> print_hooks;
std::vector<RawHook> raw_hooks;

template <class T>
void remove_first(std::vector<T>& list, T hook) {
  auto it = std::find(list.begin(), list.end(), hook);
  if (it != list.end()) list.erase(it);
}
}  // namespace

void init(PrintHook console) {
  print_hooks.clear();
  raw_hooks.clear();
  print_hooks.push_back(console);
}

void add_hooks(PrintHook print, RawHook raw) {
  if (print) print_hooks.push_back(print);
  if (raw) raw_hooks.push_back(raw);
}

void remove_hooks(PrintHook print, RawHook raw) {
  if (print) remove_first(print_hooks, print);
  if (raw) remove_first(raw_hooks, raw);
}

// Copies of the lists: a hook may add or remove hooks while it runs.
void call_print_hooks(const Cell& str, bool line_end) {
  std::vector<PrintHook> hooks = print_hooks;
  for (PrintHook h : hooks) h(str, line_end);
}

void call_raw_hooks(const uint8_t* text, size_t length, uint32_t unit) {
  std::vector<RawHook> hooks = raw_hooks;
  for (RawHook h : hooks) h(text, length, unit);
}

}  // namespace vyn::output
