// Points and sizes in screen or window pixels.
#pragma once

#include <cstdint>

namespace scenesaver::platform {

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const Size&) const = default;
};

}  // namespace scenesaver::platform
