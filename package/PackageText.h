// Conversion of package texts between the ANSI code page they are stored in (CP932) and UTF-8,
// for file names and display. Comparisons use the raw bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "package/PackageRecord.h"

namespace scenesaver::package {

// CP932 bytes to UTF-8. Invalid or incomplete sequences become U+FFFD; never fails.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to CP932 bytes; nothing when the input is not valid UTF-8 or holds a character that
// CP932 cannot represent.
std::optional<AnsiString> Utf8ToAnsi(std::string_view utf8);

}  // namespace scenesaver::package
