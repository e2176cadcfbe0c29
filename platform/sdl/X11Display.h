// Whether the X display the desktop backend draws on can be used: the player and scenepack's
// play say so on standard error and end, rather than run with nothing on the screen.
#pragma once

#include <optional>
#include <string>

namespace scenesaver::platform {

// Why the X display that DISPLAY names cannot be opened, in words for standard error; nullopt
// when it opens.
std::optional<std::string> X11DisplayProblem();

// The same reason, for when opening the display has just failed.
std::string UnopenedX11DisplayReason();

}  // namespace scenesaver::platform
