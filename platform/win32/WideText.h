// Text conversions at the edge of the Windows API: the core keeps UTF-8 (its own texts) and
// CP932 bytes (names from the package); the wide ("W") calls take UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace scenesaver::platform::win32 {

// Bytes of `code_page` to UTF-16; empty for empty or unconvertible text.
std::wstring WideFromCodePage(unsigned code_page, std::string_view text);
// UTF-16 to bytes of `code_page`; empty for empty text, or when `exact` is asked for and a
// character has no spelling in the code page.
std::string CodePageFromWide(unsigned code_page, std::wstring_view wide, bool exact);

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
inline std::wstring WideFromUtf8(std::string_view utf8) { return WideFromCodePage(65001, utf8); }
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
inline std::string Utf8FromWide(std::wstring_view wide) {
  return CodePageFromWide(65001, wide, false);
}

}  // namespace scenesaver::platform::win32
