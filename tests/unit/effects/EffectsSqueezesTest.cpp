// Squeezes (effects 15 to 18): both pictures whole, each scaled along one axis.
#include <gtest/gtest.h>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

// The band b of each step, from the next picture's stretched copy.
std::vector<int> BandsOf(const Recording& run, bool across_width) {
  std::vector<int> bands;
  for (const auto& step : run.steps) {
    EXPECT_EQ(step.size(), 2u);
    EXPECT_EQ(step.at(0).source, Source::kNowPicture);
    EXPECT_EQ(step.at(1).source, Source::kNextPicture);
    bands.push_back(across_width ? step.at(1).w : step.at(1).h);
  }
  return bands;
}

std::vector<int> Multiples(int step, int count) {
  std::vector<int> v;
  for (int i = 0; i < count; ++i) v.push_back(step * i);
  return v;
}

TEST(EffectsSqueezes, FromLeftAt1024GrowsBy51Or52AndEndsAt1020) {
  Harness h(1024, 2);
  const Recording run = h.Play(15);
  const auto bands = BandsOf(run, true);
  ASSERT_EQ(bands.size(), 21u);
  EXPECT_EQ(bands[1], 51);
  EXPECT_EQ(bands[2], 102);
  EXPECT_EQ(bands[20], 1020);
  EXPECT_EQ(run.steps[0][0], Stretch(Source::kNowPicture, 0, 0, 1024, 2, 1024, 2));
  EXPECT_EQ(run.steps[20][0], Stretch(Source::kNowPicture, 1020, 0, 4, 2, 1024, 2));
  EXPECT_EQ(run.steps[20][1], Stretch(Source::kNextPicture, 0, 0, 1020, 2, 1024, 2));
  EXPECT_TRUE(run.refreshed_after_final);
}

TEST(EffectsSqueezes, At1030HalvesGoToTheEvenNeighbourAndTheBandOvershoots) {
  Harness h(1030, 2);
  const Recording run = h.Play(15);
  EXPECT_EQ(BandsOf(run, true), Multiples(52, 21));
  // The current picture's copy is mirrored and lies wholly outside the surface.
  EXPECT_EQ(run.steps[20][0], Stretch(Source::kNowPicture, 1040, 0, -10, 2, 1030, 2));
}

TEST(EffectsSqueezes, FromRightPlacesTheBandAtTheRightEdge) {
  Harness h(1024, 2);
  const Recording run = h.Play(17);
  EXPECT_EQ(run.steps[2][0], Stretch(Source::kNowPicture, 0, 0, 922, 2, 1024, 2));
  EXPECT_EQ(run.steps[2][1], Stretch(Source::kNextPicture, 922, 0, 102, 2, 1024, 2));
}

TEST(EffectsSqueezes, FromTopAndBottomAt768UseBandsOf38Rows) {
  for (const int number : {16, 18}) {
    SCOPED_TRACE(number);
    Harness h(2, 768);
    const Recording run = h.Play(number);
    EXPECT_EQ(BandsOf(run, false), Multiples(38, 21));
    const int top = number == 16 ? 0 : 768 - 76;
    EXPECT_EQ(run.steps[2][1], Stretch(Source::kNextPicture, 0, top, 2, 76, 2, 768));
    EXPECT_EQ(run.steps[2][0],
              Stretch(Source::kNowPicture, 0, number == 16 ? 76 : 0, 2, 692, 2, 768));
  }
}

TEST(EffectsSqueezes, BothPicturesStayWhole) {
  Harness h(100, 3);
  h.loop.on_refresh = [&](const Surface& s, int step) {
    if (step != 10) return;  // b = 50: each picture squeezed to half its width
    const auto source_x = [](std::uint32_t p) { return p & 0x3FFFu; };
    EXPECT_EQ(s.Pixel(0, 0) & 0xF0000000u, kNextTag);
    EXPECT_LE(source_x(s.Pixel(0, 0)), 1u);
    EXPECT_EQ(s.Pixel(49, 0) & 0xF0000000u, kNextTag);
    EXPECT_GE(source_x(s.Pixel(49, 0)), 98u);
    EXPECT_EQ(s.Pixel(50, 0) & 0xF0000000u, kNowTag);
    EXPECT_LE(source_x(s.Pixel(50, 0)), 1u);
    EXPECT_EQ(s.Pixel(99, 0) & 0xF0000000u, kNowTag);
    EXPECT_GE(source_x(s.Pixel(99, 0)), 98u);
  };
  h.Play(15);
}

}  // namespace
