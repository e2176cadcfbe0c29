// scenesaver for Windows: plays the package of the ".scr" file named like this program, beside
// it. The command line after the program's name is the argument text as the system passes it.
#include <string>

#include "platform/win32/AnsiText.h"
#include "platform/win32/Win32StartupHost.h"
#include "platform/win32/WindowsApi.h"
#include "startup/Startup.h"

namespace {

// The running program's file, in the ANSI code page; empty when it cannot be found.
std::string RunningProgramPath() {
  std::wstring path(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  return scenesaver::platform::win32::AnsiPathFromWide(path);
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR command_line,
                   int /*show*/) {
  scenesaver::platform::win32::Win32StartupHost host;
  return scenesaver::startup::Main(command_line == nullptr ? "" : command_line, host, RunningProgramPath());
}
