// Flips (effects 11 to 14): a whole picture scaled into a centred band.
#include <gtest/gtest.h>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

// The band of each step: (source, inset, extent along the axis), from its stretched copy.
struct Band {
  Source source;
  int d;
  int extent;
  bool operator==(const Band&) const = default;
};

std::vector<Band> Bands(const Recording& run, bool across_width) {
  std::vector<Band> bands;
  for (const auto& step : run.steps) {
    const DrawCall& c = step.back();
    EXPECT_EQ(c.kind, DrawCall::Kind::kStretch);
    bands.push_back(across_width ? Band{c.source, c.x, c.w} : Band{c.source, c.y, c.h});
  }
  return bands;
}

TEST(EffectsFlips, FlipHorizontalAt800NarrowsOnBlackThenWidens) {
  Harness h(800, 6);
  int black_steps = 0;
  h.loop.on_refresh = [&](const Surface& s, int step) {
    const bool black =
        std::all_of(s.Pixels().begin(), s.Pixels().end(), [](std::uint32_t p) { return p == 0; });
    if (black) {
      ++black_steps;
      EXPECT_TRUE(step == 10 || step == 11) << step;
    }
  };
  const Recording run = h.Play(11);
  ASSERT_EQ(run.steps.size(), 20u);
  const auto bands = Bands(run, true);
  for (int i = 0; i <= 10; ++i) {
    EXPECT_EQ(run.steps[i].size(), 2u);
    EXPECT_EQ(run.steps[i][0], Fill(800, 6));
    EXPECT_EQ(bands[i], (Band{Source::kNowPicture, 40 * i, 800 - 80 * i}));
  }
  for (int i = 11; i <= 19; ++i) {
    EXPECT_EQ(run.steps[i].size(), 1u);
    EXPECT_EQ(bands[i], (Band{Source::kNextPicture, 400 - 40 * (i - 11), 80 * (i - 11)}));
  }
  EXPECT_EQ(black_steps, 2);
  EXPECT_TRUE(run.refreshed_after_final);
  EXPECT_EQ(run.steps[19][0], Stretch(Source::kNextPicture, 80, 0, 640, 6, 800, 6));
}

TEST(EffectsFlips, FlipHorizontalAt1366NarrowsToSixColumns) {
  Harness h(1366, 2);
  const auto bands = Bands(h.Play(11), true);
  EXPECT_EQ(bands[1].d, 68);
  EXPECT_EQ(bands[2].d, 136);
  EXPECT_EQ(bands[10], (Band{Source::kNowPicture, 680, 6}));
}

TEST(EffectsFlips, FlipVerticalWorksAcrossTheHeight) {
  Harness h(6, 800);
  const Recording run = h.Play(12);
  EXPECT_EQ(run.steps[3][1], Stretch(Source::kNowPicture, 0, 120, 6, 560, 6, 800));
  EXPECT_EQ(run.steps[12][0], Stretch(Source::kNextPicture, 0, 360, 6, 80, 6, 800));
}

TEST(EffectsFlips, DoubleFlipAt800MirrorsAn80ColumnBandAtSteps11And30) {
  Harness h(800, 2);
  h.loop.on_refresh = [&](const Surface& s, int step) {
    if (step != 11 && step != 30) return;
    const std::uint32_t tag = step == 11 ? kNowTag : kNextTag;
    // Mirrored: the band's left end shows the picture's right side.
    EXPECT_EQ(s.Pixel(360, 0) & 0xF0000000u, tag);
    EXPECT_EQ(s.Pixel(439, 0) & 0xF0000000u, tag);
    EXPECT_GT(s.Pixel(360, 0) & 0x3FFFu, 790u);
    EXPECT_LT(s.Pixel(439, 0) & 0x3FFFu, 10u);
  };
  const Recording run = h.Play(13);
  ASSERT_EQ(run.steps.size(), 40u);
  const auto bands = Bands(run, true);
  for (int i = 0; i <= 10; ++i)
    EXPECT_EQ(bands[i], (Band{Source::kNowPicture, 40 * i, 800 - 80 * i}));
  EXPECT_EQ(bands[11], (Band{Source::kNowPicture, 440, -80}));
  for (int i = 12; i <= 20; ++i) {
    EXPECT_EQ(bands[i], (Band{Source::kNowPicture, 400 - 40 * (i - 12), 80 * (i - 12)}));
  }
  for (int i = 21; i <= 29; ++i) {
    EXPECT_EQ(bands[i], (Band{Source::kNextPicture, 80 + 40 * (i - 21), 640 - 80 * (i - 21)}));
  }
  EXPECT_EQ(bands[30], (Band{Source::kNextPicture, 440, -80}));
  for (int i = 31; i <= 39; ++i) {
    EXPECT_EQ(bands[i], (Band{Source::kNextPicture, 400 - 40 * (i - 31), 80 * (i - 31)}));
  }
  for (const auto& step : run.steps) EXPECT_EQ(step.size(), 1u);  // never a fill
  EXPECT_TRUE(run.refreshed_after_final);
}

TEST(EffectsFlips, DoubleFlipLeavesTheOpeningCopysEdgesWhileNarrowing) {
  Harness h(800, 2);
  h.loop.on_refresh = [&](const Surface& s, int step) {
    if (step == 5) {
      EXPECT_EQ(s.Pixel(0, 0), Coded(kNowTag, 0, 0));
    }
  };
  h.Play(13);
}

TEST(EffectsFlips, DoubleFlipVerticalMirrorsAcrossTheHeight) {
  Harness h(2, 800);
  const Recording run = h.Play(14);
  EXPECT_EQ(run.steps[11][0], Stretch(Source::kNowPicture, 0, 440, 2, -80, 2, 800));
  EXPECT_EQ(run.steps[30][0], Stretch(Source::kNextPicture, 0, 440, 2, -80, 2, 800));
}

}  // namespace
