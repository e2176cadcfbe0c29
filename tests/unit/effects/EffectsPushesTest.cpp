// Pushes (effects 26 to 29): the next picture pushes the current one off the surface.
#include <gtest/gtest.h>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

TEST(EffectsPushes, TheCurrentPictureIsCopiedFirstAndTheNextSecond) {
  Harness h(800, 600, 2, 2);
  const Recording r26 = h.Play(26);
  EXPECT_EQ(r26.steps[0].at(0), Copy(Source::kNowPicture, 0, 0, 800, 600, 0, 0));
  EXPECT_EQ(r26.steps[0].at(1), Copy(Source::kNextPicture, 0, 0, 1, 600, 800, 0));
  EXPECT_EQ(r26.steps[5].at(0), Copy(Source::kNowPicture, 200, 0, 600, 600, 0, 0));
  EXPECT_EQ(r26.steps[5].at(1), Copy(Source::kNextPicture, 0, 0, 201, 600, 600, 0));

  Harness h27(800, 600, 2, 2);
  const Recording r27 = h27.Play(27);
  EXPECT_EQ(r27.steps[4].at(0), Copy(Source::kNowPicture, 0, 120, 800, 480, 0, 0));
  EXPECT_EQ(r27.steps[4].at(1), Copy(Source::kNextPicture, 0, 0, 800, 121, 0, 480));

  Harness h28(801, 600, 2, 2);  // counts to 800 in steps of 40
  const Recording r28 = h28.Play(28);
  EXPECT_EQ(r28.steps[0].at(1), Copy(Source::kNextPicture, 801, 0, 0, 600, 0, 0));
  EXPECT_EQ(r28.steps[3].at(0), Copy(Source::kNowPicture, 0, 0, 681, 600, 120, 0));
  EXPECT_EQ(r28.steps[3].at(1), Copy(Source::kNextPicture, 681, 0, 120, 600, 0, 0));
}

TEST(EffectsPushes, BothPicturesMoveTogether) {
  Harness h(40, 2);
  h.loop.on_refresh = [&](const Surface& s, int step) {
    if (step != 5) return;  // c = 10
    EXPECT_EQ(s.Pixel(0, 0), Coded(kNextTag, 30, 0));
    EXPECT_EQ(s.Pixel(9, 0), Coded(kNextTag, 39, 0));
    EXPECT_EQ(s.Pixel(10, 0), Coded(kNowTag, 0, 0));
    EXPECT_EQ(s.Pixel(39, 0), Coded(kNowTag, 29, 0));
  };
  h.Play(26);
}

TEST(EffectsPushes, FromBottomKeepsTheBottomRowUntilTheFinalCopy) {
  Harness h(3, 768);
  int steps = 0;
  h.loop.on_refresh = [&](const Surface& s, int) {
    ++steps;
    EXPECT_EQ(s.Pixel(2, 767), Coded(kNowTag, 2, 767));
  };
  const Recording run = h.Play(29);
  EXPECT_EQ(steps, 21);
  EXPECT_EQ(run.steps[1].at(0), Copy(Source::kNowPicture, 0, 0, 3, 729, 0, 38));
  EXPECT_EQ(run.steps[1].at(1), Copy(Source::kNextPicture, 0, 729, 3, 38, 0, 0));
  EXPECT_TRUE(h.Shows(h.next));
}

}  // namespace
