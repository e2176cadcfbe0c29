// The presentation window on Win32: a borderless pop-up over the primary monitor, painted with
// GDI from the core's surfaces, with winmm for sound and the registry for the password setting.
#pragma once

#include <memory>

#include "platform/ShowHost.h"

namespace scenesaver::platform::win32 {

// The window is made at once, hidden, and appears with ShowWindow. Throws std::runtime_error
// when it cannot be made.
std::unique_ptr<ShowHost> MakeWin32ShowHost();

}  // namespace scenesaver::platform::win32
