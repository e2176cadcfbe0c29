// Doors: the current picture splits at its middle and both halves slide out while the next
// picture shows in the widening gap. Slides: the next picture slides in over the current one
// from one edge. All count a single-precision c from 0 to an end in twentieths of it.
#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::px;
using base::single;

void EffectOpenToLeftAndRight(TransitionFrame& frame) {
  const double H = frame.H();
  const std::int32_t half = px(frame.W() / 2.0);
  const float end = single(half);
  const float step = single(half / 20.0);
  frame.CountedLoop(end, step, [&](double c) {
    frame.Copy(0, 0, px(half - c), px(H), Source::kNowPicture, px(c), 0);
    frame.Copy(px(c + half), 0, px(half - c), px(H), Source::kNowPicture, half, 0);
    frame.Copy(px(half - c), 0, px(2 * c), px(H), Source::kNextPicture, px(half - c), 0);
  });
}

void EffectOpenToTopAndBottom(TransitionFrame& frame) {
  const double W = frame.W();
  const std::int32_t half = px(frame.H() / 2.0);
  const float end = single(half);
  const float step = single(half / 20.0);
  frame.CountedLoop(end, step, [&](double c) {
    frame.Copy(0, 0, px(W), px(half - c), Source::kNowPicture, 0, px(c));
    frame.Copy(0, px(c + half), px(W), px(half - c), Source::kNowPicture, 0, half);
    frame.Copy(0, px(half - c), px(W), px(2 * c), Source::kNextPicture, 0, px(half - c));
  });
}

void EffectSlideFromLeft(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(W), single(W / 20), [&](double c) {
    frame.Copy(0, 0, px(c + 1), px(H), Source::kNextPicture, px(W - c), 0);
  });
}

void EffectSlideFromRight(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(W - 1), single((W - 1) / 20), [&](double c) {
    frame.Copy(px(W - c), 0, px(c), px(H), Source::kNextPicture, 0, 0);
  });
}

void EffectSlideFromTop(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(H), single(H / 20), [&](double c) {
    frame.Copy(0, 0, px(W), px(c + 1), Source::kNextPicture, 0, px(H - c));
  });
}

void EffectSlideFromBottom(TransitionFrame& frame) {
  const double W = frame.W(), H = frame.H();
  frame.CountedLoop(single(H - 1), single((H - 1) / 20), [&](double c) {
    frame.Copy(0, px(H - 1 - c), px(W), px(c), Source::kNextPicture, 0, 0);
  });
}

}  // namespace scenesaver::effects
