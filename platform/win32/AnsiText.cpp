#include "platform/win32/AnsiText.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

std::wstring WideFromAnsi(std::string_view text) { return WideFromCodePage(CP_ACP, text); }

std::string AnsiFromWide(std::wstring_view wide) { return CodePageFromWide(CP_ACP, wide, true); }

std::string AnsiPathFromWide(const std::wstring& path) {
  std::string exact = AnsiFromWide(path);
  if (!exact.empty()) return exact;
  std::wstring short_path(MAX_PATH, L'\0');
  const DWORD got = ::GetShortPathNameW(path.c_str(), short_path.data(), MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return {};
  short_path.resize(got);
  return AnsiFromWide(short_path);
}

}  // namespace scenesaver::platform::win32
