#include "effects/EffectModule.h"

#include <array>

#include "effects/TransitionFrame.h"
#include "effects/Transitions.h"

namespace scenesaver::effects {

namespace {

// Whether the surface is refreshed once more after the final copy.
enum class FinalRefresh { kNo, kYes };

struct Transition {
  std::string_view name;
  void (*run)(TransitionFrame&);
  std::uint32_t interval_ms;
  FinalRefresh final_refresh;
};

// Indexed by number - 1.
constexpr std::array<Transition, kLastEffect> kTransitions{{
    {"EffectOpenToLeftAndRight", EffectOpenToLeftAndRight, 50, FinalRefresh::kNo},
    {"EffectOpenToTopAndBottom", EffectOpenToTopAndBottom, 50, FinalRefresh::kNo},
    {"EffectRandomBlocks", EffectRandomBlocks, 40, FinalRefresh::kNo},
    {"EffectBlindsFromTop", EffectBlindsFromTop, 40, FinalRefresh::kNo},
    {"EffectSlideFromLeft", EffectSlideFromLeft, 50, FinalRefresh::kNo},
    {"EffectSlideFromRight", EffectSlideFromRight, 50, FinalRefresh::kNo},
    {"EffectSlideFromTop", EffectSlideFromTop, 50, FinalRefresh::kNo},
    {"EffectSlideFromBottom", EffectSlideFromBottom, 50, FinalRefresh::kNo},
    {"EffectSpiralBlocks", EffectSpiralBlocks, 40, FinalRefresh::kNo},
    {"EffectBoxOutFromCentre", EffectBoxOutFromCentre, 40, FinalRefresh::kNo},
    {"EffectFlipHorizontal", EffectFlipHorizontal, 20, FinalRefresh::kYes},
    {"EffectFlipVertical", EffectFlipVertical, 20, FinalRefresh::kYes},
    {"EffectDoubleFlipHorizontal", EffectDoubleFlipHorizontal, 10, FinalRefresh::kYes},
    {"EffectDoubleFlipVertical", EffectDoubleFlipVertical, 10, FinalRefresh::kYes},
    {"EffectSqueezeFromLeft", EffectSqueezeFromLeft, 25, FinalRefresh::kYes},
    {"EffectSqueezeFromTop", EffectSqueezeFromTop, 25, FinalRefresh::kYes},
    {"EffectSqueezeFromRight", EffectSqueezeFromRight, 25, FinalRefresh::kYes},
    {"EffectSqueezeFromBottom", EffectSqueezeFromBottom, 25, FinalRefresh::kYes},
    {"EffectWipeFromLeft", EffectWipeFromLeft, 50, FinalRefresh::kNo},
    {"EffectWipeFromTop", EffectWipeFromTop, 50, FinalRefresh::kNo},
    {"EffectWipeFromRight", EffectWipeFromRight, 50, FinalRefresh::kNo},
    {"EffectWipeFromBottom", EffectWipeFromBottom, 50, FinalRefresh::kNo},
    {"EffectZoomInFromCentre", EffectZoomInFromCentre, 40, FinalRefresh::kNo},
    {"EffectZoomOutToCentre", EffectZoomOutToCentre, 40, FinalRefresh::kNo},
    {"EffectShrinkThenGrow", EffectShrinkThenGrow, 20, FinalRefresh::kNo},
    {"EffectPushFromLeft", EffectPushFromLeft, 40, FinalRefresh::kNo},
    {"EffectPushFromTop", EffectPushFromTop, 40, FinalRefresh::kNo},
    {"EffectPushFromRight", EffectPushFromRight, 40, FinalRefresh::kNo},
    {"EffectPushFromBottom", EffectPushFromBottom, 40, FinalRefresh::kNo},
}};

bool IsTransition(int number) { return number >= kFirstEffect && number <= kLastEffect; }

}  // namespace

TransitionInfo DescribeTransition(int number) {
  if (!IsTransition(number)) return {};
  const Transition& t = kTransitions[static_cast<std::size_t>(number - 1)];
  return {t.name, t.interval_ms};
}

void RunTransition(int number, State& state, platform::EventLoop& loop,
                   const std::int16_t& QuitFlag, raster::Surface& Picture1,
                   const raster::Surface& NowPicture, const raster::Surface& NextPicture) {
  RunTransition(number, state, loop, QuitFlag, Picture1, NowPicture, NextPicture, nullptr);
}

void RunTransition(int number, State& state, platform::EventLoop& loop,
                   const std::int16_t& QuitFlag, raster::Surface& Picture1,
                   const raster::Surface& NowPicture, const raster::Surface& NextPicture,
                   DrawObserver* observer) {
  if (!IsTransition(number)) return;
  const Transition& t = kTransitions[static_cast<std::size_t>(number - 1)];
  TransitionFrame frame(state, loop, QuitFlag, Picture1, NowPicture, NextPicture, t.interval_ms,
                        observer);
  frame.OpeningCopy();
  t.run(frame);
  frame.FinalCopy();
  if (t.final_refresh == FinalRefresh::kYes) frame.Refresh();
}

}  // namespace scenesaver::effects
