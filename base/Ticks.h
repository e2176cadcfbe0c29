// Tick arithmetic on the host clock (milliseconds that wrap around after about 49.7 days).
#pragma once

#include <cstdint>

namespace scenesaver::base {

// True once the reading `now` lies past `deadline`. Readings are compared by their difference,
// so a deadline up to 2^31 - 1 ms ahead stays ahead across a wrap of the clock.
constexpr bool TickPassed(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) > 0;
}

}  // namespace scenesaver::base
