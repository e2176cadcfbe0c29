// What the start-up needs besides files: messages, the dialogs and the presentation's host.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/Result.h"
#include "platform/Messages.h"
#include "platform/SettingsForm.h"
#include "platform/ShowHost.h"

namespace scenesaver::platform {

class StartupHost : public Messages {
 public:
  // GetForegroundWindow: an X11 window id, 0 when there is none.
  virtual std::int64_t GetForegroundWindow() = 0;
  // PwdChangePasswordA: the password-change dialog, transient for `parent_window` if it exists.
  virtual void PwdChangePasswordA(std::string_view key_name, std::int64_t parent_window) = 0;
  // Shows the settings dialog modally; returns when it hides or is closed. The reason when the
  // dialog cannot be shown at all.
  virtual base::Result<void> ShowSettingsModal(SettingsForm& form) = 0;
  // The presentation window's services, created on first use; the reason when there is no
  // display or window to show on.
  virtual base::Result<ShowHost*> Show() = 0;
  // The show's services drawing inside `parent_window` (the preview of the system's screen-saver
  // settings): no input, cursor, password, music or sounds, ended by the parent going away or
  // closing the drawing window. The reason when the platform has no such preview or the window
  // is not there.
  virtual base::Result<ShowHost*> Preview(std::int64_t /*parent_window*/) {
    return base::Error{"no preview on this platform"};
  }
  // The presentation's screens covered before the show reads its package, when the password is
  // in use (PresentationWindow::CoverScreens); true when they are. By default nothing is.
  virtual bool CoverScreensForShow() { return false; }
  // Tells the user why the program stops, in one line where a command line's user sees it
  // (standard error), without a window.
  virtual void ReportFailure(std::string_view text) = 0;
};

}  // namespace scenesaver::platform
