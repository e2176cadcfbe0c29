#include "platform/win32/PrivateFolder.h"

#include "platform/win32/AnsiText.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform {

std::optional<OwnedFolder> OpenPrivateFolder() {
  std::wstring wide(MAX_PATH + 1, L'\0');
  const DWORD length = ::GetTempPathW(static_cast<DWORD>(wide.size()), wide.data());
  if (length == 0 || length > wide.size()) return std::nullopt;
  wide.resize(length);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::nullopt;
  }
  std::string path = win32::AnsiPathFromWide(wide);
  if (path.empty()) return std::nullopt;
  if (path.back() != '\\') path += '\\';
  return OwnedFolder{std::move(path)};
}

}  // namespace scenesaver::platform
