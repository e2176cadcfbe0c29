// Lays the show's picture into the video frame by a ScalePlan: the picture itself when the
// plan changes nothing, else a black frame with the picture scaled into its place.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/Surface.h"
#include "tools/scenepack/FfmpegHandles.h"
#include "tools/scenepack/PresentScale.h"

namespace scenesaver::scenepack {

class FrameCanvas {
 public:
  explicit FrameCanvas(const ScalePlan& plan);

  struct View {
    const std::uint32_t* pixels;
    int stride;  // in pixels
  };
  // The frame for `picture` (of the size the plan was made for); valid until the next call.
  View Draw(const raster::Surface& picture);

 private:
  ScalePlan plan_;
  std::vector<std::uint32_t> frame_;
  SwsHandle smooth_;
};

}  // namespace scenesaver::scenepack
