// Squeezes: both pictures stay whole, each scaled along one axis; the next picture fills a band
// growing from one edge and the current picture is compressed into the rest.
#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::px;
using base::single;

namespace {

enum class Edge { kLeft, kTop, kRight, kBottom };

void Squeeze(TransitionFrame& frame, Edge edge) {
  const double W = frame.W(), H = frame.H();
  const bool across_width = edge == Edge::kLeft || edge == Edge::kRight;
  const float step = single((across_width ? W : H) / 20);
  std::int32_t b = 0;  // the band's width or height
  frame.Steps(21, [&](std::int32_t) {
    switch (edge) {
      case Edge::kLeft:
        frame.Stretch(b, 0, px(W - b), px(H), Source::kNowPicture);
        frame.Stretch(0, 0, b, px(H), Source::kNextPicture);
        break;
      case Edge::kTop:
        frame.Stretch(0, b, px(W), px(H - b), Source::kNowPicture);
        frame.Stretch(0, 0, px(W), b, Source::kNextPicture);
        break;
      case Edge::kRight:
        frame.Stretch(0, 0, px(W - b), px(H), Source::kNowPicture);
        frame.Stretch(px(W - b), 0, b, px(H), Source::kNextPicture);
        break;
      case Edge::kBottom:
        frame.Stretch(0, 0, px(W), px(H - b), Source::kNowPicture);
        frame.Stretch(0, px(H - b), px(W), b, Source::kNextPicture);
        break;
    }
    // Whole pixels again at every step: no fraction is carried over.
    b = px(b + static_cast<double>(step));
  });
}

}  // namespace

void EffectSqueezeFromLeft(TransitionFrame& frame) { Squeeze(frame, Edge::kLeft); }
void EffectSqueezeFromTop(TransitionFrame& frame) { Squeeze(frame, Edge::kTop); }
void EffectSqueezeFromRight(TransitionFrame& frame) { Squeeze(frame, Edge::kRight); }
void EffectSqueezeFromBottom(TransitionFrame& frame) { Squeeze(frame, Edge::kBottom); }

}  // namespace scenesaver::effects
