// Where the picture lands in a window and at which scale.
#include <gtest/gtest.h>

#include "platform/PresentScale.h"

namespace {

using scenesaver::platform::ParseScaleMode;
using scenesaver::platform::Placement;
using scenesaver::platform::PlacePicture;
using scenesaver::platform::Rect;
using scenesaver::platform::ScaleMode;

TEST(PresentScale, AutoTakesTheLargestWholeMultipleThatFitsCentred) {
  EXPECT_EQ(PlacePicture({3840, 2160}, {800, 600}, ScaleMode::kAuto),
            (Placement{{720, 180, 2400, 1800}, 3}));
  EXPECT_EQ(PlacePicture({1920, 1080}, {1920, 1080}, ScaleMode::kAuto),
            (Placement{{0, 0, 1920, 1080}, 1}));
  // One pixel short of twice in one direction: once.
  EXPECT_EQ(PlacePicture({1599, 1200}, {800, 600}, ScaleMode::kAuto),
            (Placement{{399, 300, 800, 600}, 1}));
  // Odd margins are truncated as the show centres: 1001/2 - 333/2 = 500 - 166.
  EXPECT_EQ(PlacePicture({1001, 400}, {333, 100}, ScaleMode::kAuto),
            (Placement{{1, 50, 999, 300}, 3}));
}

TEST(PresentScale, AutoScalesDownSmoothlyKeepingTheAspectWhenThePictureDoesNotFit) {
  // 1024x768 on 800x600: the same aspect, the whole window.
  EXPECT_EQ(PlacePicture({800, 600}, {1024, 768}, ScaleMode::kAuto),
            (Placement{{0, 0, 800, 600}, 0}));
  // A preview window 320x200 of an 800x600 show: the height limits, 266.67 rounds to 267.
  EXPECT_EQ(PlacePicture({320, 200}, {800, 600}, ScaleMode::kAuto),
            (Placement{{27, 0, 267, 200}, 0}));
  // Width limits: 1000x100 in 500x500 gives 500x50.
  EXPECT_EQ(PlacePicture({500, 500}, {1000, 100}, ScaleMode::kAuto),
            (Placement{{0, 225, 500, 50}, 0}));
  // Extreme shapes keep at least one pixel.
  EXPECT_EQ(PlacePicture({10, 10}, {100000, 1}, ScaleMode::kAuto).area.height, 1);
}

TEST(PresentScale, OneToOneIsTheClassicCentredPlacementEvenWhenCut) {
  EXPECT_EQ(PlacePicture({3840, 2160}, {800, 600}, ScaleMode::kOneToOne),
            (Placement{{1520, 780, 800, 600}, 1}));
  EXPECT_EQ(PlacePicture({800, 600}, {1024, 768}, ScaleMode::kOneToOne),
            (Placement{{-112, -84, 1024, 768}, 1}));
}

TEST(PresentScale, FillUsesTheWholeExtentSmoothlyUnlessThatIsAWholeMultiple) {
  EXPECT_EQ(PlacePicture({1920, 1080}, {800, 600}, ScaleMode::kFill),
            (Placement{{240, 0, 1440, 1080}, 0}));
  EXPECT_EQ(PlacePicture({1600, 1300}, {800, 600}, ScaleMode::kFill),
            (Placement{{0, 50, 1600, 1200}, 2}));
}

TEST(PresentScale, EmptySizesAndModeNames) {
  EXPECT_EQ(PlacePicture({0, 0}, {800, 600}, ScaleMode::kAuto).factor, 1);
  EXPECT_EQ(PlacePicture({800, 600}, {0, 0}, ScaleMode::kFill).area, (Rect{400, 300, 0, 0}));
  EXPECT_EQ(ParseScaleMode("auto"), ScaleMode::kAuto);
  EXPECT_EQ(ParseScaleMode("1"), ScaleMode::kOneToOne);
  EXPECT_EQ(ParseScaleMode("fill"), ScaleMode::kFill);
  EXPECT_EQ(ParseScaleMode("Fill"), std::nullopt);
  EXPECT_EQ(ParseScaleMode(""), std::nullopt);
}

}  // namespace
