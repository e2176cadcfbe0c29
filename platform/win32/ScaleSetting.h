// How the show fits the screen on Windows: the per-user registry value
// HKEY_CURRENT_USER\Software\scenesaver "Scale", a text "auto", "1" or "fill".
#pragma once

#include "platform/PresentScale.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

inline constexpr const wchar_t* kScaleKey = L"Software\\scenesaver";
inline constexpr const wchar_t* kScaleValue = L"Scale";

// The value under `root`\`key_name`; kAuto when it is missing, not a text, or none of the three.
ScaleMode ReadScaleSetting(HKEY root = HKEY_CURRENT_USER, const wchar_t* key_name = kScaleKey);

}  // namespace scenesaver::platform::win32
