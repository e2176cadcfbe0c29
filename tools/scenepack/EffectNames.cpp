#include "tools/scenepack/EffectNames.h"

#include <algorithm>
#include <array>
#include <vector>

namespace scenesaver::scenepack {
namespace {

constexpr std::array<std::string_view, 30> kNames = {
    "",
    "EffectOpenToLeftAndRight",
    "EffectOpenToTopAndBottom",
    "EffectRandomBlocks",
    "EffectBlindsFromTop",
    "EffectSlideFromLeft",
    "EffectSlideFromRight",
    "EffectSlideFromTop",
    "EffectSlideFromBottom",
    "EffectSpiralBlocks",
    "EffectBoxOutFromCentre",
    "EffectFlipHorizontal",
    "EffectFlipVertical",
    "EffectDoubleFlipHorizontal",
    "EffectDoubleFlipVertical",
    "EffectSqueezeFromLeft",
    "EffectSqueezeFromTop",
    "EffectSqueezeFromRight",
    "EffectSqueezeFromBottom",
    "EffectWipeFromLeft",
    "EffectWipeFromTop",
    "EffectWipeFromRight",
    "EffectWipeFromBottom",
    "EffectZoomInFromCentre",
    "EffectZoomOutToCentre",
    "EffectShrinkThenGrow",
    "EffectPushFromLeft",
    "EffectPushFromTop",
    "EffectPushFromRight",
    "EffectPushFromBottom",
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Edits (insert, delete, replace one letter, or swap two neighbours) from `a` to `b`, letters
// compared without case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
          Lower(a[i - 2]) == Lower(b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string_view ClosestEffectName(std::string_view name) {
  std::string_view best;
  std::size_t best_distance = std::max<std::size_t>(2, name.size() / 5) + 1;
  for (std::size_t i = 1; i < kNames.size(); ++i) {
    const std::size_t distance = EditDistance(name, kNames[i]);
    if (distance < best_distance) {
      best = kNames[i];
      best_distance = distance;
    }
  }
  return best;
}

std::string_view EffectName(int number) {
  if (number < 1 || number >= static_cast<int>(kNames.size())) return {};
  return kNames[static_cast<std::size_t>(number)];
}

std::optional<int> EffectNumber(std::string_view name) {
  for (std::size_t i = 1; i < kNames.size(); ++i) {
    if (kNames[i] == name) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string EffectNameList() {
  std::string list;
  for (std::size_t i = 1; i < kNames.size(); ++i) {
    if (!list.empty()) list += ", ";
    list += kNames[i];
  }
  return list;
}

}  // namespace scenesaver::scenepack
