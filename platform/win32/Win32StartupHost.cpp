#include "platform/win32/Win32StartupHost.h"

#include <cstdint>

#include "platform/win32/MessageBoxes.h"
#include "platform/win32/PasswordChange.h"
#include "platform/win32/Win32SettingsDialog.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

namespace {

// Window handles are 32-bit values, sign-extended in a 64-bit process; the start-up passes
// them on as plain numbers.
HWND WindowFromNumber(std::int64_t number) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(number));
}

}  // namespace

Win32StartupHost::Win32StartupHost() = default;
Win32StartupHost::~Win32StartupHost() = default;

void Win32StartupHost::MessageBox(std::string_view text, std::string_view caption,
                                  MessageIcon icon) {
  ShowMessageBox(::GetActiveWindow(), text, caption, icon);
}

std::int64_t Win32StartupHost::GetForegroundWindow() {
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(::GetForegroundWindow()));
}

void Win32StartupHost::PwdChangePasswordA(std::string_view key_name, std::int64_t parent_window) {
  ChangeScreenSaverPassword(key_name, WindowFromNumber(parent_window));
}

base::Result<void> Win32StartupHost::ShowSettingsModal(SettingsForm& form) {
  return ShowSettingsDialog(form);
}

}  // namespace scenesaver::platform::win32
