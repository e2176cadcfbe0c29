// Doors (effects 1, 2) and slides (effects 5 to 8).
#include <gtest/gtest.h>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

TEST(EffectsDoors, OpenToLeftAndRightAt800Takes21StepsOfTwenty) {
  Harness h(800, 3);
  const Recording run = h.Play(1);
  ASSERT_EQ(run.steps.size(), 21u);
  for (int k = 0; k <= 20; ++k) {
    SCOPED_TRACE(k);
    const int c = 20 * k;
    ASSERT_EQ(run.steps[k].size(), 3u);
    EXPECT_EQ(run.steps[k][0], Copy(Source::kNowPicture, 0, 0, 400 - c, 3, c, 0));
    EXPECT_EQ(run.steps[k][1], Copy(Source::kNowPicture, c + 400, 0, 400 - c, 3, 400, 0));
    EXPECT_EQ(run.steps[k][2], Copy(Source::kNextPicture, 400 - c, 0, 2 * c, 3, 400 - c, 0));
  }
}

TEST(EffectsDoors, OpenToLeftAndRightAt1024StopsShortAtAbout486) {
  Harness h(1024, 3);
  const Recording run = h.Play(1);
  ASSERT_EQ(run.steps.size(), 20u);
  // The last counter is single(19 x 25.6) = 486.40009: slivers of both halves remain.
  const auto& last = run.steps.back();
  EXPECT_EQ(last[0], Copy(Source::kNowPicture, 0, 0, 26, 3, 486, 0));
  EXPECT_EQ(last[1], Copy(Source::kNowPicture, 998, 0, 26, 3, 512, 0));
  EXPECT_EQ(last[2], Copy(Source::kNextPicture, 26, 0, 973, 3, 26, 0));
}

TEST(EffectsDoors, OpenToTopAndBottomIsTheSameAlongTheHeight) {
  Harness h(3, 800);
  const Recording run = h.Play(2);
  ASSERT_EQ(run.steps.size(), 21u);
  EXPECT_EQ(run.steps[5][0], Copy(Source::kNowPicture, 0, 0, 3, 300, 0, 100));
  EXPECT_EQ(run.steps[5][1], Copy(Source::kNowPicture, 0, 500, 3, 300, 0, 400));
  EXPECT_EQ(run.steps[5][2], Copy(Source::kNextPicture, 0, 300, 3, 200, 0, 300));
}

TEST(EffectsDoors, TheMiddleShowsTheNextPictureInPlaceAndTheHalvesMoveOut) {
  Harness h(40, 2);
  h.loop.on_refresh = [&](const Surface& s, int step) {
    if (step != 5) return;  // c = 5
    EXPECT_EQ(s.Pixel(0, 0), Coded(kNowTag, 5, 0));
    EXPECT_EQ(s.Pixel(14, 0), Coded(kNowTag, 19, 0));
    EXPECT_EQ(s.Pixel(15, 0), Coded(kNextTag, 15, 0));
    EXPECT_EQ(s.Pixel(24, 0), Coded(kNextTag, 24, 0));
    EXPECT_EQ(s.Pixel(25, 0), Coded(kNowTag, 20, 0));
    EXPECT_EQ(s.Pixel(39, 0), Coded(kNowTag, 34, 0));
  };
  h.Play(1);
}

TEST(EffectsSlides, FromLeftAt800BringsInOneColumnMoreThanTheCounter) {
  Harness h(800, 3);
  const Recording run = h.Play(5);
  ASSERT_EQ(run.steps.size(), 21u);
  for (int k = 0; k <= 20; ++k) {
    EXPECT_EQ(run.steps[k].at(0), Copy(Source::kNextPicture, 0, 0, 40 * k + 1, 3, 800 - 40 * k, 0));
  }
}

TEST(EffectsSlides, FromRightAt799CountsTo798InTwentySteps) {
  Harness h(799, 3);
  const Recording run = h.Play(6);
  ASSERT_EQ(run.steps.size(), 20u);
  EXPECT_EQ(run.steps.front().at(0), Copy(Source::kNextPicture, 799, 0, 0, 3, 0, 0));
  EXPECT_EQ(run.steps.back().at(0), Copy(Source::kNextPicture, 41, 0, 758, 3, 0, 0));
}

TEST(EffectsSlides, FromTopTakesTheBottomRowsOfTheNextPicture) {
  Harness h(3, 600);
  const Recording run = h.Play(7);
  ASSERT_EQ(run.steps.size(), 21u);
  EXPECT_EQ(run.steps[3].at(0), Copy(Source::kNextPicture, 0, 0, 3, 91, 0, 510));
}

TEST(EffectsSlides, FromBottomNeverDrawsTheBottomRowDuringItsSteps) {
  // (At H = 600 one counter is exactly 299.5 and that step does reach the bottom row.)
  Harness h(5, 768);
  int checked = 0;
  h.loop.on_refresh = [&](const Surface& s, int) {
    ++checked;
    for (int x = 0; x < 5; ++x) EXPECT_EQ(s.Pixel(x, 767), Coded(kNowTag, x, 767));
  };
  const Recording run = h.Play(8);
  EXPECT_EQ(checked, 21);
  EXPECT_EQ(run.steps.back().at(0), Copy(Source::kNextPicture, 0, 0, 5, 767, 0, 0));
  EXPECT_TRUE(h.Shows(h.next));
}

}  // namespace
