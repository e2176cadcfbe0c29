// Decoding a picture file into a surface.
#pragma once

#include <string>

#include "base/Result.h"
#include "raster/Surface.h"

namespace scenesaver::platform {

class PictureFiles {
 public:
  virtual ~PictureFiles() = default;
  // Decodes a picture file at its natural size; on failure the reason names the file.
  virtual base::Result<raster::Surface> LoadPicture(const std::string& path) = 0;
};

}  // namespace scenesaver::platform
