// platform/user_folder.hpp: where the program keeps its data for this user (the console's
// settings, the download cache).
#pragma once

#include <string>

namespace vyn::os {

// The folder ".vyn/" in the user's home: $HOME, else the home the password database gives. With
// no usable home, a folder of this user's own under /tmp (mode 0700), refused when someone else
// owns it or it is a link. Ends with "/"; empty, with the reason in why, when there is none.
std::string user_data_folder(std::string& why);

}  // namespace vyn::os
