// MessageBoxW with the core's UTF-8 texts (Japanese included).
#pragma once

#include <string_view>

#include "platform/ShowHost.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

void ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, MessageIcon icon);

}  // namespace scenesaver::platform::win32
