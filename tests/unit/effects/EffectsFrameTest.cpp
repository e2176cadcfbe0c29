// The frame every transition shares: opening copy, pacing, quit handling, final copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "EffectsTestSupport.h"
#include "base/Numbers.h"
#include "base/RuntimeFailure.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

bool RefreshesAfterFinalCopy(int number) { return number >= 11 && number <= 18; }

TEST(EffectsFrame, StepCountsAt800x600) {
  // The single-precision loops give 20 or 21 steps, the others are fixed.
  constexpr std::array<std::size_t, 29> kSteps = {21, 21, 25, 25, 21, 20, 21, 20, 25, 20,
                                                  20, 20, 40, 40, 21, 21, 21, 21, 21, 20,
                                                  21, 20, 21, 21, 41, 21, 21, 20, 20};
  for (int number = 1; number <= 29; ++number) {
    SCOPED_TRACE(number);
    Harness h(800, 600, 2, 2);
    const Recording run = h.Play(number);
    EXPECT_EQ(run.opening, Copy(Source::kNowPicture, 0, 0, 800, 600, 0, 0));
    EXPECT_EQ(run.steps.size(), kSteps[number - 1]);
    EXPECT_EQ(run.final_copy, Copy(Source::kNextPicture, 0, 0, 800, 600, 0, 0));
    EXPECT_EQ(run.refreshed_after_final, RefreshesAfterFinalCopy(number));
  }
}

// The slides, wipes and pushes that run a single-precision counter up by a twentieth of an end
// value: the sums land on the end exactly for some ends and just above it for others, so the end
// decides between 20 and 21 steps. `across` counts to W, `down` to H - 1.
struct EndValueCounters {
  const char* family;
  int across;
  int down;
};

void PrintTo(const EndValueCounters& counters, std::ostream* out) {
  *out << counters.family << " (" << counters.across << " and " << counters.down << ")";
}

class EffectsEndValueSteps : public testing::TestWithParam<EndValueCounters> {};

TEST_P(EffectsEndValueSteps, DecideBetween20And21Steps) {
  for (const auto& [width, steps] : {std::pair{640, 21u}, {800, 21u}, {1280, 21u}, {1024, 20u}}) {
    Harness h(width, 1);
    EXPECT_EQ(h.Play(GetParam().across).steps.size(), steps) << "end " << width;
  }
  for (const auto& [height, steps] : {std::pair{768, 21u}, {1024, 20u}, {600, 20u}, {480, 20u}}) {
    Harness h(1, height);
    EXPECT_EQ(h.Play(GetParam().down).steps.size(), steps) << "end " << height - 1;
  }
}

INSTANTIATE_TEST_SUITE_P(EffectsCounters, EffectsEndValueSteps,
                         testing::Values(EndValueCounters{"Slides", 5, 8},
                                         EndValueCounters{"Wipes", 19, 20},
                                         EndValueCounters{"Pushes", 26, 29}),
                         [](const testing::TestParamInfo<EndValueCounters>& info) {
                           return std::string(info.param.family);
                         });

TEST(EffectsFrame, EveryTransitionEndsOnTheWholeNextPicture) {
  for (int number = 1; number <= 29; ++number) {
    SCOPED_TRACE(number);
    Harness h(83, 59);
    h.Play(number);
    EXPECT_TRUE(h.Shows(h.next));
  }
}

TEST(EffectsFrame, QuitAlreadyRaisedDrawsOneStepThenTheFinalCopy) {
  for (int number = 1; number <= 29; ++number) {
    SCOPED_TRACE(number);
    Harness h(64, 48);
    h.QuitFlag = -1;
    const Recording run = h.Play(number);
    EXPECT_EQ(run.opening, Copy(Source::kNowPicture, 0, 0, 64, 48, 0, 0));
    EXPECT_EQ(run.steps.size(), 1u);
    EXPECT_EQ(run.final_copy, Copy(Source::kNextPicture, 0, 0, 64, 48, 0, 0));
    EXPECT_EQ(run.refreshed_after_final, RefreshesAfterFinalCopy(number));
    EXPECT_EQ(h.loop.yields, 1);
    EXPECT_EQ(h.loop.waits, 0);
    EXPECT_TRUE(h.Shows(h.next));
  }
}

