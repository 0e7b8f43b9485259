// values/installers.hpp: the registration routine of each datatype that has action entries.
#pragma once

namespace vyn {
namespace datatype { void install(); }
namespace unset { void install(); }
namespace none { void install(); }
namespace logic { void install(); }
namespace series { void install(); }
namespace block { void install(); }
}  // namespace vyn
