// Show() apart from the rest of the host: the one place where the start-up reaches the
// presentation window's services.
#include <stdexcept>

#include "platform/win32/Win32StartupHost.h"

// Until the presentation window joins the Windows backend, Show() reports it missing, so that the
// player still links and its dialogs work.
#if __has_include("platform/win32/Win32ShowHost.h")
#include "platform/win32/Win32ShowHost.h"
#define SCENESAVER_HAS_WIN32_SHOW_HOST 1
#endif

namespace platform::win32 {

ShowHost& Win32StartupHost::Show() {
#ifdef SCENESAVER_HAS_WIN32_SHOW_HOST
  if (!show_) show_ = MakeWin32ShowHost();
#endif
  if (!show_) throw std::runtime_error("the presentation window cannot be created");
  return *show_;
}

}  // namespace platform::win32
