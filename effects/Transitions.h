// The 29 transitions, one family per source file. Each draws the steps of its geometry through
// the frame it is given; the frame does the opening and final copies and paces the steps.
#pragma once

#include "effects/TransitionFrame.h"

namespace scenesaver::effects {

// DoorsAndSlides.cpp
void EffectOpenToLeftAndRight(TransitionFrame& frame);
void EffectOpenToTopAndBottom(TransitionFrame& frame);
void EffectSlideFromLeft(TransitionFrame& frame);
void EffectSlideFromRight(TransitionFrame& frame);
void EffectSlideFromTop(TransitionFrame& frame);
void EffectSlideFromBottom(TransitionFrame& frame);

// GridBlocks.cpp
void EffectRandomBlocks(TransitionFrame& frame);
void EffectSpiralBlocks(TransitionFrame& frame);

// BlindsAndBox.cpp
void EffectBlindsFromTop(TransitionFrame& frame);
void EffectBoxOutFromCentre(TransitionFrame& frame);

// Flips.cpp
void EffectFlipHorizontal(TransitionFrame& frame);
void EffectFlipVertical(TransitionFrame& frame);
void EffectDoubleFlipHorizontal(TransitionFrame& frame);
void EffectDoubleFlipVertical(TransitionFrame& frame);

// Squeezes.cpp
void EffectSqueezeFromLeft(TransitionFrame& frame);
void EffectSqueezeFromTop(TransitionFrame& frame);
void EffectSqueezeFromRight(TransitionFrame& frame);
void EffectSqueezeFromBottom(TransitionFrame& frame);

// Wipes.cpp
void EffectWipeFromLeft(TransitionFrame& frame);
void EffectWipeFromTop(TransitionFrame& frame);
void EffectWipeFromRight(TransitionFrame& frame);
void EffectWipeFromBottom(TransitionFrame& frame);

// CentreZooms.cpp
void EffectZoomInFromCentre(TransitionFrame& frame);
void EffectZoomOutToCentre(TransitionFrame& frame);
void EffectShrinkThenGrow(TransitionFrame& frame);

// Pushes.cpp
void EffectPushFromLeft(TransitionFrame& frame);
void EffectPushFromTop(TransitionFrame& frame);
void EffectPushFromRight(TransitionFrame& frame);
void EffectPushFromBottom(TransitionFrame& frame);

}  // namespace scenesaver::effects
