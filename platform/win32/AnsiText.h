// The ANSI code page at the edge of the "A" functions: names from the package and the paths
// built from them are bytes of that code page, as mciSendStringA and PlaySoundA read them.
#pragma once

#include <string>
#include <string_view>

namespace scenesaver::platform::win32 {

// ANSI bytes to UTF-16; empty for empty or unconvertible text.
std::wstring WideFromAnsi(std::string_view text);
// UTF-16 to ANSI bytes; empty when a character has no exact ANSI spelling.
std::string AnsiFromWide(std::wstring_view wide);
// A path in ANSI bytes: exact when possible, else the file system's short name of the path
// (which is plain ASCII); empty when neither exists.
std::string AnsiPathFromWide(const std::wstring& path);

}  // namespace scenesaver::platform::win32
