// Show() apart from the rest of the host: the one place where the start-up reaches the
// presentation window's services.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "platform/win32/Win32ShowHost.h"
#include "platform/win32/Win32StartupHost.h"

namespace scenesaver::platform::win32 {

base::Result<ShowHost*> Win32StartupHost::Show() {
  if (!show_) {
    // MakeWin32ShowHost throws when the window cannot be made; the reason stays here.
    try {
      show_ = MakeWin32ShowHost();
    } catch (const std::exception& failure) {
      return base::Error{failure.what()};
    }
  }
  return show_.get();
}

base::Result<ShowHost*> Win32StartupHost::Preview(std::int64_t parent_window) {
  // Window handles are 32-bit values, sign-extended in a 64-bit process.
  const HWND parent = reinterpret_cast<HWND>(static_cast<std::intptr_t>(parent_window));
  if (parent == nullptr || !::IsWindow(parent)) {
    return base::Error{"no window " + std::to_string(parent_window) + " to draw the preview in"};
  }
  if (!show_) {
    try {
      show_ = MakeWin32PreviewHost(parent);
    } catch (const std::exception& failure) {
      return base::Error{failure.what()};
    }
  }
  return show_.get();
}

// A program with windows has no console; the line reaches standard error where one was given.
void Win32StartupHost::ReportFailure(std::string_view text) {
  std::fprintf(stderr, "scenesaver: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace scenesaver::platform::win32
