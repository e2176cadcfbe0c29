#include "tools/scenepack/ExportProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace scenesaver::scenepack {

namespace {

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

double ShowSeconds(const ExportProgress& progress, std::int64_t frames) {
  return static_cast<double>(frames) / progress.fps;
}

}  // namespace

double SpeedOf(const ExportProgress& progress) {
  if (progress.wall_seconds <= 0) return 0;
  return ShowSeconds(progress, progress.frames_done) / progress.wall_seconds;
}

std::string ProgressLine(const ExportProgress& progress, int bar_width) {
  std::string line;
  const double speed = SpeedOf(progress);
  if (progress.frames_total && *progress.frames_total > 0) {
    const std::int64_t total = *progress.frames_total;
    const std::int64_t done = std::clamp<std::int64_t>(progress.frames_done, 0, total);
    const auto filled = static_cast<int>(done * bar_width / total);
    line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(bar_width - filled), '.') + "] " +
           std::to_string(done) + "/" + std::to_string(total) + " frames  ";
  } else {
    line = std::to_string(progress.frames_done) + " frames  ";
  }
  line += Format("%.1f s of show  ", ShowSeconds(progress, progress.frames_done));
  line += Format("%.1fx", speed);
  if (progress.frames_total && speed > 0) {
    const double left =
        ShowSeconds(progress,
                    std::max<std::int64_t>(*progress.frames_total - progress.frames_done, 0)) /
        speed;
    line += Format("  %.0f s left", std::ceil(left));
  }
  return line;
}

std::string SummaryLine(const std::string& path, const ExportProgress& progress, int width,
                        int height) {
  return path + ": " + std::to_string(progress.frames_done) + " frames (" +
         Format("%.1f s", ShowSeconds(progress, progress.frames_done)) + ") at " +
         std::to_string(width) + "x" + std::to_string(height) + ", " +
         std::to_string(progress.fps) + " fps, in " + Format("%.1f s", progress.wall_seconds) +
         " (" + Format("%.1fx", SpeedOf(progress)) + " real time)";
}

}  // namespace scenesaver::scenepack
