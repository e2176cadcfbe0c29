// Points, sizes and rectangles in screen or window pixels.
#pragma once

#include <algorithm>
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

// A rectangle from (left, top), `width` by `height`; empty when either extent is not positive.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const Rect&) const = default;

  bool Empty() const { return width <= 0 || height <= 0; }
  std::int64_t Right() const { return std::int64_t{left} + width; }
  std::int64_t Bottom() const { return std::int64_t{top} + height; }
};

// The smallest rectangle holding both; an empty one adds nothing.
inline Rect Union(const Rect& a, const Rect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const std::int64_t left = std::min(a.left, b.left);
  const std::int64_t top = std::min(a.top, b.top);
  const std::int64_t right = std::max(a.Right(), b.Right());
  const std::int64_t bottom = std::max(a.Bottom(), b.Bottom());
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(std::min<std::int64_t>(right - left, INT32_MAX)),
          static_cast<std::int32_t>(std::min<std::int64_t>(bottom - top, INT32_MAX))};
}

// The part of `r` inside (0, 0, size); empty (all zero) when they do not meet.
inline Rect ClipTo(const Rect& r, Size size) {
  if (r.Empty()) return {};
  const std::int64_t left = std::max<std::int64_t>(r.left, 0);
  const std::int64_t top = std::max<std::int64_t>(r.top, 0);
  const std::int64_t right = std::min<std::int64_t>(r.Right(), size.width);
  const std::int64_t bottom = std::min<std::int64_t>(r.Bottom(), size.height);
  if (right <= left || bottom <= top) return {};
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

}  // namespace scenesaver::platform
