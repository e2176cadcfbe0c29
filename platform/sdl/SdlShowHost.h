// The desktop presentation window on SDL2: a factory, so no SDL header leaks to callers.
#pragma once

#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform {

struct SdlShowOptions {
  // When set, the SDL tick of every repaint of Picture1 is appended to this file, one a line
  // (for measuring how late scene changes come).
  std::string present_log;
};

// The window appears with ShowWindow. nullptr when there is no display to show it on.
std::unique_ptr<ShowHost> MakeSdlShowHost(SdlShowOptions options);
std::unique_ptr<ShowHost> MakeSdlShowHost();

}  // namespace platform
