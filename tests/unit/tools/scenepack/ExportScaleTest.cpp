#include <gtest/gtest.h>

#include <vector>

#include "tools/scenepack/ExportScale.h"

namespace {

using scenesaver::scenepack::FrameSize;
using scenesaver::scenepack::PlanScale;
using scenesaver::scenepack::ScaleMethod;
using scenesaver::scenepack::ScalePlan;

ScalePlan Plan(int width, int height, std::optional<FrameSize> size, std::optional<int> scale,
               bool even = false) {
  auto planned = PlanScale(width, height, size, scale, even);
  EXPECT_TRUE(std::holds_alternative<ScalePlan>(planned));
  return std::holds_alternative<ScalePlan>(planned) ? std::get<ScalePlan>(planned) : ScalePlan{};
}

TEST(ParseFrameSizeTest, TakesWidthByHeightAndRefusesTheRest) {
  ASSERT_TRUE(scenesaver::scenepack::ParseFrameSize("800x600"));
  EXPECT_EQ(scenesaver::scenepack::ParseFrameSize("800x600")->width, 800);
  EXPECT_EQ(scenesaver::scenepack::ParseFrameSize("1X2")->height, 2);
  EXPECT_TRUE(scenesaver::scenepack::ParseFrameSize("16384x16384"));
  for (const char* bad : {"", "800", "x600", "800x", "0x600", "-8x600", "800x600x2", "16385x1",
                          "8a0x600", " 800x600"}) {
    EXPECT_FALSE(scenesaver::scenepack::ParseFrameSize(bad)) << bad;
  }
}

TEST(PlanScaleTest, WithoutSizeOrScaleTheFrameIsThePicture) {
  const ScalePlan plan = Plan(800, 600, std::nullopt, std::nullopt);
  EXPECT_TRUE(plan.Identity());
  EXPECT_EQ(plan.frame_width, 800);
  // 4:2:0 video: an odd picture gains one black column and row, the picture at the top left.
  const ScalePlan odd = Plan(551, 401, std::nullopt, std::nullopt, true);
  EXPECT_EQ(odd.frame_width, 552);
  EXPECT_EQ(odd.frame_height, 402);
  EXPECT_EQ(odd.left, 0);
  EXPECT_EQ(odd.width, 551);
  EXPECT_FALSE(odd.Identity());
}

TEST(PlanScaleTest, ALargerFrameTakesTheLargestWholeMultipleCentred) {
  const ScalePlan hd = Plan(800, 600, FrameSize{1920, 1080}, std::nullopt);
  EXPECT_EQ(hd.method, ScaleMethod::kNearest);
  EXPECT_EQ(hd.factor, 1);
  EXPECT_EQ(hd.left, 560);
  EXPECT_EQ(hd.top, 240);
  const ScalePlan twice = Plan(800, 600, FrameSize{1700, 1250}, std::nullopt);
  EXPECT_EQ(twice.factor, 2);
  EXPECT_EQ(twice.width, 1600);
  EXPECT_EQ(twice.left, 50);
  EXPECT_EQ(twice.top, 25);
  const ScalePlan scaled = Plan(320, 240, std::nullopt, 3);
  EXPECT_EQ(scaled.frame_width, 960);
  EXPECT_EQ(scaled.frame_height, 720);
  EXPECT_EQ(scaled.factor, 3);
}

TEST(PlanScaleTest, ASmallerFrameScalesDownSmoothlyKeepingTheProportions) {
  const ScalePlan half = Plan(800, 600, FrameSize{400, 300}, std::nullopt);
  EXPECT_EQ(half.method, ScaleMethod::kSmooth);
  EXPECT_EQ(half.width, 400);
  EXPECT_EQ(half.height, 300);
  const ScalePlan square = Plan(800, 600, FrameSize{400, 400}, std::nullopt);
  EXPECT_EQ(square.width, 400);
  EXPECT_EQ(square.height, 300);
  EXPECT_EQ(square.top, 50);
  // One side smaller is enough to scale down.
  const ScalePlan narrow = Plan(800, 600, FrameSize{799, 2000}, std::nullopt);
  EXPECT_EQ(narrow.method, ScaleMethod::kSmooth);
  EXPECT_EQ(narrow.width, 799);
  EXPECT_EQ(narrow.height, 599);
}

TEST(PlanScaleTest, RefusesEmptyPicturesAndOversizedFrames) {
  EXPECT_TRUE(std::holds_alternative<std::string>(PlanScale(0, 600, std::nullopt, 1, false)));
  EXPECT_TRUE(std::holds_alternative<std::string>(PlanScale(8000, 10, std::nullopt, 3, false)));
  EXPECT_TRUE(std::holds_alternative<std::string>(PlanScale(8193, 1, std::nullopt, 2, false)));
}

TEST(DrawNearestTest, RepeatsEachPixelFactorTimesInsideABlackBorder) {
  scenesaver::raster::Surface picture(2, 2);
  picture.Row(0)[0] = 1;
  picture.Row(0)[1] = 2;
  picture.Row(1)[0] = 3;
  picture.Row(1)[1] = 4;
  const ScalePlan plan = Plan(2, 2, FrameSize{6, 6}, std::nullopt);
  ASSERT_EQ(plan.factor, 3);
  std::vector<std::uint32_t> frame(36, 0xFFFFFF);
  scenesaver::scenepack::DrawNearest(plan, picture, frame);
  const std::vector<std::uint32_t> expected = {
      1, 1, 1, 2, 2, 2,  //
      1, 1, 1, 2, 2, 2,  //
      1, 1, 1, 2, 2, 2,  //
      3, 3, 3, 4, 4, 4,  //
      3, 3, 3, 4, 4, 4,  //
      3, 3, 3, 4, 4, 4,  //
  };
  EXPECT_EQ(frame, expected);
  // Factor 2 in a 7x5 frame: one black column left, two right, one row below.
  const ScalePlan bordered = Plan(2, 2, FrameSize{7, 5}, std::nullopt);
  ASSERT_EQ(bordered.factor, 2);
  frame.assign(35, 0xFFFFFF);
  scenesaver::scenepack::DrawNearest(bordered, picture, frame);
  const std::vector<std::uint32_t> with_border = {
      0, 1, 1, 2, 2, 0, 0,  //
      0, 1, 1, 2, 2, 0, 0,  //
      0, 3, 3, 4, 4, 0, 0,  //
      0, 3, 3, 4, 4, 0, 0,  //
      0, 0, 0, 0, 0, 0, 0,  //
  };
  EXPECT_EQ(frame, with_border);
}

}  // namespace
