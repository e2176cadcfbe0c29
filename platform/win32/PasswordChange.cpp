#include "platform/win32/PasswordChange.h"

#include <string>

#include "platform/win32/LoadedLibrary.h"
#include "platform/win32/MessageBoxes.h"

namespace scenesaver::platform::win32 {

bool IsWindows9xLine() {
  // The high bit of GetVersion is set on the 9x line only; no newer call answers this on it.
  return (::GetVersion() & 0x80000000u) != 0;
}

bool CallPwdChangePasswordA(std::string_view key_name, HWND parent) {
  if (!IsWindows9xLine()) return false;
  const LoadedLibrary mpr = LoadedLibrary::FromSystemFolder(L"mpr.dll");
  const auto change = mpr.Find<PwdChangePasswordAFunction>("PwdChangePasswordA");
  if (change == nullptr) return false;
  const std::string key(key_name);
  change(key.c_str(), parent, 0, nullptr);  // the service reports to the user itself
  return true;
}

void ChangeScreenSaverPassword(std::string_view key_name, HWND parent) {
  if (CallPwdChangePasswordA(key_name, parent)) return;
  // A number from the command line need not name a window.
  const HWND owner = parent != nullptr && ::IsWindow(parent) ? parent : nullptr;
  ShowMessageBox(owner, kSystemManagesPassword, kSystemManagesPasswordCaption,
                 MessageIcon::kInformation);
}

}  // namespace scenesaver::platform::win32
