// values/installers.hpp: the registration routine of each datatype that has action entries.
#pragma once

namespace vyn {
namespace datatype {
void install();
void make_type_words();  // once the global context exists
}  // namespace datatype
namespace unset { void install(); }
namespace none { void install(); }
namespace logic { void install(); }
namespace series { void install(); }
namespace block { void install(); }
namespace paren { void install(); }
namespace path {
void install();
void install_lit_path();
void install_set_path();
void install_get_path();
}  // namespace path
namespace symbol { void install(); }
namespace native {
void install();
void install_action();
void install_op();
}  // namespace native
namespace typeset { void install(); }
namespace function {
void install();
void install_routine();
}  // namespace function
namespace object { void install(); }
namespace context { void install(); }
namespace port { void install(); }
namespace map { void install(); }
namespace bitset { void install(); }
namespace hash_block { void install(); }
namespace error { void install(); }
namespace integer { void install(); }
namespace pair { void install(); }
namespace point {
void install_2D();
void install_3D();
}  // namespace point
namespace vector { void install(); }
namespace handle { void install(); }
namespace tuple { void install(); }
namespace percent { void install(); }
namespace triple { void install(); }
namespace float_ { void install(); }
namespace char_ { void install(); }
namespace binary { void install(); }
namespace time_ { void install(); }
namespace date { void install(); }
namespace string {
void install();
void install_url();
void install_file();
void install_tag();
void install_email();
void install_ref();
}  // namespace string
namespace word {
void install();
void install_lit_word();
void install_set_word();
void install_get_word();
void install_refinement();
}  // namespace word
namespace issue { void install(); }
namespace money { void install(); }
namespace image { void install(); }
namespace event { void install(); }
}  // namespace vyn
