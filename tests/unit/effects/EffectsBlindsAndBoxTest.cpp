// Blinds (effect 4) and box out from the centre (effect 10).
#include <gtest/gtest.h>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

struct BlindsCase {
  int height, band, strip;
  std::size_t steps;
  int last_top;  // px(last c): the first band's last strip
};

TEST(EffectsBlinds, StepCountsStripsAndLastOffsetsFollowTheHeight) {
  // Last counters: 120, 147.39996, 202.39996, 203.5 (a tie, to the even 204).
  for (const BlindsCase& k :
       {BlindsCase{600, 120, 6, 25, 120}, BlindsCase{768, 154, 8, 23, 147},
        BlindsCase{1022, 204, 10, 23, 202}, BlindsCase{1024, 205, 10, 23, 204}}) {
    SCOPED_TRACE(k.height);
    Harness h(2, k.height);
    const Recording run = h.Play(4);
    ASSERT_EQ(run.steps.size(), k.steps);
    for (const auto& step : run.steps) {
      ASSERT_EQ(step.size(), 5u);
      for (int band = 0; band < 5; ++band) {
        EXPECT_EQ(step[band].h, k.strip);
        EXPECT_EQ(step[band].sy, step[band].y);
      }
    }
    EXPECT_EQ(run.steps.back()[0].y, k.last_top);
  }
}

TEST(EffectsBlinds, At600EachBandTakesStripsOfSixEveryFiveRows) {
  Harness h(2, 600);
  const Recording run = h.Play(4);
  for (int i = 0; i < 25; ++i) {
    for (int band = 0; band < 5; ++band) {
      EXPECT_EQ(run.steps[i][band],
                Copy(Source::kNextPicture, 0, 120 * band + 5 * i, 2, 6, 0, 120 * band + 5 * i));
    }
  }
}

TEST(EffectsBlinds, RowsBelowTheFifthBandWaitForItsLastStrip) {
  // H = 1022: five bands of 204 span 1020 rows; only the fifth band's last strip (rows 1018 to
  // 1027, clipped) reaches the two rows below it.
  Harness h(2, 1022);
  h.loop.on_refresh = [&](const Surface& s, int step) {
    const std::uint32_t tag = step == 22 ? kNextTag : kNowTag;
    EXPECT_EQ(s.Pixel(1, 1020) & 0xF0000000u, tag) << step;
    EXPECT_EQ(s.Pixel(1, 1021) & 0xF0000000u, tag) << step;
    if (step == 22) {
      for (int y = 0; y < 1022; ++y) ASSERT_EQ(s.Pixel(0, y), Coded(kNextTag, 0, y)) << y;
    }
  };
  const Recording run = h.Play(4);
  EXPECT_EQ(run.steps.back()[4], Copy(Source::kNextPicture, 0, 1018, 2, 10, 0, 1018));
}

TEST(EffectsBlinds, ALowSurfaceStillEndsAndFillsEveryBand) {
  // Heights of 100 and 60 give bands of 20 and 12, whose nominal step is 0 or negative.
  for (const int height : {100, 60, 2}) {
    SCOPED_TRACE(height);
    Harness h(3, height);
    const int band = height / 5;
    bool filled = false;
    h.loop.on_refresh = [&](const Surface& s, int step) {
      if (step != band) return;
      filled = true;
      for (int y = 0; y < 5 * band; ++y) filled = filled && s.Pixel(2, y) == Coded(kNextTag, 2, y);
    };
    const Recording run = h.Play(4);
    EXPECT_EQ(run.steps.size(), static_cast<std::size_t>(band) + 1);
    EXPECT_TRUE(filled);
    EXPECT_TRUE(h.Shows(h.next));
  }
}

struct BoxCase {
  int width;
  std::array<int, 4> widths;  // first two, last two
};

TEST(EffectsBox, WidthsGrowByATwentiethStayEvenAndCentred) {
  for (const BoxCase& k : {BoxCase{800, {0, 40, 720, 760}}, BoxCase{1024, {0, 52, 936, 988}},
                           BoxCase{1366, {0, 68, 1224, 1292}}}) {
    SCOPED_TRACE(k.width);
    Harness h(k.width, 2);
    const Recording run = h.Play(10);
    ASSERT_EQ(run.steps.size(), 20u);
    EXPECT_EQ(run.steps[0][0].w, k.widths[0]);
    EXPECT_EQ(run.steps[1][0].w, k.widths[1]);
    EXPECT_EQ(run.steps[18][0].w, k.widths[2]);
    EXPECT_EQ(run.steps[19][0].w, k.widths[3]);
    for (const auto& step : run.steps) {
      const DrawCall& c = step.at(0);
      EXPECT_EQ(c.w % 2, 0);
      EXPECT_EQ(c.x + c.w / 2, k.width / 2);
      EXPECT_EQ(std::make_pair(c.sx, c.sy), std::make_pair(c.x, c.y));
    }
  }
}

TEST(EffectsBox, At1366TheCornerMoves34PixelsAStep) {
  Harness h(1366, 768, 2, 2);
  const Recording run = h.Play(10);
  EXPECT_EQ(run.steps[0][0], Copy(Source::kNextPicture, 683, 384, 0, 0, 683, 384));
  EXPECT_EQ(run.steps[1][0].x, 649);
  EXPECT_EQ(run.steps[2][0].x, 615);
  EXPECT_EQ(run.steps[1][0].y, 365);  // sy = 19.2
}

}  // namespace
