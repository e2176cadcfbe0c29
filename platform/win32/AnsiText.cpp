#include "platform/win32/AnsiText.h"

#include <climits>

#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

std::wstring WideFromAnsi(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
  return wide;
}

std::string AnsiFromWide(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int length = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int needed =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, &lossy);
  if (needed <= 0 || lossy) return {};
  std::string text(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
  return text;
}

std::string AnsiPathFromWide(const std::wstring& path) {
  std::string exact = AnsiFromWide(path);
  if (!exact.empty()) return exact;
  std::wstring short_path(MAX_PATH, L'\0');
  const DWORD got = ::GetShortPathNameW(path.c_str(), short_path.data(), MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return {};
  short_path.resize(got);
  return AnsiFromWide(short_path);
}

}  // namespace platform::win32
