// platform/clipboard.hpp: the desktop's clipboard: text, file lists and encoded images moved
// through the Wayland or X11 clipboard programs, and text set through the terminal (OSC 52) when
// no display is there.
#pragma once

#include <string>
#include <vector>

namespace vyn::clipboard {

struct Content {
  enum class Found { failed, empty, text, files, image } found = Found::failed;
  std::string data;                // text: UTF-8; image: the encoded file's bytes
  std::vector<std::string> paths;  // files: local paths
};

// What the clipboard holds: failed when no clipboard can be reached (a terminal alone cannot be
// read) or its owner does not answer in time; empty when nobody owns it or it holds nothing
// usable.
Content read();

// Each answers whether the clipboard took the content. Text that no display takes goes to the
// terminal; file lists and images need a display.
bool write_text(const std::string& utf8);
bool write_files(const std::vector<std::string>& paths);
bool write_image(const std::string& png);
// Empties the clipboard.
bool clear();

// Gives up X11's clipboard (libX11, loaded on first use); false when the display cannot be opened.
bool x11_release();

}  // namespace vyn::clipboard
