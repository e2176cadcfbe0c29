// Show() apart from the rest of the host: the one place where the start-up reaches the
// presentation window's services.
#include <stdexcept>

#include "platform/win32/Win32ShowHost.h"
#include "platform/win32/Win32StartupHost.h"

namespace platform::win32 {

ShowHost& Win32StartupHost::Show() {
  if (!show_) show_ = MakeWin32ShowHost();
  if (!show_) throw std::runtime_error("the presentation window cannot be created");
  return *show_;
}

}  // namespace platform::win32
