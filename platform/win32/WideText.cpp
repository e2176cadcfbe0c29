#include "platform/win32/WideText.h"

#include <climits>

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

std::wstring WideFromCodePage(unsigned code_page, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), needed);
  return wide;
}

std::string CodePageFromWide(unsigned code_page, std::wstring_view wide, bool exact) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int length = static_cast<int>(wide.size());
  // UTF-8 takes no substitution flag; every other code page reports a lossy character.
  BOOL lossy = FALSE;
  BOOL* lossy_out = exact && code_page != CP_UTF8 ? &lossy : nullptr;
  const int needed =
      ::WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, nullptr, lossy_out);
  if (needed <= 0 || lossy) return {};
  std::string text(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(code_page, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
  return text;
}

}  // namespace scenesaver::platform::win32
