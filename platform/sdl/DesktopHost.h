// What the start-up needs on a desktop: GTK 3 dialogs, the X11 active window, and the SDL2
// presentation window, each brought up only when first used.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/StartupHost.h"

namespace scenesaver::platform {

class DesktopHost final : public StartupHost {
 public:
  DesktopHost();
  ~DesktopHost() override;
  DesktopHost(const DesktopHost&) = delete;
  DesktopHost& operator=(const DesktopHost&) = delete;

  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  // The window _NET_ACTIVE_WINDOW names, 0 when there is none (no display, no window manager).
  std::int64_t GetForegroundWindow() override;
  void PwdChangePasswordA(std::string_view key_name, std::int64_t parent_window) override;
  base::Result<void> ShowSettingsModal(SettingsForm& form) override;
  base::Result<ShowHost*> Show() override;
  bool CoverScreensForShow() override;
  void ReportFailure(std::string_view text) override;

 private:
  std::unique_ptr<ShowHost> show_;
  // Why the presentation could not be made, once it was tried: it is not tried again.
  std::optional<std::string> show_failure_;
};

}  // namespace scenesaver::platform
