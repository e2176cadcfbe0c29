// Centre zooms (effects 23 to 25) at 1024 x 768: cx 512, cy 384, corner moves 26 x 19.
#include <gtest/gtest.h>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

TEST(EffectsCentreZooms, ZoomInGrowsTheNextPictureOutOfTheCentre) {
  Harness h(1024, 768, 2, 2);
  const Recording run = h.Play(23);
  ASSERT_EQ(run.steps.size(), 21u);
  for (int i = 0; i <= 20; ++i) {
    ASSERT_EQ(run.steps[i].size(), 1u);
    EXPECT_EQ(run.steps[i][0],
              Stretch(Source::kNextPicture, 512 - 26 * i, 384 - 19 * i, 52 * i, 38 * i, 1024, 768));
  }
  EXPECT_EQ(run.steps[20][0].x, -8);
  EXPECT_EQ(run.steps[20][0].y, 4);
}

TEST(EffectsCentreZooms, ZoomOutShrinksTheCurrentPictureOverTheNext) {
  Harness h(1024, 768, 2, 2);
  const Recording run = h.Play(24);
  ASSERT_EQ(run.steps.size(), 21u);
  for (int i = 0; i <= 20; ++i) {
    ASSERT_EQ(run.steps[i].size(), 2u);
    EXPECT_EQ(run.steps[i][0], Copy(Source::kNextPicture, 0, 0, 1024, 768, 0, 0));
    EXPECT_EQ(run.steps[i][1], Stretch(Source::kNowPicture, 26 * i, 19 * i, 2 * (512 - 26 * i),
                                       2 * (384 - 19 * i), 1024, 768));
  }
  EXPECT_EQ(run.steps[20][1], Stretch(Source::kNowPicture, 520, 380, -16, 8, 1024, 768));
}

TEST(EffectsCentreZooms, ShrinkThenGrowRunsBackThroughTheSameRectangles) {
  Harness h(1024, 768, 2, 2);
  const Recording run = h.Play(25);
  ASSERT_EQ(run.steps.size(), 41u);
  for (int i = 0; i <= 20; ++i) {
    ASSERT_EQ(run.steps[i].size(), 2u);
    EXPECT_EQ(run.steps[i][0], Fill(1024, 768));
    EXPECT_EQ(run.steps[i][1], Stretch(Source::kNowPicture, 26 * i, 19 * i, 2 * (512 - 26 * i),
                                       2 * (384 - 19 * i), 1024, 768));
  }
  for (int i = 21; i <= 40; ++i) {
    ASSERT_EQ(run.steps[i].size(), 1u);
    const DrawCall mirror = run.steps[41 - i][1];
    EXPECT_EQ(run.steps[i][0],
              Stretch(Source::kNextPicture, mirror.x, mirror.y, mirror.w, mirror.h, 1024, 768));
  }
  EXPECT_EQ(run.steps[21][0], Stretch(Source::kNextPicture, 520, 380, -16, 8, 1024, 768));
  EXPECT_EQ(run.steps[40][0], Stretch(Source::kNextPicture, 26, 19, 972, 730, 1024, 768));
  EXPECT_FALSE(run.refreshed_after_final);
}

TEST(EffectsCentreZooms, QuitWhileShrinkingReplacesTheBlackSurfaceByTheNextPicture) {
  Harness h(64, 48);
  h.loop.quit_after_refresh = 4;
  EXPECT_EQ(h.Play(25).steps.size(), 4u);
  EXPECT_TRUE(h.Shows(h.next));
}

}  // namespace
