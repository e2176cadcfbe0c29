#include "package/SafeFileName.h"

namespace scenesaver::package {

namespace {

bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool IsCp932TrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

}  // namespace

bool IsSafeFileName(std::string_view name, std::size_t max_bytes) {
  if (name.empty() || name.size() > max_bytes || name == "." || name == "..") return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsCp932LeadByte(c) && i + 1 < name.size() &&
        IsCp932TrailByte(static_cast<unsigned char>(name[i + 1]))) {
      ++i;  // a double-byte character; its second byte may be 0x5C
      continue;
    }
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

}  // namespace scenesaver::package
