#include "tools/scenepack/Fit.h"

#include <algorithm>
#include <cstdint>

namespace scenesaver::scenepack {
namespace {

// round(numerator / denominator) for positive values, at least 1.
int RoundedRatio(std::int64_t numerator, std::int64_t denominator) {
  return static_cast<int>(
      std::max<std::int64_t>(1, (2 * numerator + denominator) / (2 * denominator)));
}

// The picture scaled so that one side equals the area's and the other is no larger (contain),
// or no smaller (cover) than the area's.
PixelSize Scaled(PixelSize p, PixelSize a, bool cover) {
  // Width limits when a.width / p.width <= a.height / p.height.
  const bool width_limits = static_cast<std::int64_t>(a.width) * p.height <=
                            static_cast<std::int64_t>(a.height) * p.width;
  if (width_limits != cover) {
    return {a.width, RoundedRatio(static_cast<std::int64_t>(p.height) * a.width, p.width)};
  }
  return {RoundedRatio(static_cast<std::int64_t>(p.width) * a.height, p.height), a.height};
}

}  // namespace

std::optional<Fit> FitFromName(std::string_view name) {
  if (name == "none") return Fit::kNone;
  if (name == "contain") return Fit::kContain;
  if (name == "cover") return Fit::kCover;
  if (name == "shrink") return Fit::kShrink;
  return std::nullopt;
}

std::optional<PixelSize> ParseSizeText(std::string_view text) {
  std::size_t at = 0;
  auto skip_spaces = [&] {
    while (at < text.size() && text[at] == ' ') ++at;
  };
  auto number = [&]() -> std::optional<int> {
    const std::size_t start = at;
    std::int64_t value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 9) {
      value = value * 10 + (text[at++] - '0');
    }
    if (at == start || (at < text.size() && text[at] >= '0' && text[at] <= '9')) return {};
    return static_cast<int>(value);
  };
  skip_spaces();
  const std::optional<int> width = number();
  skip_spaces();
  if (!width || at == text.size()) return std::nullopt;
  if (text[at] == 'x' || text[at] == 'X') {
    ++at;
  } else if (text.substr(at).starts_with("\xC3\x97")) {  // ×, U+00D7
    at += 2;
  } else {
    return std::nullopt;
  }
  skip_spaces();
  const std::optional<int> height = number();
  skip_spaces();
  if (!height || at != text.size()) return std::nullopt;
  return PixelSize{*width, *height};
}

FitPlan PlanFit(PixelSize picture, PixelSize area, Fit fit) {
  FitPlan plan;
  plan.scaled = picture;
  plan.stored = picture;
  const bool larger = picture.width > area.width || picture.height > area.height;
  if (fit == Fit::kContain || (fit == Fit::kShrink && larger)) {
    plan.scaled = Scaled(picture, area, false);
    plan.stored = plan.scaled;
  } else if (fit == Fit::kCover) {
    plan.scaled = Scaled(picture, area, true);
    plan.stored = area;
    plan.crop_left = (plan.scaled.width - area.width) / 2;
    plan.crop_top = (plan.scaled.height - area.height) / 2;
  }
  return plan;
}

Offset Centred(PixelSize picture, PixelSize area) {
  // Floor division, so that a larger picture overhangs equally on both sides.
  auto half = [](int margin) { return margin >= 0 ? margin / 2 : -((-margin + 1) / 2); };
  return {half(area.width - picture.width), half(area.height - picture.height)};
}

bool WhollyOutside(PixelSize picture, Offset at, PixelSize area) {
  const std::int64_t right = static_cast<std::int64_t>(at.left) + picture.width;
  const std::int64_t bottom = static_cast<std::int64_t>(at.top) + picture.height;
  return at.left >= area.width || at.top >= area.height || right <= 0 || bottom <= 0;
}

}  // namespace scenesaver::scenepack
