// Centre zooms: a whole picture is scaled into a rectangle centred on the surface, growing out
// of the centre or shrinking into it. The corner moves by a twentieth of the surface per step,
// split between the two sides, and is whole pixels again after every move.
#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::CheckedMul;
using base::CheckedSub;
using base::px;
using base::single;

namespace {

class CentredRectangle {
 public:
  explicit CentredRectangle(TransitionFrame& frame)
      : frame_(frame),
        cx_(px(frame.W() / 2.0)),
        cy_(px(frame.H() / 2.0)),
        sx_(single(frame.W() / 20.0 / 2.0)),
        sy_(single(frame.H() / 20.0 / 2.0)) {}

  void StartAtCentre() {
    x_ = cx_;
    y_ = cy_;
  }
  void MoveIn() {
    x_ = px(x_ + static_cast<double>(sx_));
    y_ = px(y_ + static_cast<double>(sy_));
  }
  void MoveOut() {
    x_ = px(x_ - static_cast<double>(sx_));
    y_ = px(y_ - static_cast<double>(sy_));
  }
  // Scales the whole of `source` into the rectangle; extents are passed as computed, so a
  // corner past the centre mirrors.
  void Scale(Source source) {
    frame_.Stretch(x_, y_, CheckedMul(2, CheckedSub(cx_, x_)), CheckedMul(2, CheckedSub(cy_, y_)),
                   source);
  }

 private:
  TransitionFrame& frame_;
  std::int32_t cx_, cy_;
  float sx_, sy_;
  std::int32_t x_ = 0;
  std::int32_t y_ = 0;
};

}  // namespace

void EffectZoomInFromCentre(TransitionFrame& frame) {
  CentredRectangle rect(frame);
  rect.StartAtCentre();
  frame.Steps(21, [&](std::int32_t) {
    rect.Scale(Source::kNextPicture);
    rect.MoveOut();
  });
}

void EffectZoomOutToCentre(TransitionFrame& frame) {
  CentredRectangle rect(frame);
  const std::int32_t width = px(frame.W()), height = px(frame.H());
  frame.Steps(21, [&](std::int32_t) {
    frame.Copy(0, 0, width, height, Source::kNextPicture, 0, 0);
    rect.Scale(Source::kNowPicture);
    rect.MoveIn();
  });
}

void EffectShrinkThenGrow(TransitionFrame& frame) {
  CentredRectangle rect(frame);
  frame.Steps(41, [&](std::int32_t i) {
    if (i <= 20) {
      frame.Fill();
      rect.Scale(Source::kNowPicture);
      rect.MoveIn();
    } else {
      rect.MoveOut();
      rect.Scale(Source::kNextPicture);
    }
  });
}

}  // namespace scenesaver::effects
