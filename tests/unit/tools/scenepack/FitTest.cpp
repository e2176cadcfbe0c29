#include <gtest/gtest.h>

#include "tools/scenepack/Fit.h"

namespace {

using scenesaver::scenepack::Centred;
using scenesaver::scenepack::Fit;
using scenesaver::scenepack::FitPlan;
using scenesaver::scenepack::Offset;
using scenesaver::scenepack::PixelSize;
using scenesaver::scenepack::PlanFit;

constexpr PixelSize kArea{800, 600};

struct Case {
  PixelSize picture;
  Fit fit;
  PixelSize scaled;
  Offset crop;
  PixelSize stored;
};

// Worked by hand: one side equals the area's, the other rounded to the nearest pixel.
TEST(Fit, PlansAtLandscapePortraitSquareSmallerAndLargerPictures) {
  const Case cases[] = {
      {{4000, 3000}, Fit::kContain, {800, 600}, {0, 0}, {800, 600}},   // same shape
      {{3000, 2000}, Fit::kContain, {800, 533}, {0, 0}, {800, 533}},   // 533.3
      {{3000, 4000}, Fit::kContain, {450, 600}, {0, 0}, {450, 600}},   // portrait
      {{1000, 1000}, Fit::kContain, {600, 600}, {0, 0}, {600, 600}},   // square
      {{40, 30}, Fit::kContain, {800, 600}, {0, 0}, {800, 600}},       // smaller: enlarged
      {{41, 31}, Fit::kContain, {794, 600}, {0, 0}, {794, 600}},       // 793.5 rounds up
      {{1, 5000}, Fit::kContain, {1, 600}, {0, 0}, {1, 600}},          // never below a pixel
      {{40, 30}, Fit::kShrink, {40, 30}, {0, 0}, {40, 30}},            // smaller: untouched
      {{800, 600}, Fit::kShrink, {800, 600}, {0, 0}, {800, 600}},      // equal: untouched
      {{3000, 2000}, Fit::kShrink, {800, 533}, {0, 0}, {800, 533}},    // larger: contained
      {{900, 100}, Fit::kShrink, {800, 89}, {0, 0}, {800, 89}},        // wider only: 88.9
      {{3000, 2000}, Fit::kCover, {900, 600}, {50, 0}, {800, 600}},    // sides cropped
      {{3000, 4000}, Fit::kCover, {800, 1067}, {0, 233}, {800, 600}},  // top and bottom cropped
      {{1000, 1000}, Fit::kCover, {800, 800}, {0, 100}, {800, 600}},
      {{40, 30}, Fit::kCover, {800, 600}, {0, 0}, {800, 600}},
      {{801, 601}, Fit::kCover, {800, 600}, {0, 0}, {800, 600}},     // 600.25 rounds down
      {{3001, 2000}, Fit::kCover, {900, 600}, {50, 0}, {800, 600}},  // 900.3: odd overhang
      {{3000, 2000}, Fit::kNone, {3000, 2000}, {0, 0}, {3000, 2000}},
  };
  for (const Case& c : cases) {
    const FitPlan plan = PlanFit(c.picture, kArea, c.fit);
    const std::string label = std::to_string(c.picture.width) + "x" +
                              std::to_string(c.picture.height) + " fit " +
                              std::to_string(static_cast<int>(c.fit));
    EXPECT_EQ(plan.scaled, c.scaled)
        << label << " scaled " << plan.scaled.width << "x" << plan.scaled.height;
    EXPECT_EQ((Offset{plan.crop_left, plan.crop_top}), c.crop) << label;
    EXPECT_EQ(plan.stored, c.stored) << label;
    // The stored rectangle always lies inside the scaled picture.
    EXPECT_LE(plan.crop_left + plan.stored.width, plan.scaled.width) << label;
    EXPECT_LE(plan.crop_top + plan.stored.height, plan.scaled.height) << label;
  }
}

TEST(Fit, APictureOfTheAreasSizeNeedsNoResizeInAnyFit) {
  for (const Fit fit : {Fit::kNone, Fit::kContain, Fit::kCover, Fit::kShrink}) {
    const FitPlan plan = PlanFit(kArea, kArea, fit);
    EXPECT_FALSE(plan.Resizes(kArea));
    EXPECT_FALSE(plan.Crops());
  }
  EXPECT_TRUE(PlanFit({801, 600}, kArea, Fit::kContain).Resizes({801, 600}));
  EXPECT_TRUE(PlanFit({3000, 2000}, kArea, Fit::kCover).Crops());
}

TEST(Fit, CentringLeavesAnOddPixelRightAndBelowAndOverhangsEvenly) {
  EXPECT_EQ(Centred({800, 533}, kArea), (Offset{0, 33}));  // 67 rows: 33 above, 34 below
  EXPECT_EQ(Centred({450, 600}, kArea), (Offset{175, 0}));
  EXPECT_EQ(Centred({794, 600}, kArea), (Offset{3, 0}));
  EXPECT_EQ(Centred({1, 1}, {2, 2}), (Offset{0, 0}));
  EXPECT_EQ(Centred({900, 600}, kArea), (Offset{-50, 0}));
  EXPECT_EQ(Centred({901, 603}, kArea), (Offset{-51, -2}));  // one more column off the left
}

TEST(Fit, WhollyOutsideOnlyWhenNoPixelIsInTheArea) {
  using scenesaver::scenepack::WhollyOutside;
  EXPECT_TRUE(WhollyOutside({100, 100}, {800, 0}, kArea));
  EXPECT_FALSE(WhollyOutside({100, 100}, {799, 0}, kArea));
  EXPECT_TRUE(WhollyOutside({100, 100}, {-100, 0}, kArea));
  EXPECT_FALSE(WhollyOutside({100, 100}, {-99, 599}, kArea));
  EXPECT_TRUE(WhollyOutside({100, 100}, {0, 600}, kArea));
  EXPECT_TRUE(WhollyOutside({100, 100}, {0, -100}, kArea));
  EXPECT_FALSE(WhollyOutside({2000, 2000}, {-500, -500}, kArea));  // covers the whole area
  EXPECT_TRUE(WhollyOutside({10, 10}, {2147483647, 0}, kArea));
}

TEST(Fit, SizeTextAcceptsXOfEitherCaseAndTheTimesSignWithOrWithoutSpaces) {
  using scenesaver::scenepack::ParseSizeText;
  for (const char* text : {"1024x768", "1024X768", "1024×768", "1024 x 768", " 1024 × 768 "}) {
    ASSERT_TRUE(ParseSizeText(text)) << text;
    EXPECT_EQ(*ParseSizeText(text), (PixelSize{1024, 768})) << text;
  }
  for (const char* text : {"1024*768", "1024x", "x768", "1024x768x1", "-1x5", "1024 768", "",
                           "10 24x768", "1024x768px", "99999999999x1", "1024\xC3x768"}) {
    EXPECT_FALSE(ParseSizeText(text)) << text;
  }
  EXPECT_EQ(*ParseSizeText("0x0"), (PixelSize{0, 0}));  // the range is the caller's to check
}

}  // namespace
