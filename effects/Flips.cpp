// Flips: a whole picture is scaled into a band centred on the surface, leaving an inset d free
// at both ends of one axis, as if a card were turned about its middle line.
#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::CheckedMul;
using base::px;
using base::single;

namespace {

enum class Axis { kWidth, kHeight };

class Flip {
 public:
  Flip(TransitionFrame& frame, Axis axis)
      : frame_(frame),
        axis_(axis),
        step_(single((axis == Axis::kWidth ? frame.W() : frame.H()) / 20.0)) {}

  // Scales the whole of `source` into the band that leaves d pixels free at both ends.
  void DrawBand(Source source) {
    const double W = frame_.W(), H = frame_.H();
    const std::int32_t both = CheckedMul(2, d_);
    if (axis_ == Axis::kWidth) {
      frame_.Stretch(d_, 0, px(W - both), px(H), source);
    } else {
      frame_.Stretch(0, d_, px(W), px(H - both), source);
    }
  }
  void Narrow() { d_ = px(d_ + static_cast<double>(step_)); }
  void Widen() { d_ = px(d_ - static_cast<double>(step_)); }

 private:
  TransitionFrame& frame_;
  Axis axis_;
  float step_;
  std::int32_t d_ = 0;
};

// The current picture narrows to the centre line on black (steps 0 to 10), then the next
// picture widens from it (steps 11 to 19).
void SingleFlip(TransitionFrame& frame, Axis axis) {
  Flip flip(frame, axis);
  frame.Steps(20, [&](std::int32_t i) {
    if (i <= 10) {
      frame.Fill();
      flip.DrawBand(Source::kNowPicture);
      flip.Narrow();
    } else {
      flip.Widen();
      flip.DrawBand(Source::kNextPicture);
    }
  });
}

// The current picture narrows and springs back (steps 0 to 20), then the next picture does the
// same (steps 21 to 39). Nothing is cleared: wider bands leave their edges behind.
void DoubleFlip(TransitionFrame& frame, Axis axis) {
  Flip flip(frame, axis);
  frame.Steps(40, [&](std::int32_t i) {
    if (i <= 20) {
      flip.DrawBand(Source::kNowPicture);
      if (i <= 10) {
        flip.Narrow();
      } else {
        flip.Widen();
      }
    } else {
      if (i <= 30) {
        flip.Narrow();
      } else {
        flip.Widen();
      }
      flip.DrawBand(Source::kNextPicture);
    }
  });
}

}  // namespace

void EffectFlipHorizontal(TransitionFrame& frame) { SingleFlip(frame, Axis::kWidth); }
void EffectFlipVertical(TransitionFrame& frame) { SingleFlip(frame, Axis::kHeight); }
void EffectDoubleFlipHorizontal(TransitionFrame& frame) { DoubleFlip(frame, Axis::kWidth); }
void EffectDoubleFlipVertical(TransitionFrame& frame) { DoubleFlip(frame, Axis::kHeight); }

}  // namespace scenesaver::effects
