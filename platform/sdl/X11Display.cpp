#include "platform/sdl/X11Display.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace scenesaver::platform {

X11DisplayConnection::X11DisplayConnection() : display_(XOpenDisplay(nullptr)) {
  if (display_ != nullptr) return;
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == 0) {
    problem_ = "no X display to show on (DISPLAY is not set)";
  } else {
    problem_ = std::string("cannot open the X display \"") + name + "\"";
  }
}

X11DisplayConnection::~X11DisplayConnection() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

}  // namespace scenesaver::platform
