// The system's own words for a Windows error code, for the reasons the backend returns.
#pragma once

#include <string>

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

// FormatMessageW's text for `error` in UTF-8, without the trailing line break; "error N" when
// the system has none.
std::string SystemMessage(DWORD error);

}  // namespace scenesaver::platform::win32
