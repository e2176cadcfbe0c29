// Drawing a picture over a frame as a sprite: pixels of the key colour are left out.
#pragma once

#include <cstdint>

#include "raster/Surface.h"

namespace scenesaver::presentation {

// Copies the rectangle (source_x, source_y, width, height) of `source` to (x, y) of
// `destination`, except the source pixels whose colour is exactly `key_colour`, which leave the
// destination as it was. Clipped to both surfaces; a width or height of zero or less draws
// nothing. Throws base::RuntimeFailure, before drawing anything, when -height,
// width * height or width * height * 3 does not fit a signed 32-bit value.
void TransparentPaint(raster::Surface& destination, std::int32_t x, std::int32_t y,
                      std::int32_t width, std::int32_t height, const raster::Surface& source,
                      std::int32_t source_x, std::int32_t source_y, raster::Color key_colour);

}  // namespace scenesaver::presentation
