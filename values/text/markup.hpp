// values/text/markup.hpp: tag!, email! and ref!, the text types that take string!'s series entries
// and add their own literal text (email! also its user and host path fields).
#pragma once

#include <span>

#include "values/action_sigs.hpp"

namespace vyn::markup {

// Each registers its type with the string! entries named in inherited and its own.
void install_tag(std::span<const Action> inherited);
void install_email(std::span<const Action> inherited);
void install_ref(std::span<const Action> inherited);

}  // namespace vyn::markup
