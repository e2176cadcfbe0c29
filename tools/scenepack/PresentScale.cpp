#include "tools/scenepack/PresentScale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace scenesaver::scenepack {

namespace {

constexpr int kMaxSide = 16384;

std::optional<int> ParseSide(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > kMaxSide) return std::nullopt;
  return value;
}

}  // namespace

bool ScalePlan::Identity() const {
  return method == ScaleMethod::kNearest && factor == 1 && left == 0 && top == 0 &&
         width == frame_width && height == frame_height;
}

std::optional<FrameSize> ParseFrameSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  const auto width = ParseSide(std::string_view(text).substr(0, x));
  const auto height = ParseSide(std::string_view(text).substr(x + 1));
  if (!width || !height) return std::nullopt;
  return FrameSize{*width, *height};
}

std::variant<ScalePlan, std::string> PlanScale(int picture_width, int picture_height,
                                               std::optional<FrameSize> size,
                                               std::optional<int> scale, bool even_frame) {
  if (picture_width < 1 || picture_height < 1) {
    return "the show's picture is empty (" + std::to_string(picture_width) + "x" +
           std::to_string(picture_height) + ")";
  }
  ScalePlan plan;
  if (size) {
    plan.frame_width = size->width;
    plan.frame_height = size->height;
    const int multiple = std::min(size->width / picture_width, size->height / picture_height);
    if (multiple >= 1) {
      plan.factor = multiple;
      plan.width = picture_width * multiple;
      plan.height = picture_height * multiple;
    } else {
      // Fit inside, keeping the proportions; at least one pixel a side.
      const double fit = std::min(static_cast<double>(size->width) / picture_width,
                                  static_cast<double>(size->height) / picture_height);
      plan.method = ScaleMethod::kSmooth;
      plan.width = std::clamp(static_cast<int>(std::lround(picture_width * fit)), 1, size->width);
      plan.height =
          std::clamp(static_cast<int>(std::lround(picture_height * fit)), 1, size->height);
    }
  } else {
    const int factor = scale.value_or(1);
    const std::int64_t width = static_cast<std::int64_t>(picture_width) * factor;
    const std::int64_t height = static_cast<std::int64_t>(picture_height) * factor;
    if (factor < 1 || width > kMaxSide || height > kMaxSide) {
      return "a scale of " + std::to_string(factor) + " gives a frame of " + std::to_string(width) +
             "x" + std::to_string(height) + " (at most " + std::to_string(kMaxSide) + " a side)";
    }
    plan.factor = factor;
    plan.frame_width = plan.width = static_cast<int>(width);
    plan.frame_height = plan.height = static_cast<int>(height);
  }
  if (even_frame) {
    plan.frame_width += plan.frame_width % 2;
    plan.frame_height += plan.frame_height % 2;
  }
  if (plan.frame_width > kMaxSide || plan.frame_height > kMaxSide) {
    return "the frame would be " + std::to_string(plan.frame_width) + "x" +
           std::to_string(plan.frame_height) + " (at most " + std::to_string(kMaxSide) + " a side)";
  }
  plan.left = (plan.frame_width - plan.width) / 2;
  plan.top = (plan.frame_height - plan.height) / 2;
  return plan;
}

void DrawNearest(const ScalePlan& plan, const raster::Surface& picture,
                 std::span<std::uint32_t> frame) {
  const auto frame_width = static_cast<std::size_t>(plan.frame_width);
  std::fill(frame.begin(), frame.end(), 0u);
  const int factor = plan.factor;
  const int rows = std::min(plan.height / factor, picture.Height());
  const int columns = std::min(plan.width / factor, picture.Width());
  for (int y = 0; y < rows; ++y) {
    const std::uint32_t* source = picture.Row(y);
    std::uint32_t* first_row =
        frame.data() + static_cast<std::size_t>(plan.top + y * factor) * frame_width + plan.left;
    std::uint32_t* out = first_row;
    for (int x = 0; x < columns; ++x) out = std::fill_n(out, factor, source[x]);
    for (int copy = 1; copy < factor; ++copy) {
      std::copy_n(first_row, static_cast<std::size_t>(columns) * factor,
                  first_row + static_cast<std::size_t>(copy) * frame_width);
    }
  }
}

}  // namespace scenesaver::scenepack
