// The 29 timed transitions and the frame they share.
#pragma once

#include <cstdint>
#include <random>

#include "platform/Host.h"
#include "platform/raster/Surface.h"

namespace EffectModule {

// Module-level state: the one random generator, never seeded by the program, so every start
// draws the same sequence and it runs on from one use to the next.
struct State {
  std::minstd_rand Random;
};

inline constexpr int kFirstEffect = 1;
inline constexpr int kLastEffect = 29;

// Runs transition `number` (1 to 29) from NowPicture towards NextPicture on Picture1, paced by
// `loop`, ending early when QuitFlag reads -1. Leaves Picture1 holding NextPicture. Failures
// (integer overflow) leave as Module1::RuntimeFailure without the final copy.
void RunTransition(int number, State& state, platform::EventLoop& loop,
                   const std::int16_t& QuitFlag, platform::Surface& Picture1,
                   const platform::Surface& NowPicture, const platform::Surface& NextPicture);

}  // namespace EffectModule
