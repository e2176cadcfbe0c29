// How a picture is scaled and placed in the presentation area: the fit modes and their
// arithmetic, kept apart from any decoding so that every case can be worked by hand.
#pragma once

#include <optional>
#include <string_view>

namespace scenesaver::scenepack {

enum class Fit {
  kNone,     // the picture's own pixels
  kContain,  // scaled to lie inside the area, aspect ratio kept
  kCover,    // scaled to fill the area, the centre kept and the rest cropped
  kShrink,   // contain, but only for pictures larger than the area
};

// "none", "contain", "cover", "shrink"; nothing for another name.
std::optional<Fit> FitFromName(std::string_view name);

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// "800x600", "1024X768", "1920 × 1080": two whole numbers separated by x, X or ×, with or
// without spaces; nothing for other text. The numbers are not range-checked.
std::optional<PixelSize> ParseSizeText(std::string_view text);

// The steps from a picture to the stored one: resize the whole picture to `scaled`, then keep
// the `stored` rectangle whose top-left corner is at (crop_left, crop_top) of the result.
struct FitPlan {
  PixelSize scaled;
  int crop_left = 0;
  int crop_top = 0;
  PixelSize stored;

  bool Resizes(PixelSize picture) const { return scaled != picture; }
  bool Crops() const { return stored != scaled; }
};

// The plan for a picture of size `picture` (both sides at least 1) in `area`. Scaled sides are
// rounded to the nearest pixel and never below 1.
FitPlan PlanFit(PixelSize picture, PixelSize area, Fit fit);

// The left and top that centre a picture of size `picture` in `area`; an odd margin leaves the
// extra pixel on the right or at the bottom. Negative when the picture is larger.
struct Offset {
  int left = 0;
  int top = 0;
  friend bool operator==(const Offset&, const Offset&) = default;
};
Offset Centred(PixelSize picture, PixelSize area);

// True when a picture of size `picture` at `at` shows no pixel inside `area`.
bool WhollyOutside(PixelSize picture, Offset at, PixelSize area);

}  // namespace scenesaver::scenepack
