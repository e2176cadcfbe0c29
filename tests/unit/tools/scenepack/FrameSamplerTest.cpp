#include <gtest/gtest.h>

#include <vector>

#include "tools/scenepack/FrameSampler.h"

namespace {

using scenesaver::scenepack::FrameSampler;

scenesaver::raster::Surface Plain(scenesaver::raster::Color color) {
  scenesaver::raster::Surface surface(2, 1, color);
  surface.Cls();
  return surface;
}

// Records the colour of each emitted frame and whether it was marked a repeat, checking the
// indices come in order.
struct Recorder {
  std::vector<scenesaver::raster::Color> colors;
  std::vector<bool> repeats;
  FrameSampler::Emit Emit() {
    return [this](const scenesaver::raster::Surface& frame, std::int64_t index, bool repeat) {
      EXPECT_EQ(index, static_cast<std::int64_t>(colors.size()));
      colors.push_back(frame.Pixel(0, 0));
      repeats.push_back(repeat);
    };
  }
};

TEST(FrameInstantsTest, CountsAndInstantsAreExactAtEveryRate) {
  EXPECT_EQ(scenesaver::scenepack::FrameCountFor(1000, 30), 30);
  EXPECT_EQ(scenesaver::scenepack::FrameCountFor(1001, 30), 31);  // a started frame counts
  EXPECT_EQ(scenesaver::scenepack::FrameCountFor(47776, 30), 1434);
  EXPECT_EQ(scenesaver::scenepack::FrameCountFor(60000, 30), 1800);
  EXPECT_EQ(scenesaver::scenepack::FrameCountFor(5000, 7), 35);
  EXPECT_EQ(scenesaver::scenepack::FrameCountFor(1, 1), 1);
  // Frame 1 at 30 fps stands for 33.33 ms: before tick 34, not before tick 33.
  EXPECT_TRUE(scenesaver::scenepack::FrameBefore(1, 30, 34));
  EXPECT_FALSE(scenesaver::scenepack::FrameBefore(1, 30, 33));
  // Frame 3 at 30 fps is exactly 100 ms: not before tick 100 (a refresh then is shown).
  EXPECT_FALSE(scenesaver::scenepack::FrameBefore(3, 30, 100));
  EXPECT_TRUE(scenesaver::scenepack::FrameBefore(3, 30, 101));
  // Ten hours at 120 fps stays exact.
  EXPECT_EQ(scenesaver::scenepack::FrameCountFor(36'000'000, 120), 4'320'000);
  EXPECT_FALSE(scenesaver::scenepack::FrameBefore(4'320'000, 120, 36'000'000));
}

TEST(FrameSamplerTest, EachFrameShowsTheLastRefreshAtOrBeforeItsInstant) {
  Recorder recorder;
  FrameSampler sampler(30, 6, recorder.Emit());  // instants 0, 33.3, 66.7, 100, 133.3, 166.7
  sampler.Refresh(Plain(1), 0);
  sampler.Refresh(Plain(2), 0);  // the last at a tick wins
  EXPECT_TRUE(recorder.colors.empty());
  sampler.Refresh(Plain(3), 50);
  EXPECT_EQ(recorder.colors, (std::vector<scenesaver::raster::Color>{2, 2}));
  sampler.Refresh(Plain(4), 100);  // on frame 3's instant: frame 3 shows it
  sampler.Refresh(Plain(5), 134);
  sampler.Finish();
  EXPECT_EQ(recorder.colors, (std::vector<scenesaver::raster::Color>{2, 2, 3, 4, 4, 5}));
  // Only a frame after one of the same refresh may skip its conversion.
  EXPECT_EQ(recorder.repeats, (std::vector<bool>{false, true, false, false, true, false}));
  EXPECT_TRUE(sampler.Done());
}

TEST(FrameSamplerTest, AHeldPictureFillsEveryFrameUntilTheNextRefresh) {
  Recorder recorder;
  FrameSampler sampler(10, 100, recorder.Emit());
  sampler.Refresh(Plain(7), 0);
  sampler.Refresh(Plain(8), 4001);  // a hold of four seconds
  EXPECT_EQ(recorder.colors.size(), 41u);
  EXPECT_EQ(recorder.colors.back(), 7u);
  EXPECT_EQ(sampler.FramesEmitted(), 41);
}

TEST(FrameSamplerTest, StopsAtItsCountAndKeepsTheSourcePictureIndependent) {
  Recorder recorder;
  FrameSampler sampler(30, 3, recorder.Emit());
  scenesaver::raster::Surface picture = Plain(1);
  sampler.Refresh(picture, 0);
  picture.SetBackColor(9);
  picture.Cls();  // the show draws on after its refresh; the held copy must not change
  sampler.Refresh(picture, 1000);
  EXPECT_TRUE(sampler.Done());
  sampler.Refresh(Plain(5), 2000);
  sampler.Finish();
  EXPECT_EQ(recorder.colors, (std::vector<scenesaver::raster::Color>{1, 1, 1}));
}

TEST(FrameSamplerTest, ALengthLearntLaterAndANoPictureFinish) {
  Recorder recorder;
  FrameSampler sampler(30, 1'000'000, recorder.Emit());
  sampler.Finish();  // nothing was refreshed: nothing to show
  EXPECT_TRUE(recorder.colors.empty());
  sampler.Refresh(Plain(1), 0);
  sampler.Refresh(Plain(2), 40);
  sampler.SetFrameCount(4);
  sampler.Finish();
  EXPECT_EQ(recorder.colors, (std::vector<scenesaver::raster::Color>{1, 1, 2, 2}));
  EXPECT_EQ(recorder.repeats, (std::vector<bool>{false, true, false, true}));
}

}  // namespace
