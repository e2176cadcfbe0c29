#include "platform/posix/WindowId.h"

#include <charconv>

namespace scenesaver::platform {

std::optional<std::uint32_t> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t id = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, id, base);
  if (text.empty() || error != std::errc{} || stop != end || id == 0) return std::nullopt;
  return id;
}

}  // namespace scenesaver::platform
