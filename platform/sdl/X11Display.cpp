#include "platform/sdl/X11Display.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

namespace scenesaver::platform {

namespace {

struct DisplayCloser {
  void operator()(::Display* display) const { XCloseDisplay(display); }
};

}  // namespace

std::optional<std::string> X11DisplayProblem() {
  const std::unique_ptr<::Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (display) return std::nullopt;
  return UnopenedX11DisplayReason();
}

std::string UnopenedX11DisplayReason() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == 0) return "no X display to show on (DISPLAY is not set)";
  return std::string("cannot open the X display \"") + name + "\"";
}

}  // namespace scenesaver::platform
