// The frame every transition shares: the opening copy, steps paced by the clock, the wait that
// yields and watches QuitFlag, and the final copy. A transition supplies only its geometry: the
// copies, stretched copies and fills of one step, and how its counters advance.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>

#include "effects/EffectModule.h"
#include "platform/ShowHost.h"
#include "raster/Surface.h"

namespace scenesaver::effects {

class TransitionFrame {
 public:
  TransitionFrame(State& state, platform::EventLoop& loop, const std::int16_t& QuitFlag,
                  raster::Surface& Picture1, const raster::Surface& NowPicture,
                  const raster::Surface& NextPicture, std::uint32_t interval_ms,
                  DrawObserver* observer);
  TransitionFrame(const TransitionFrame&) = delete;
  TransitionFrame& operator=(const TransitionFrame&) = delete;

  // The surface's width and height, read once when the transition starts.
  float W() const { return W_; }
  float H() const { return H_; }

  // Copies the whole of NowPicture onto the surface, unrefreshed.
  void OpeningCopy();
  // Copies the whole of NextPicture onto the surface, unrefreshed.
  void FinalCopy();
  void Refresh() { RefreshDrawn(); }

  bool QuitRaised() const { return QuitFlag_ == -1; }
  // The module's one random generator: a uniform value in [0, 1).
  double NextRandom();

  // Plain copy of (sx, sy, w, h) of a picture to (x, y) of the surface.
  void Copy(int x, int y, int w, int h, Source source, int sx, int sy);
  // Stretched copy of a whole picture (0, 0, px(W), px(H)) onto (x, y, w, h) of the surface;
  // a negative extent mirrors.
  void Stretch(int x, int y, int w, int h, Source source);
  // Blackens the whole surface: a filled box from (-1, -1) to (W, H) in colour 0.
  void Fill();

  // One step: reads the clock, draws, refreshes and waits. `draw` may return false to leave
  // the steps without refreshing. Returns false when the steps are to end (QuitFlag seen).
  template <typename Draw>
  bool Step(Draw&& draw) {
    const StepStart start{loop_.GetTickCount(), loop_.GetMicroseconds()};
    if constexpr (std::is_same_v<std::invoke_result_t<Draw>, bool>) {
      if (!draw()) return false;
    } else {
      draw();
    }
    RefreshDrawn();
    return Wait(start);
  }

  // `count` steps with an integer counter i = 0 .. count - 1; `body(i)` draws step i.
  template <typename Body>
  void Steps(std::int32_t count, Body&& body) {
    for (std::int32_t i = 0; i < count; ++i) {
      if (!Step([&] { return body(i); })) return;
    }
  }

  // The counted loop of a single-precision counter c from 0 to `end` in steps of `step`: a step
  // is drawn while c <= end (c >= end for a negative step), then c = single(c + step). Both
  // bounds are single precision, so the step count follows from single-precision sums.
  template <typename Body>
  void CountedLoop(float end, float step, Body&& body) {
    for (float c = 0.0F; step >= 0.0F ? c <= end : c >= end;
         c = static_cast<float>(static_cast<double>(c) + static_cast<double>(step))) {
      if (!Step([&] { return body(c); })) return;
    }
  }

 private:
  const raster::Surface& Picture(Source source) const {
    return source == Source::kNowPicture ? now_picture_ : next_picture_;
  }
  // Refreshes the surface, telling the loop the area drawn on since the last refresh.
  void RefreshDrawn();
  // Adds the box (x1, y1)-(x2, y2), corners inclusive and in any order, to the drawn area.
  void MarkDrawn(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
  // The clock's readings at the start of a step.
  struct StepStart {
    std::uint32_t tick;
    std::optional<std::int64_t> microseconds;
  };
  // Yields until the clock has passed the step's start + interval, at least once; false when
  // QuitFlag is -1.
  bool Wait(const StepStart& start);
  // The tick to sleep until while the step that began at `start` lasts; none once it has
  // lasted its interval (on the finer clock where the host has one).
  std::optional<std::uint32_t> WakeTick(const StepStart& start);

  State& state_;
  platform::EventLoop& loop_;
  const std::int16_t& QuitFlag_;
  raster::Surface& picture1_;
  const raster::Surface& now_picture_;
  const raster::Surface& next_picture_;
  std::uint32_t interval_ms_;
  DrawObserver* observer_;
  float W_;
  float H_;
  std::int32_t full_width_;
  std::int32_t full_height_;
  platform::Rect drawn_;
};

}  // namespace scenesaver::effects
