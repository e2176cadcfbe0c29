// The screen-saver password change of the Windows 9x line: PwdChangePasswordA in "mpr.dll",
// looked up at run time because only that line has it.
#pragma once

#include <string_view>

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

// What the user is told where the system itself locks the resumed desktop and so owns the
// password (every system of the NT line).
inline constexpr std::string_view kSystemManagesPassword =
    "スクリーンセーバーのパスワードはシステムが管理しています";
inline constexpr std::string_view kSystemManagesPasswordCaption = "スクリーンセーバー";

using PwdChangePasswordAFunction = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);

// True on the Windows 9x line (95, 98, Me).
bool IsWindows9xLine();

// Calls PwdChangePasswordA(key_name, parent, 0, 0) and returns true where the service exists;
// returns false, having called nothing, where it does not. The NT line never counts as having
// it: its "mpr.dll" may still export the name, but only as a stub that does not reach the
// system's password (one that raises an exception under some emulations).
bool CallPwdChangePasswordA(std::string_view key_name, HWND parent);

// CallPwdChangePasswordA, or where the service does not exist the message kSystemManagesPassword,
// owned by `parent` when that is a window.
void ChangeScreenSaverPassword(std::string_view key_name, HWND parent);

}  // namespace scenesaver::platform::win32
