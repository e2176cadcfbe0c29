// The desktop presentation window on SDL2: a factory, so no SDL header leaks to callers.
#pragma once

#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform {

struct SdlShowOptions {
  // When set, every repaint of Picture1 appends a line "START END" to this file: the SDL ticks
  // when the repaint began and when it was presented (for measuring scene-change timing).
  std::string present_log;
};

// The window appears with ShowWindow. nullptr when there is no display to show it on.
std::unique_ptr<ShowHost> MakeSdlShowHost(SdlShowOptions options);
std::unique_ptr<ShowHost> MakeSdlShowHost();

}  // namespace platform
