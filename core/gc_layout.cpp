// core/gc_layout.cpp: the built-in marking layout of every datatype.
#include "core/gc_layout.hpp"

#include <array>

namespace vyn::gc {
namespace {

constexpr Holds no = Holds::nothing, series = Holds::series, cells = Holds::cells,
                table = Holds::table, handle = Holds::handle;

// An op! made from a function! or routine! keeps that function's context in word 1; made from a
// native or action, word 1 is a table index.
bool op_of_function(const Cell& c) {
  uint32_t under = (c.header >> 16) & 0xFF;
  return under == static_cast<uint32_t>(Type::function) ||
         under == static_cast<uint32_t>(Type::routine);
}

struct Row {
  Type type;
  Layout layout;
};

constexpr Layout words(Holds w1, Holds w2, Holds w3) { return Layout{{w1, w2, w3}}; }
constexpr Layout guarded(Holds w1, Holds w2, Holds w3, int8_t which, Guard g) {
  return Layout{{w1, w2, w3}, which, g};
}

// Types not listed hold no node; context! and event!, whose marking hangs on their own header
// flags, register their layouts when they install (values/objects/context.cpp,
// values/ports/event.cpp). The word family and issue! are bound to a context (word 1), a
// node like any other: marking also brings it up to date when nodes move. A symbol! (an entry of
// the symbol table) keeps its spelling as a string! (word 2, made on demand) and in UTF-8 (word 3).
// Character series keep the node of their conversion buffer in word 3.
constexpr Row rows[] = {
    {Type::block, words(no, cells, no)},       {Type::paren, words(no, cells, no)},
    {Type::path, words(no, cells, no)},        {Type::lit_path, words(no, cells, no)},
    {Type::set_path, words(no, cells, no)},    {Type::get_path, words(no, cells, no)},
    {Type::string, words(no, series, series)}, {Type::file, words(no, series, series)},
    {Type::url, words(no, series, series)},    {Type::tag, words(no, series, series)},
    {Type::email, words(no, series, series)},  {Type::ref, words(no, series, series)},
    {Type::binary, words(no, series, no)},     {Type::bitset, words(no, series, no)},
    {Type::vector, words(no, series, no)},     {Type::symbol, words(no, series, series)},
    {Type::word, words(cells, no, no)},        {Type::set_word, words(cells, no, no)},
    {Type::lit_word, words(cells, no, no)},    {Type::get_word, words(cells, no, no)},
    {Type::refinement, words(cells, no, no)},  {Type::issue, words(cells, no, no)},
    {Type::native, words(no, cells, cells)},   {Type::action, words(no, cells, cells)},
    {Type::op, guarded(cells, cells, cells, 0, op_of_function)},
    {Type::function, words(cells, cells, cells)}, {Type::routine, words(cells, cells, cells)},
    {Type::object, words(cells, no, cells)},   {Type::error, words(cells, no, cells)},
    {Type::port, words(cells, no, cells)},     {Type::hash, words(no, cells, table)},
    {Type::map, words(no, cells, table)},      {Type::handle, words(no, no, handle)},
    {Type::image, words(no, series, no)},
};

// Indexed by the type byte of the header, so a byte that names no type marks nothing.
constexpr std::array<Layout, 256> built_in() {
  std::array<Layout, 256> t{};
  for (const Row& r : rows) t[static_cast<uint8_t>(r.type)] = r.layout;
  return t;
}
std::array<Layout, 256> table_ = built_in();  // constant-initialised: ready before any code runs

}  // namespace

void reset_layouts() { table_ = built_in(); }
const Layout& layout(Type t) { return table_[static_cast<uint8_t>(t)]; }
void set_layout(Type t, const Layout& l) { table_[static_cast<uint8_t>(t)] = l; }
void set_mark_hook(Type t, MarkHook hook) { table_[static_cast<uint8_t>(t)].hook = hook; }

}  // namespace vyn::gc
