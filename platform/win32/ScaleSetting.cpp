#include "platform/win32/ScaleSetting.h"

#include <string>

#include "platform/win32/WideText.h"

namespace scenesaver::platform::win32 {

ScaleMode ReadScaleSetting(HKEY root, const wchar_t* key_name) {
  wchar_t text[16] = {};
  DWORD size = sizeof text;
  // RRF_RT_REG_SZ: only a text is read, terminated for us; a longer value fails.
  if (::RegGetValueW(root, key_name, kScaleValue, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return ScaleMode::kAuto;
  }
  return ParseScaleMode(Utf8FromWide(text)).value_or(ScaleMode::kAuto);
}

}  // namespace scenesaver::platform::win32
