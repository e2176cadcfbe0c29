// Decoding of picture files (JPEG, BMP, GIF first frame, PNG) into surfaces at natural size.
#pragma once

#include <optional>
#include <string>

#include "platform/raster/Surface.h"

namespace platform {

// Decodes the file at `path` into `out` (resized to the picture). On failure returns a
// description naming the file, and `out` is left unchanged.
std::optional<std::string> DecodePicture(const std::string& path, Surface& out);

}  // namespace platform
