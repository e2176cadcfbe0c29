// The package's text conversion for display on Windows, through the system's own code page
// tables (the portable one in package/ uses iconv, which Windows lacks). The player needs only
// this direction: a stored name shown in a message.
#include "package/PackageText.h"

#include "platform/win32/WideText.h"

namespace scenesaver::package {

namespace {
constexpr unsigned kCodePage932 = 932;
}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  return platform::win32::Utf8FromWide(platform::win32::WideFromCodePage(kCodePage932, ansi));
}

}  // namespace scenesaver::package
