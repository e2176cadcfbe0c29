// The screen-saver password as the system keeps it: the per-user "ScreenSaveUsePassword"
// value, and the check by the system's password control-panel library.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/ShowHost.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

inline constexpr const char* kDesktopKey = "Control Panel\\desktop";
inline constexpr const char* kUsePasswordValue = "ScreenSaveUsePassword";

// The value `value_name` of `root`\`key_name`, read as at most 4 bytes into a 32-bit number
// (little-endian, missing bytes zero) whatever its registry type; nullopt when the key or the
// value cannot be read or the value is longer than 4 bytes.
std::optional<std::uint32_t> ReadRegistryNumber(HKEY root, const char* key_name,
                                                const char* value_name);

// Asks for the password with VerifyScreenSavePwd of "password.cpl", over `owner`.
PasswordVerdict VerifyScreenSavePassword(HWND owner);

}  // namespace scenesaver::platform::win32
