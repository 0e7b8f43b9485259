// values/registry_init.cpp: registers every datatype in start-up order.
#include "values/installers.hpp"
#include "values/registry.hpp"

namespace vyn::registry {
namespace {

struct Installer {
  Type type;
  void (*install)();
};

// Datatypes with entries of their own; every other one registers bare, with its parent.
constexpr Installer installers[] = {
    {Type::datatype, datatype::install}, {Type::unset, unset::install},
    {Type::none_, none::install},        {Type::logic, logic::install},
    {Type::series, series::install},     {Type::block, block::install},
    {Type::paren, paren::install},       {Type::path, path::install},
    {Type::lit_path, path::install_lit_path}, {Type::set_path, path::install_set_path},
    {Type::get_path, path::install_get_path},
    {Type::symbol, symbol::install},     {Type::word, word::install},
    {Type::lit_word, word::install_lit_word}, {Type::set_word, word::install_set_word},
    {Type::get_word, word::install_get_word}, {Type::refinement, word::install_refinement},
    {Type::native, native::install},     {Type::action, native::install_action},
    {Type::op, native::install_op},      {Type::typeset, typeset::install},
    {Type::function, function::install}, {Type::routine, function::install_routine},
    {Type::object, object::install},     {Type::error, error::install},
    {Type::context, context::install},
    {Type::port, port::install},
    {Type::integer, integer::install},   {Type::float_, float_::install},
    {Type::char_, char_::install},       {Type::string, string::install},
    {Type::url, string::install_url},    {Type::file, string::install_file},
    {Type::tag, string::install_tag},    {Type::email, string::install_email},
    {Type::ref, string::install_ref},
    {Type::map, map::install},           {Type::binary, binary::install},
    {Type::bitset, bitset::install},     {Type::hash, hash_block::install},
    {Type::pair, pair::install},         {Type::issue, issue::install},
    {Type::tuple, tuple::install},       {Type::percent, percent::install},
    {Type::triple, triple::install},
    {Type::time, time_::install},        {Type::money, money::install},        {Type::date, date::install},
    {Type::image, image::install},
    {Type::point2D, point::install_2D}, {Type::point3D, point::install_3D},
    {Type::vector, vector::install},     {Type::handle, handle::install},
    {Type::event, event::install},
};

constexpr Type start_up_order[] = {
#define VYN_TYPE(id, name, word, parent) Type::name,
#include "core/types.def"
#undef VYN_TYPE
};

}  // namespace

void init() {
  for (Type t : start_up_order) {
    bool done = false;
    for (const Installer& i : installers) {
      if (i.type == t) {
        i.install();
        done = true;
      }
    }
    if (!done) define(t, {});
  }
}

}  // namespace vyn::registry
