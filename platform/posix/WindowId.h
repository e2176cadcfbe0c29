// X window ids as XScreenSaver passes them: decimal, or hexadecimal after "0x".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace scenesaver::platform {

// nullopt for anything but a whole nonzero number that fits 32 bits (X ids are 29 bits).
std::optional<std::uint32_t> ParseWindowId(std::string_view text);

}  // namespace scenesaver::platform
