#include "effects/TransitionFrame.h"

#include <random>

#include "base/Numbers.h"
#include "base/Ticks.h"

namespace scenesaver::effects {

using base::px;

TransitionFrame::TransitionFrame(State& state, platform::EventLoop& loop,
                                 const std::int16_t& QuitFlag, raster::Surface& Picture1,
                                 const raster::Surface& NowPicture,
                                 const raster::Surface& NextPicture, std::uint32_t interval_ms,
                                 DrawObserver* observer)
    : state_(state),
      loop_(loop),
      QuitFlag_(QuitFlag),
      picture1_(Picture1),
      now_picture_(NowPicture),
      next_picture_(NextPicture),
      interval_ms_(interval_ms),
      observer_(observer),
      W_(Picture1.ScaleWidth()),
      H_(Picture1.ScaleHeight()),
      full_width_(px(W_)),
      full_height_(px(H_)) {}

void TransitionFrame::OpeningCopy() {
  Copy(0, 0, full_width_, full_height_, Source::kNowPicture, 0, 0);
}

void TransitionFrame::FinalCopy() {
  Copy(0, 0, full_width_, full_height_, Source::kNextPicture, 0, 0);
}

double TransitionFrame::NextRandom() {
  // minstd_rand yields 1 .. m - 1; shifting to 0 .. m - 2 and dividing by m - 1 spreads the
  // values evenly over [0, 1) and never reaches 1.
  using Engine = std::minstd_rand;
  const auto value = state_.Random() - Engine::min();
  return static_cast<double>(value) / static_cast<double>(Engine::max() - Engine::min() + 1);
}

void TransitionFrame::Copy(int x, int y, int w, int h, Source source, int sx, int sy) {
  if (observer_ != nullptr) {
    observer_->OnDraw({DrawCall::Kind::kCopy, source, x, y, w, h, sx, sy, w, h});
  }
  raster::BitBlt(picture1_, x, y, w, h, Picture(source), sx, sy);
}

void TransitionFrame::Stretch(int x, int y, int w, int h, Source source) {
  if (observer_ != nullptr) {
    observer_->OnDraw(
        {DrawCall::Kind::kStretch, source, x, y, w, h, 0, 0, full_width_, full_height_});
  }
  raster::StretchBlt(picture1_, x, y, w, h, Picture(source), 0, 0, full_width_, full_height_);
}

void TransitionFrame::Fill() {
  if (observer_ != nullptr) {
    observer_->OnDraw({DrawCall::Kind::kFill, Source::kNextPicture, -1, -1, full_width_,
                       full_height_, 0, 0, 0, 0});
  }
  raster::FillBox(picture1_, -1, -1, full_width_, full_height_, 0);
}

bool TransitionFrame::Wait(std::uint32_t t0) {
  // The clock may wrap around without stalling or ending a step early.
  const std::uint32_t deadline = t0 + interval_ms_;
  for (;;) {
    loop_.DoEvents();
    if (QuitFlag_ == -1) return false;
    if (base::TickPassed(loop_.GetTickCount(), deadline)) return true;
    loop_.WaitForEventsUntil(deadline + 1);
  }
}

}  // namespace scenesaver::effects
