// Where the show's picture lands in a video frame of another size, by the player's present
// rule: whole-number multiples by nearest neighbour when the frame is at least that large,
// scaled down smoothly (keeping its proportions) when the frame is smaller, centred on black.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "raster/Surface.h"

namespace scenesaver::scenepack {

enum class ScaleMethod { kNearest, kSmooth };

struct ScalePlan {
  int frame_width = 0;  // the video frame
  int frame_height = 0;
  int left = 0;  // the picture's place in it
  int top = 0;
  int width = 0;
  int height = 0;
  ScaleMethod method = ScaleMethod::kNearest;
  int factor = 1;  // the whole multiple, for kNearest
  // True when the frame is the picture itself, untouched.
  bool Identity() const;
};

struct FrameSize {
  int width = 0;
  int height = 0;
};

// Parses "WxH" (both 1 to 16384); nullopt otherwise.
std::optional<FrameSize> ParseFrameSize(const std::string& text);

// The plan for a picture of picture_width x picture_height: at `size` when given, else at
// `scale` times the picture (1 when not given). With `even_frame`, a frame of odd width or
// height grows by one black column or row (4:2:0 video needs even sizes). Returns the reason
// when the picture is empty or the result would exceed 16384 pixels a side.
std::variant<ScalePlan, std::string> PlanScale(int picture_width, int picture_height,
                                               std::optional<FrameSize> size,
                                               std::optional<int> scale, bool even_frame);

// Draws `picture` into `frame` (frame_width x frame_height pixels of 0x00BBGGRR, rows packed)
// by a kNearest plan; the border is black.
void DrawNearest(const ScalePlan& plan, const raster::Surface& picture,
                 std::span<std::uint32_t> frame);

}  // namespace scenesaver::scenepack
