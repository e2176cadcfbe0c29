// The presentation window on Win32: a borderless pop-up over the primary monitor, black covers
// over the others, painted with GDI from the core's surfaces, with winmm for sound and the
// registry for the password setting. Or the preview: the show, silent, in a child window of the
// system's screen-saver settings.
#pragma once

#include <memory>

#include "platform/ShowHost.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

// The window is made at once, hidden, and appears with ShowWindow. Throws std::runtime_error
// when it cannot be made.
std::unique_ptr<ShowHost> MakeWin32ShowHost();

// The preview inside `parent`: a child window filling its client area. Input, cursor, music,
// sounds and password are left alone; the show ends when `parent` goes away or the child is
// sent WM_CLOSE. Throws std::runtime_error when `parent` is not a window.
std::unique_ptr<ShowHost> MakeWin32PreviewHost(HWND parent);

}  // namespace scenesaver::platform::win32