TEST(EffectsFrame, QuitRaisedHalfWayEndsAtThatWaitWithTheWholeNextPicture) {
  for (int number = 1; number <= 29; ++number) {
    SCOPED_TRACE(number);
    Harness h(64, 48);
    h.loop.quit_after_refresh = 5;
    const Recording run = h.Play(number);
    EXPECT_EQ(run.steps.size(), 5u);
    EXPECT_EQ(h.loop.refreshes, RefreshesAfterFinalCopy(number) ? 6 : 5);
    EXPECT_TRUE(h.Shows(h.next));
  }
}

TEST(EffectsFrame, OnlyTheValueMinusOneEndsATransition) {
  Harness h(800, 4);
  h.QuitFlag = 1;  // true to a caller, but not the value the transitions test for
  EXPECT_EQ(h.Play(19).steps.size(), 21u);
}

TEST(EffectsFrame, EachStepWaitsUntilTheClockIsPastItsDeadline) {
  Harness h(800, 4);
  std::vector<std::uint32_t> asked;
  struct AskingLoop : RecordingLoop {
    std::vector<std::uint32_t>* asked = nullptr;
    void WaitForEventsUntil(std::uint32_t tick) override {
      asked->push_back(tick);
      RecordingLoop::WaitForEventsUntil(tick);
    }
  } loop;
  loop.asked = &asked;
  loop.now = 5000;
  effects::RunTransition(19, h.state, loop, h.QuitFlag, h.picture1, h.now, h.next);
  // 21 steps of 50 ms: each wait blocks until the first tick past its deadline, then yields
  // once more and sees it passed.
  ASSERT_EQ(asked.size(), 21u);
  for (std::size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], 5000 + 51 * (i + 1));
  EXPECT_EQ(loop.yields, 42);
  EXPECT_EQ(loop.now, 5000u + 21 * 51);
}

TEST(EffectsFrame, AStepThatOutlastsItsIntervalIsFollowedByOneYieldAndTheNextStep) {
  Harness h(800, 4);
  h.loop.draw_ms = 70;  // longer than the wipe's 50 ms
  const Recording run = h.Play(19);
  EXPECT_EQ(run.steps.size(), 21u);  // slow drawing skips no step
  EXPECT_EQ(h.loop.yields, 21);
  EXPECT_EQ(h.loop.waits, 0);
}

TEST(EffectsFrame, TheClockWrappingAroundNeitherStallsNorShortensASteps) {
  for (const std::uint32_t start : {0xFFFFFFFFu - 500, 0xFFFFFFFFu - 50, 0x7FFFFFFFu - 20}) {
    SCOPED_TRACE(start);
    Harness h(800, 4);
    h.loop.now = start;
    const Recording run = h.Play(19);
    EXPECT_EQ(run.steps.size(), 21u);
    EXPECT_EQ(h.loop.waits, 21);
    EXPECT_EQ(static_cast<std::uint32_t>(h.loop.now - start), 21u * 51);
  }
}

