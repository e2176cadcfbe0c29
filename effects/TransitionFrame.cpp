#include "effects/TransitionFrame.h"

#include <algorithm>
#include <random>
#include <utility>

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
  if (w > 0 && h > 0) MarkDrawn(x, y, std::int64_t{x} + w - 1, std::int64_t{y} + h - 1);
  raster::BitBlt(picture1_, x, y, w, h, Picture(source), sx, sy);
}

void TransitionFrame::Stretch(int x, int y, int w, int h, Source source) {
  if (observer_ != nullptr) {
    observer_->OnDraw(
        {DrawCall::Kind::kStretch, source, x, y, w, h, 0, 0, full_width_, full_height_});
  }
  // A negative extent mirrors the copy onto (x + w, x); a pixel more either way covers any
  // rounding.
  MarkDrawn(std::min<std::int64_t>(x, std::int64_t{x} + w) - 1,
            std::min<std::int64_t>(y, std::int64_t{y} + h) - 1,
            std::max<std::int64_t>(x, std::int64_t{x} + w) + 1,
            std::max<std::int64_t>(y, std::int64_t{y} + h) + 1);
  raster::StretchBlt(picture1_, x, y, w, h, Picture(source), 0, 0, full_width_, full_height_);
}

void TransitionFrame::Fill() {
  if (observer_ != nullptr) {
    observer_->OnDraw({DrawCall::Kind::kFill, Source::kNextPicture, -1, -1, full_width_,
                       full_height_, 0, 0, 0, 0});
  }
  MarkDrawn(-1, -1, full_width_, full_height_);
  raster::FillBox(picture1_, -1, -1, full_width_, full_height_, 0);
}

void TransitionFrame::RefreshDrawn() {
  loop_.RefreshChanged(picture1_, std::exchange(drawn_, platform::Rect{}));
}

void TransitionFrame::MarkDrawn(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                std::int64_t y2) {
  const platform::Size size{picture1_.Width(), picture1_.Height()};
  // Clipped to the surface first, so that no extent overflows.
  const auto clamp = [](std::int64_t v, std::int32_t limit) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -1, limit));
  };
  const std::int32_t left = clamp(std::min(x1, x2), size.width);
  const std::int32_t top = clamp(std::min(y1, y2), size.height);
  const std::int32_t right = clamp(std::max(x1, x2), size.width);
  const std::int32_t bottom = clamp(std::max(y1, y2), size.height);
  const platform::Rect box =
      platform::ClipTo({left, top, right - left + 1, bottom - top + 1}, size);
  drawn_ = platform::Union(drawn_, box);
}

bool TransitionFrame::Wait(const StepStart& start) {
  for (;;) {
    loop_.DoEvents();
    if (QuitFlag_ == -1) return false;
    const std::optional<std::uint32_t> wake = WakeTick(start);
    if (!wake) return true;
    loop_.WaitForEventsUntil(*wake);
  }
}

std::optional<std::uint32_t> TransitionFrame::WakeTick(const StepStart& start) {
  if (start.microseconds) {
    const std::int64_t deadline = *start.microseconds + std::int64_t{interval_ms_} * 1000;
    const std::int64_t left = deadline - loop_.GetMicroseconds().value_or(deadline + 1);
    if (left < 0) return std::nullopt;
    // Sleeps through the whole ticks left, then polls the last fraction of one.
    return loop_.GetTickCount() + static_cast<std::uint32_t>(left / 1000);
  }
  // The clock may wrap around without stalling or ending a step early.
  const std::uint32_t deadline = start.tick + interval_ms_;
  if (base::TickPassed(loop_.GetTickCount(), deadline)) return std::nullopt;
  return deadline + 1;
}

}  // namespace scenesaver::effects
