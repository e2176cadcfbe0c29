// Text conversions at the edge of the Windows API: the core keeps UTF-8 (its own texts) and
// CP932 bytes (names from the package); the wide ("W") calls take UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace platform::win32
