// The desktop presentation window on SDL2: a factory, so no SDL header leaks to callers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ShowHost.h"

namespace scenesaver::platform {

enum class SdlWindowMode {
  // The saver's own show: the primary display, the others covered black; input ends it.
  kFullScreen,
  // An ordinary resizable window for trying a saver out; closing it ends the show.
  kWindowed,
  // Inside a window another program owns (XScreenSaver's), which also owns input, cursor and
  // password; only a termination signal or the window's destruction ends the show.
  kForeign,
};

struct SdlShowOptions {
  SdlWindowMode mode = SdlWindowMode::kFullScreen;
  // The X window drawn into in kForeign mode.
  std::uint64_t foreign_window = 0;
  // When set, every repaint of Picture1 appends a line "START END" to this file: the show's
  // clock, in milliseconds with three decimals, when the repaint began and when it had been
  // presented (for measuring scene-change and transition timing). The ticks the show reads are
  // these times rounded down.
  std::string present_log;
};

// The window appears with ShowWindow. The reason when there is no display to show it on.
base::Result<std::unique_ptr<ShowHost>> MakeSdlShowHost(SdlShowOptions options);
base::Result<std::unique_ptr<ShowHost>> MakeSdlShowHost();

}  // namespace scenesaver::platform
