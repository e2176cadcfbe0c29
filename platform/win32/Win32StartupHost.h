// What the start-up needs on Windows: message boxes, the foreground window, the 9x password
// change (or word that the system owns the password), the settings dialog, and the presentation
// window, brought up only when first used.
#pragma once

#include <memory>

#include "platform/StartupHost.h"

namespace scenesaver::platform::win32 {

class Win32StartupHost final : public StartupHost {
 public:
  Win32StartupHost();
  ~Win32StartupHost() override;
  Win32StartupHost(const Win32StartupHost&) = delete;
  Win32StartupHost& operator=(const Win32StartupHost&) = delete;

  // MessageBoxW, owned by this thread's active window (the settings dialog while it is up).
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  // The HWND of GetForegroundWindow as a number, 0 when there is none.
  std::int64_t GetForegroundWindow() override;
  // PwdChangePasswordA(key_name, parent_window, 0, 0) of "mpr.dll" on the 9x line; elsewhere a
  // message that the system manages the screen-saver password.
  void PwdChangePasswordA(std::string_view key_name, std::int64_t parent_window) override;
  // The settings dialog; the reason when the system cannot create it.
  base::Result<void> ShowSettingsModal(SettingsForm& form) override;
  base::Result<ShowHost*> Show() override;
  // The show inside the window `parent_window` names; the reason when it is not a window.
  base::Result<ShowHost*> Preview(std::int64_t parent_window) override;
  void ReportFailure(std::string_view text) override;

 private:
  std::unique_ptr<ShowHost> show_;
};

}  // namespace scenesaver::platform::win32
