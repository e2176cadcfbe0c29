// Wipes: the next picture is uncovered in place from one edge; nothing moves or is scaled.
#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::px;
using base::single;

void EffectWipeFromLeft(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(W), single(W / 20), [&](double c) {
    frame.Copy(0, 0, px(c + 1), px(H), Source::kNextPicture, 0, 0);
  });
}

void EffectWipeFromTop(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(H - 1), single((H - 1) / 20),
                    [&](double c) { frame.Copy(0, 0, px(W), px(c), Source::kNextPicture, 0, 0); });
}

void EffectWipeFromRight(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(W), single(W / 20), [&](double c) {
    frame.Copy(px(W - c), 0, px(c), px(H), Source::kNextPicture, px(W - c), 0);
  });
}

void EffectWipeFromBottom(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(H - 1), single((H - 1) / 20), [&](double c) {
    const std::int32_t top = px(H - 1 - c);
    frame.Copy(0, top, px(W), px(c), Source::kNextPicture, 0, top);
  });
}

}  // namespace scenesaver::effects
