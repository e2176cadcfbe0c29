#include "platform/win32/MessageBoxes.h"

#include "platform/win32/WideText.h"

namespace scenesaver::platform::win32 {

void ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, MessageIcon icon) {
  const UINT style = MB_OK | MB_SETFOREGROUND |
                     (icon == MessageIcon::kWarning ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
  ::MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), style);
}

}  // namespace scenesaver::platform::win32
