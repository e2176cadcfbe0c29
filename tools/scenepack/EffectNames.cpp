#include "tools/scenepack/EffectNames.h"

#include <array>

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

}  // namespace

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
