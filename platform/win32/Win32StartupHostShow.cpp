// Show() apart from the rest of the host: the one place where the start-up reaches the
// presentation window's services.
#include "platform/win32/Win32ShowHost.h"
#include "platform/win32/Win32StartupHost.h"

namespace scenesaver::platform::win32 {

ShowHost& Win32StartupHost::Show() {
  // MakeWin32ShowHost throws when the window cannot be made.
  if (!show_) show_ = MakeWin32ShowHost();
  return *show_;
}

}  // namespace scenesaver::platform::win32
