// Wipes (effects 19 to 22): the next picture uncovered in place.
#include <gtest/gtest.h>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

TEST(EffectsWipes, EachCopyKeepsItsPlace) {
  Harness h(800, 600, 2, 2);
  const Recording r19 = h.Play(19);
  EXPECT_EQ(r19.steps[0].at(0), Copy(Source::kNextPicture, 0, 0, 1, 600, 0, 0));
  EXPECT_EQ(r19.steps[20].at(0), Copy(Source::kNextPicture, 0, 0, 801, 600, 0, 0));

  Harness h21(800, 600, 2, 2);
  const Recording r21 = h21.Play(21);
  EXPECT_EQ(r21.steps[0].at(0), Copy(Source::kNextPicture, 800, 0, 0, 600, 800, 0));
  EXPECT_EQ(r21.steps[5].at(0), Copy(Source::kNextPicture, 600, 0, 200, 600, 600, 0));

  Harness h20(800, 601, 2, 2);  // counts to 600 in steps of 30
  const Recording r20 = h20.Play(20);
  EXPECT_EQ(r20.steps[0].at(0), Copy(Source::kNextPicture, 0, 0, 800, 0, 0, 0));
  EXPECT_EQ(r20.steps[20].at(0), Copy(Source::kNextPicture, 0, 0, 800, 600, 0, 0));

  Harness h22(800, 601, 2, 2);
  const Recording r22 = h22.Play(22);
  EXPECT_EQ(r22.steps[0].at(0), Copy(Source::kNextPicture, 0, 600, 800, 0, 0, 600));
  EXPECT_EQ(r22.steps[3].at(0), Copy(Source::kNextPicture, 0, 510, 800, 90, 0, 510));
}

TEST(EffectsWipes, FromTopAndFromBottomKeepTheBottomRowUntilTheFinalCopy) {
  for (const int number : {20, 22}) {
    SCOPED_TRACE(number);
    Harness h(3, 768);
    h.loop.on_refresh = [&](const Surface& s, int) {
      EXPECT_EQ(s.Pixel(1, 767), Coded(kNowTag, 1, 767));
    };
    h.Play(number);
    EXPECT_TRUE(h.Shows(h.next));
  }
}

TEST(EffectsWipes, FromBottomReachesTheBottomRowOnlyWhenTheCounterEndsInAHalf) {
  // H = 600: the eleventh counter is exactly 299.5, and both conversions go up to 300; the
  // row then keeps the next picture.
  Harness h(3, 600);
  h.loop.on_refresh = [&](const Surface& s, int step) {
    const std::uint32_t tag = step >= 10 ? kNextTag : kNowTag;
    EXPECT_EQ(s.Pixel(1, 599) & 0xF0000000u, tag) << step;
  };
  const Recording run = h.Play(22);
  EXPECT_EQ(run.steps[10].at(0), Copy(Source::kNextPicture, 0, 300, 3, 300, 0, 300));
}

TEST(EffectsWipes, QuitDuringAWipeLeavesTheFinalCopyUnrefreshed) {
  Harness h(64, 48);
  h.loop.quit_after_refresh = 3;
  const Recording run = h.Play(22);
  EXPECT_EQ(run.steps.size(), 3u);
  EXPECT_FALSE(run.refreshed_after_final);
  EXPECT_TRUE(h.Shows(h.next));
}

}  // namespace
