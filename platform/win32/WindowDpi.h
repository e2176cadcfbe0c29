// The dots per inch of the monitor a window is on, as a per-monitor DPI-aware program sees them.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

// WM_DPICHANGED, which older SDK headers lack.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

// GetDpiForWindow where the system has it (Windows 10 1607 and later); elsewhere the screen's
// LOGPIXELSY, the one DPI of the whole desktop. 96 when neither answers.
int WindowDpi(HWND window);

// Tells the system (Windows 10 1703 and later) that the dialog and its present controls place
// and size themselves on a DPI change, so that its own rescaling does not come on top.
void KeepDialogDpiScalingOurOwn(HWND dialog);

}  // namespace scenesaver::platform::win32
