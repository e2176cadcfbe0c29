// The 29 timed transitions and the frame they share.
#pragma once

#include <cstdint>
#include <random>
#include <string_view>

#include "platform/ShowHost.h"
#include "raster/Surface.h"

namespace scenesaver::effects {

// Module-level state: the one random generator, never seeded by the program, so every start
// draws the same sequence and it runs on from one use to the next.
struct State {
  std::minstd_rand Random;
};

inline constexpr int kFirstEffect = 1;
inline constexpr int kLastEffect = 29;

// The picture a drawing call reads.
enum class Source { kNowPicture, kNextPicture };

// One drawing call of a transition onto Picture1, as an observer sees it. A copy uses
// (x, y, w, h) and (sx, sy); a stretched copy also (sw, sh); a fill only the box
// (x, y)-(w, h), its two corners.
struct DrawCall {
  enum class Kind { kCopy, kStretch, kFill };
  Kind kind = Kind::kCopy;
  Source source = Source::kNextPicture;
  std::int32_t x = 0, y = 0, w = 0, h = 0;
  std::int32_t sx = 0, sy = 0, sw = 0, sh = 0;
  bool operator==(const DrawCall&) const = default;
};

// Sees every drawing call, just before it is made (tests and tracing).
class DrawObserver {
 public:
  virtual ~DrawObserver() = default;
  virtual void OnDraw(const DrawCall& call) = 0;
};

// Name and step interval of transition `number` (1 to 29).
struct TransitionInfo {
  std::string_view name;
  std::uint32_t interval_ms = 0;
};
TransitionInfo DescribeTransition(int number);

// Runs transition `number` (1 to 29) from NowPicture towards NextPicture on Picture1, paced by
// `loop`, ending early when QuitFlag reads -1. Leaves Picture1 holding NextPicture. Other
// numbers draw nothing. Failures (integer overflow) leave as base::RuntimeFailure without
// the final copy.
void RunTransition(int number, State& state, platform::EventLoop& loop,
                   const std::int16_t& QuitFlag, raster::Surface& Picture1,
                   const raster::Surface& NowPicture, const raster::Surface& NextPicture);

// The same, reporting every drawing call to `observer` (may be null).
void RunTransition(int number, State& state, platform::EventLoop& loop,
                   const std::int16_t& QuitFlag, raster::Surface& Picture1,
                   const raster::Surface& NowPicture, const raster::Surface& NextPicture,
                   DrawObserver* observer);

}  // namespace scenesaver::effects
