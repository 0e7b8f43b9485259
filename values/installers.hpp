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
namespace symbol { void install(); }
namespace native {
void install();
void install_action();
void install_op();
}  // namespace native
namespace typeset { void install(); }
namespace word {
void install();
void install_lit_word();
void install_set_word();
void install_get_word();
void install_refinement();
}  // namespace word
}  // namespace vyn
