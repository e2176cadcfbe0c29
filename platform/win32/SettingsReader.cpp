#include "platform/SettingsReader.h"

#include <array>

#include "platform/win32/AnsiText.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform {

StoredSettings ReadSettingsFile(const std::string& path) {
  const std::wstring wide = win32::WideFromAnsi(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (wide.empty() || attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (wide.empty() || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return {-1, -1};
    }
    return {};
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {-1, -1};  // only a file counts
  const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::array<unsigned char, 4> bytes{};
  DWORD got = 0;
  const BOOL read = ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  ::CloseHandle(file);
  if (!read) return {};
  return DecodeSettings(bytes.data(), got);
}

bool SettingsFilePresent(const std::string& path) {
  const std::wstring wide = win32::WideFromAnsi(path);
  const DWORD attributes =
      wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// On Windows the settings stay beside the saver, as the system's screen-saver settings expect.
std::string UserSettingsPath(const std::string& /*name*/) { return {}; }

bool CanWriteBeside(const std::string& /*path*/) { return true; }

base::Result<void> MakeUserSettingsFolder() {
  return base::Error{"no per-user settings folder on this platform"};
}

}  // namespace scenesaver::platform
