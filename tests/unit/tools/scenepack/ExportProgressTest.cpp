#include <gtest/gtest.h>

#include "tools/scenepack/ExportProgress.h"

namespace {

TEST(ExportProgressTest, TheBarTheSpeedAndTheTimeLeft) {
  scenesaver::scenepack::ExportProgress progress;
  progress.frames_done = 450;
  progress.frames_total = 1800;
  progress.fps = 30;
  progress.wall_seconds = 1.5;  // 15 s of show in 1.5 s
  EXPECT_DOUBLE_EQ(scenesaver::scenepack::SpeedOf(progress), 10.0);
  EXPECT_EQ(scenesaver::scenepack::ProgressLine(progress, 8),
            "[##......] 450/1800 frames  15.0 s of show  10.0x  5 s left");
  progress.frames_total.reset();
  EXPECT_EQ(scenesaver::scenepack::ProgressLine(progress, 8), "450 frames  15.0 s of show  10.0x");
  progress.wall_seconds = 0;
  EXPECT_EQ(scenesaver::scenepack::SpeedOf(progress), 0.0);
  progress.wall_seconds = 3;
  EXPECT_EQ(scenesaver::scenepack::SummaryLine("a.mp4", progress, 800, 600),
            "a.mp4: 450 frames (15.0 s) at 800x600, 30 fps, in 3.0 s (5.0x real time)");
}

}  // namespace
