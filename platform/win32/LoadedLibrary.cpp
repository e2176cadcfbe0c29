#include "platform/win32/LoadedLibrary.h"

#include <string>

namespace scenesaver::platform::win32 {

LoadedLibrary LoadedLibrary::FromSystemFolder(const wchar_t* file_name) {
  // A full path rather than LOAD_LIBRARY_SEARCH_SYSTEM32, which older systems do not know.
  std::wstring path(MAX_PATH, L'\0');
  const UINT length = ::GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (length == 0 || length >= path.size()) return LoadedLibrary(nullptr);
  path.resize(length);
  path += L'\\';
  path += file_name;
  return LoadedLibrary(::LoadLibraryW(path.c_str()));
}

}  // namespace scenesaver::platform::win32
