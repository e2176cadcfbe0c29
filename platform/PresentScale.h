// Where the show's picture lands in a window of any size, and how it is scaled there. Only the
// present scales: the picture itself keeps the show's own size.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Geometry.h"

namespace scenesaver::platform {

enum class ScaleMode {
  // The largest whole multiple that fits, pixels kept crisp; smaller than the picture (smooth,
  // aspect kept) only when even the picture itself does not fit.
  kAuto,
  // The picture at its own size, centred, cut at the window's edges when larger.
  kOneToOne,
  // As large as fits, aspect kept, smoothly scaled.
  kFill,
};

// "auto", "1" or "fill"; nullopt for anything else.
inline std::optional<ScaleMode> ParseScaleMode(std::string_view text) {
  if (text == "auto") return ScaleMode::kAuto;
  if (text == "1") return ScaleMode::kOneToOne;
  if (text == "fill") return ScaleMode::kFill;
  return std::nullopt;
}

struct Placement {
  Rect area;  // in window pixels; may reach outside the window in 1:1 mode
  // A whole multiple (nearest neighbour) when nonzero; else a smooth scaling to `area`.
  std::int32_t factor = 1;
  bool operator==(const Placement&) const = default;
};

namespace present_scale_detail {
// Centred as the show centres its picture: halves truncated term by term.
inline Rect Centred(Size window, std::int64_t width, std::int64_t height) {
  return {static_cast<std::int32_t>(window.width / 2 - width / 2),
          static_cast<std::int32_t>(window.height / 2 - height / 2),
          static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}
}  // namespace present_scale_detail

inline Placement PlacePicture(Size window, Size picture, ScaleMode mode) {
  using present_scale_detail::Centred;
  if (picture.width <= 0 || picture.height <= 0 || window.width <= 0 || window.height <= 0 ||
      mode == ScaleMode::kOneToOne) {
    return {Centred(window, picture.width, picture.height), 1};
  }
  const std::int32_t whole = std::min(window.width / picture.width, window.height / picture.height);
  if (mode == ScaleMode::kAuto && whole >= 1) {
    return {
        Centred(window, std::int64_t{picture.width} * whole, std::int64_t{picture.height} * whole),
        whole};
  }
  // Aspect kept: the side that limits takes the window's extent, the other is rounded, at
  // least one pixel.
  std::int64_t width = window.width;
  std::int64_t height = (std::int64_t{picture.height} * window.width * 2 + picture.width) /
                        (2 * std::int64_t{picture.width});
  if (height > window.height) {
    height = window.height;
    width = (std::int64_t{picture.width} * window.height * 2 + picture.height) /
            (2 * std::int64_t{picture.height});
  }
  width = std::max<std::int64_t>(width, 1);
  height = std::max<std::int64_t>(height, 1);
  if (width == picture.width && height == picture.height) {
    return {Centred(window, width, height), 1};
  }
  if (width % picture.width == 0 && height % picture.height == 0 &&
      width / picture.width == height / picture.height) {
    return {Centred(window, width, height), static_cast<std::int32_t>(width / picture.width)};
  }
  return {Centred(window, width, height), 0};
}

}  // namespace scenesaver::platform