// A host with a clock finer than its tick: a step lasts its interval to the microsecond, not
// until the first whole tick past it (which made 40 steps of 10 ms last at least 440 ms).
TEST(EffectsFrame, AFinerClockEndsEachStepJustPastItsInterval) {
  struct FineLoop : RecordingLoop {
    std::int64_t us = 7'000'250;  // a quarter of a millisecond into a tick
    std::vector<std::int64_t> refreshed_at;
    std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(us / 1000); }
    std::optional<std::int64_t> GetMicroseconds() override { return us; }
    void DoEvents() override { us += 30; }  // a yield's own time
    void WaitForEventsUntil(std::uint32_t tick) override {
      ++waits;
      us = std::max<std::int64_t>(us, std::int64_t{tick} * 1000);
    }
    void Refresh(const Surface& /*picture1*/) override {
      refreshed_at.push_back(us);
      us += 1'700;  // presenting
    }
  };
  struct Case {
    int number;
    int steps;
  };
  for (const Case c : {Case{13, 40}, Case{19, 21}}) {
    SCOPED_TRACE(c.number);
    Harness h(800, 4);
    FineLoop loop;
    const std::int64_t began = loop.us;
    effects::RunTransition(c.number, h.state, loop, h.QuitFlag, h.picture1, h.now, h.next);
    const std::int64_t interval =
        std::int64_t{effects::DescribeTransition(c.number).interval_ms} * 1000;
    // Steps are drawn at once, so the refreshes lie one step apart.
    ASSERT_GE(loop.refreshed_at.size(), static_cast<std::size_t>(c.steps));
    for (std::size_t i = 0; i + 1 < loop.refreshed_at.size(); ++i) {
      const std::int64_t lasted = loop.refreshed_at[i + 1] - loop.refreshed_at[i];
      EXPECT_GT(lasted, interval) << "step " << i;
      EXPECT_LT(lasted, interval + 100) << "step " << i;
    }
    EXPECT_LT(loop.us - began, c.steps * (interval + 100) + 1'700);
    EXPECT_GT(loop.waits, 0);  // it slept, rather than polled the whole interval
  }
}

TEST(EffectsFrame, NumbersOutsideOneToTwentyNineDrawNothing) {
  for (const int number : {0, 30, 255, -1}) {
    Harness h(16, 16);
    h.Play(number);
    EXPECT_TRUE(h.loop.log.empty());
    EXPECT_EQ(h.loop.clock_reads, 0);
    EXPECT_EQ(h.picture1.Pixel(0, 0), 0x00FFFFFFu);
  }
}

TEST(EffectsFrame, TableNamesAndIntervals) {
  constexpr std::array<std::uint32_t, 29> kIntervals = {50, 50, 40, 40, 50, 50, 50, 50, 40, 40,
                                                        20, 20, 10, 10, 25, 25, 25, 25, 50, 50,
                                                        50, 50, 40, 40, 20, 40, 40, 40, 40};
  for (int number = 1; number <= 29; ++number) {
    EXPECT_EQ(effects::DescribeTransition(number).interval_ms, kIntervals[number - 1]);
  }
  EXPECT_EQ(effects::DescribeTransition(1).name, "EffectOpenToLeftAndRight");
  EXPECT_EQ(effects::DescribeTransition(9).name, "EffectSpiralBlocks");
  EXPECT_EQ(effects::DescribeTransition(25).name, "EffectShrinkThenGrow");
  EXPECT_EQ(effects::DescribeTransition(29).name, "EffectPushFromBottom");
  EXPECT_TRUE(effects::DescribeTransition(30).name.empty());
}

}  // namespace

namespace {

// The effects' coordinates go through px(): to the nearest integer, ties to the even one, and
// anything outside the 32-bit range is an overflow, right up to the last representable value.
TEST(EffectsCoordinates, PxRoundsTiesToEvenAndRefusesOnlyValuesPastTheRange) {
  EXPECT_EQ(scenesaver::base::px(2.5), 2);
  EXPECT_EQ(scenesaver::base::px(3.5), 4);
  EXPECT_EQ(scenesaver::base::px(-2.5), -2);
  EXPECT_EQ(scenesaver::base::px(2147483647.0), 2147483647);
  EXPECT_EQ(scenesaver::base::px(-2147483648.0), -2147483647 - 1);
  EXPECT_EQ(scenesaver::base::px(2147483647.4), 2147483647);
  EXPECT_THROW(scenesaver::base::px(2147483647.5), scenesaver::base::RuntimeFailure);
  EXPECT_THROW(scenesaver::base::px(-2147483649.0), scenesaver::base::RuntimeFailure);
}

}  // namespace
