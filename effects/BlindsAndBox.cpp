// Blinds: five horizontal bands each fill with the next picture from their top edge down.
// Box: the next picture shows in a centred rectangle growing from the centre.
#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::CheckedMul;
using base::CheckedSub;
using base::px;
using base::single;

void EffectBlindsFromTop(TransitionFrame& frame) {
  const double W = frame.W();
  const std::int32_t band = px(frame.H() / 5.0);
  const float end = single(band);
  // Each strip advances one pixel less than its height, so neighbouring strips overlap.
  float step = single(band / 20.0 - 1);
  std::int32_t strip = px(band / 20.0);
  if (step <= 0.0F) {
    // On a surface this low the step would never advance (or go backwards): fill each band
    // in one-pixel strips instead, so the transition still ends.
    step = 1.0F;
    strip = 1;
  }
  frame.CountedLoop(end, step, [&](double c) {
    for (std::int32_t k = 0; k < 5; ++k) {
      const std::int32_t top = px(CheckedMul(k, band) + c);
      frame.Copy(0, top, px(W), strip, Source::kNextPicture, 0, top);
    }
  });
}

void EffectBoxOutFromCentre(TransitionFrame& frame) {
  const std::int32_t cx = px(frame.W() / 2.0);
  const std::int32_t cy = px(frame.H() / 2.0);
  const float sx = single(frame.W() / 20.0 / 2.0);
  const float sy = single(frame.H() / 20.0 / 2.0);
  std::int32_t x = cx;
  std::int32_t y = cy;
  frame.Steps(20, [&](std::int32_t) {
    const std::int32_t w = CheckedMul(2, CheckedSub(cx, x));
    const std::int32_t h = CheckedMul(2, CheckedSub(cy, y));
    frame.Copy(x, y, w, h, Source::kNextPicture, x, y);
    // The corner moves out after the copy; it is whole pixels again at every step.
    x = px(x - static_cast<double>(sx));
    y = px(y - static_cast<double>(sy));
  });
}

}  // namespace scenesaver::effects
