#include "package/PackageText.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace scenesaver::package {
namespace {

constexpr const char* kAnsiCodePage = "CP932";

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; on an invalid or incomplete sequence calls `on_invalid`, which returns
  // false to give up or true after the caller skipped a byte.
  template <typename OnInvalid>
  bool Run(std::string_view in, std::string& out, OnInvalid on_invalid) {
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    out.clear();
    std::string chunk(4 * in.size() + 16, '\0');
    while (src_left > 0) {
      char* dst = chunk.data();
      std::size_t dst_left = chunk.size();
      const std::size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(chunk.data(), chunk.size() - dst_left);
      if (r != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) continue;
      if (!on_invalid(out)) return false;
      ++src;
      --src_left;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset any shift state
    }
    return true;
  }

 private:
  iconv_t cd_;
};

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  if (IsAscii(ansi)) return std::string(ansi);
  Converter converter("UTF-8", kAnsiCodePage);
  std::string out;
  if (!converter.ok()) {
    // No converter: keep ASCII, mark everything else as unknown.
    for (char c : ansi) out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\uFFFD";
    return out;
  }
  converter.Run(ansi, out, [](std::string& o) {
    o += "\uFFFD";
    return true;
  });
  return out;
}

std::optional<AnsiString> Utf8ToAnsi(std::string_view utf8) {
  if (IsAscii(utf8)) return AnsiString(utf8);
  Converter converter(kAnsiCodePage, "UTF-8");
  if (!converter.ok()) return std::nullopt;
  std::string out;
  if (!converter.Run(utf8, out, [](std::string&) { return false; })) return std::nullopt;
  return out;
}

}  // namespace scenesaver::package
