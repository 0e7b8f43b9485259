// core/print_hooks.cpp: the hook lists and the default console writer.
#include "core/print_hooks.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/series.hpp"
#include "platform/console_out.hpp"
#include "view/tui/hooks.hpp"

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

void init() {
  print_hooks.clear();
  raw_hooks.clear();
  print_hooks.push_back(print_string);
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

void print_string(const Cell& str, bool line_end) {
  tui::before_print();
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t unit = b->unit();
  uint64_t start = uint64_t{static_cast<uint32_t>(series_head(str) < 0 ? 0 : series_head(str))} * unit;
  size_t units = start < b->tail ? (b->tail - start) / (unit ? unit : 1) : 0;
  if (unit == 1 || unit == 2 || unit == 4) {
    os::print_units(b->data() + start, units, unit, line_end);
  } else {
    char line[80];
    std::snprintf(line, sizeof line, "Error: unknown string encoding: %u\n", unit);
    os::diagnostic(line);
  }
  os::flush_printed();
  tui::after_print();
}

}  // namespace vyn::output
