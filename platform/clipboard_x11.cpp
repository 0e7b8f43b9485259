// platform/clipboard_x11.cpp: emptying X11's clipboard. Its programs can only own the selection,
// so emptying it is done here: the selection is given to nobody, and its owner is told to let go.
#include <cstdlib>

#include "platform/clipboard.hpp"
#include "platform/dynlib.hpp"

namespace vyn::clipboard {
namespace {

os::DynLib x11("libX11.so.6");

// libX11's functions as it declares them, with Display* opaque and its XIDs as unsigned long.
using OpenDisplay = void* (*)(const char*);
using InternAtom = unsigned long (*)(void*, const char*, int);
using SetSelectionOwner = int (*)(void*, unsigned long, unsigned long, unsigned long);
using CloseDisplay = int (*)(void*);

}  // namespace

bool x11_release() {
  auto open = reinterpret_cast<OpenDisplay>(x11.symbol("XOpenDisplay"));
  auto intern = reinterpret_cast<InternAtom>(x11.symbol("XInternAtom"));
  auto set_owner = reinterpret_cast<SetSelectionOwner>(x11.symbol("XSetSelectionOwner"));
  auto close = reinterpret_cast<CloseDisplay>(x11.symbol("XCloseDisplay"));
  if (!open || !intern || !set_owner || !close) return false;
  void* display = open(nullptr);
  if (!display) return false;
  unsigned long clipboard = intern(display, "CLIPBOARD", 0);
  set_owner(display, clipboard, 0 /* None */, 0 /* CurrentTime */);
  close(display);  // sends the request
  return true;
}

}  // namespace vyn::clipboard
