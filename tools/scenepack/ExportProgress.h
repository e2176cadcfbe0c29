// What `scenepack export` tells while it works: a bar redrawn in place on a terminal, and one
// summary line at the end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace scenesaver::scenepack {

struct ExportProgress {
  std::int64_t frames_done = 0;
  std::optional<std::int64_t> frames_total;  // unknown until the show's loop has ended
  int fps = 30;
  double wall_seconds = 0;  // spent so far
};

// The show's seconds encoded per second of work; 0 before any time has passed.
double SpeedOf(const ExportProgress& progress);

// "[#######.............]  540/1800 frames  18.0 s of show  12.5x  3 s left", `bar_width`
// characters of bar; without a known total, no bar and no time left.
std::string ProgressLine(const ExportProgress& progress, int bar_width);

// "FILE: 1800 frames (60.0 s) at 800x600, 30 fps, in 4.8 s (12.5x real time)".
std::string SummaryLine(const std::string& path, const ExportProgress& progress, int width,
                        int height);

}  // namespace scenesaver::scenepack
