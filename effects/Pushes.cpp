// Pushes: the next picture slides in from one edge while the current one slides out at the
// opposite edge, both unscaled; the current picture is copied first, the next one second.
#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::px;
using base::single;

void EffectPushFromLeft(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(W), single(W / 20), [&](double c) {
    frame.Copy(px(c), 0, px(W - c), px(H), Source::kNowPicture, 0, 0);
    frame.Copy(0, 0, px(c + 1), px(H), Source::kNextPicture, px(W - c), 0);
  });
}

void EffectPushFromTop(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(H), single(H / 20), [&](double c) {
    frame.Copy(0, px(c), px(W), px(H - c), Source::kNowPicture, 0, 0);
    frame.Copy(0, 0, px(W), px(c + 1), Source::kNextPicture, 0, px(H - c));
  });
}

void EffectPushFromRight(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(W - 1), single((W - 1) / 20), [&](double c) {
    frame.Copy(0, 0, px(W - c), px(H), Source::kNowPicture, px(c), 0);
    frame.Copy(px(W - c), 0, px(c), px(H), Source::kNextPicture, 0, 0);
  });
}

void EffectPushFromBottom(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(H - 1), single((H - 1) / 20), [&](double c) {
    frame.Copy(0, 0, px(W), px(H - 1 - c), Source::kNowPicture, 0, px(c));
    frame.Copy(0, px(H - 1 - c), px(W), px(c), Source::kNextPicture, 0, 0);
  });
}

}  // namespace scenesaver::effects
